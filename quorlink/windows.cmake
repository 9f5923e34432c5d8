# Our Quorlink.dll next to Korvex.exe, and its test variants, each named Quorlink.dll in
# its own folder bin/testlibs/<variant>/. Included by cmake/windows.cmake.
set(QUORLINK_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUORLINK_GEN_DIR ${CMAKE_BINARY_DIR}/quorlink)
# It includes nothing of the program: its sources see only their own folder.
korvex_include_root(quorlink quorlink)
set(QUORLINK_INCLUDE ${CMAKE_BINARY_DIR}/layers/quorlink)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${QUORLINK_DIR}/Quorlink.def ${QUORLINK_DIR}/QuorlinkTest.def)

# The variants' export lists derive from the one list in Quorlink.def.
file(READ ${QUORLINK_DIR}/Quorlink.def QUORLINK_DEF)
file(READ ${QUORLINK_DIR}/QuorlinkTest.def QUORLINK_TEST_DEF)
string(REGEX REPLACE "\n[ \t]*AddDataToWriteDump2[ \t]*" "" QUORLINK_MISSING_DEF "${QUORLINK_DEF}")
file(WRITE ${QUORLINK_GEN_DIR}/missing/Quorlink.def "${QUORLINK_MISSING_DEF}")
file(WRITE ${QUORLINK_GEN_DIR}/scripted/Quorlink.def "${QUORLINK_DEF}${QUORLINK_TEST_DEF}")
file(WRITE ${QUORLINK_GEN_DIR}/hang/Quorlink.def "${QUORLINK_DEF}${QUORLINK_TEST_DEF}")
file(WRITE ${QUORLINK_GEN_DIR}/cdecl/Quorlink.def "${QUORLINK_DEF}${QUORLINK_TEST_DEF}")

set(QUORLINK_SERIAL_SRC ${QUORLINK_DIR}/QuorlinkMain.cpp ${QUORLINK_DIR}/SerialLink.cpp
    ${QUORLINK_DIR}/ByteRing.cpp)
set(QUORLINK_SCRIPTED_SRC ${QUORLINK_DIR}/QuorlinkMain.cpp ${QUORLINK_DIR}/ScriptedLink.cpp)

function(korvex_quorlink target outdir def define)
    add_library(${target} MODULE ${ARGN} ${def} ${QUORLINK_DIR}/Quorlink.rc)
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME Quorlink SUFFIX .dll
                          LIBRARY_OUTPUT_DIRECTORY ${outdir} RUNTIME_OUTPUT_DIRECTORY ${outdir})
    target_include_directories(${target} PRIVATE ${QUORLINK_INCLUDE})
    if(define)
        target_compile_definitions(${target} PRIVATE ${define})
    endif()
    # Self-contained: no MinGW runtime DLLs beside it. On i686 the stdcall exports
    # keep their plain names (Open, not Open@12).
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
    endif()
    target_link_libraries(${target} PRIVATE advapi32)
    add_test(NAME ${target}_exports
             COMMAND bash ${QUORLINK_DIR}/check_exports.sh ${CMAKE_OBJDUMP}
                     $<TARGET_FILE:${target}> ${def} ${QUORLINK_DIR}/QuorlinkExports.h)
endfunction()

set(QUORLINK_TESTLIBS ${CMAKE_BINARY_DIR}/bin/testlibs)
# The real library and the one that lacks an export are the same code, compiled once.
add_library(quorlink_serial OBJECT ${QUORLINK_SERIAL_SRC})
target_include_directories(quorlink_serial PRIVATE ${QUORLINK_INCLUDE})
korvex_quorlink(Quorlink ${CMAKE_BINARY_DIR}/bin ${QUORLINK_DIR}/Quorlink.def ""
                $<TARGET_OBJECTS:quorlink_serial>)
korvex_quorlink(quorlink_missing ${QUORLINK_TESTLIBS}/missing ${QUORLINK_GEN_DIR}/missing/Quorlink.def
                "" $<TARGET_OBJECTS:quorlink_serial>)
korvex_quorlink(quorlink_scripted ${QUORLINK_TESTLIBS}/scripted
                ${QUORLINK_GEN_DIR}/scripted/Quorlink.def QUORLINK_SCRIPTED ${QUORLINK_SCRIPTED_SRC})
korvex_quorlink(quorlink_cdecl ${QUORLINK_TESTLIBS}/cdecl
                ${QUORLINK_GEN_DIR}/cdecl/Quorlink.def "QUORLINK_SCRIPTED;QUORLINK_CDECL" ${QUORLINK_SCRIPTED_SRC})
korvex_quorlink(quorlink_hang ${QUORLINK_TESTLIBS}/hang ${QUORLINK_GEN_DIR}/hang/Quorlink.def
                QUORLINK_HANG ${QUORLINK_SCRIPTED_SRC})

# The Windows tests load these libraries at run time, so they must be built first
# (the test program is defined after this file is read); the library's ring is tested
# directly as well.
function(korvex_quorlink_test_dependencies)
    if(TARGET korvex_win_tests)
        add_dependencies(korvex_win_tests Quorlink quorlink_missing quorlink_scripted quorlink_cdecl quorlink_hang)
        target_sources(korvex_win_tests PRIVATE ${QUORLINK_DIR}/ByteRing.cpp)
    endif()
endfunction()
cmake_language(DEFER CALL korvex_quorlink_test_dependencies)
