# Windows build: the program, our communication library, test libraries and the
# Windows-side tests (run under Wine through the toolchain's emulator).
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 STRICT NOMINMAX)
add_compile_options(-Wall -Wextra -Wno-cast-function-type)

korvex_layer(fw core)
target_link_libraries(korvex_fw PUBLIC comdlg32 comctl32 gdi32 user32 advapi32 winspool shell32)
foreach(part link controls print skin)
    korvex_layer(${part} fw)
endforeach()
# The link builds against our library's own header, and nothing else does.
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/quorlink ${CMAKE_BINARY_DIR}/layers/link/quorlink SYMBOLIC)
korvex_layer(ui link controls print skin)
korvex_layer(app ui)
# windows.h and the standard library are parsed once, not once per file: the folders
# share one precompiled header (their flags are the same).
set(KORVEX_PCH <windows.h> <algorithm> <atomic> <memory> <string> <vector>)
target_precompile_headers(korvex_fw PRIVATE ${KORVEX_PCH})
foreach(part link controls print skin ui app)
    target_precompile_headers(korvex_${part} REUSE_FROM korvex_fw)
endforeach()

# Resources in an OBJECT library: a static library would silently drop them.
add_library(korvex_res OBJECT ${CMAKE_SOURCE_DIR}/res/Korvex.rc)
# The build does not see what the resource compiler includes: a new version number
# must rebuild the version resources.
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Korvex.rc ${CMAKE_SOURCE_DIR}/quorlink/Quorlink.rc
    PROPERTIES OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/version.h;${CMAKE_SOURCE_DIR}/res/VersionInfo.rc2")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/res/Korvex.rc APPEND PROPERTY OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/Korvex.manifest")

add_executable(Korvex WIN32 ${CMAKE_SOURCE_DIR}/app/WinMain.cpp $<TARGET_OBJECTS:korvex_res>)
target_link_libraries(Korvex PRIVATE korvex_app)
# A 32-bit Korvex may use the whole 4 GB address space on 64-bit Windows: big dumps.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(Korvex PRIVATE -Wl,--large-address-aware)
endif()

add_executable(winekeep WIN32 ${CMAKE_SOURCE_DIR}/tools/winekeep.c)
add_executable(korvexctl ${CMAKE_SOURCE_DIR}/tools/korvexctl.cpp)
target_link_libraries(korvexctl PRIVATE version shell32)

include(${CMAKE_SOURCE_DIR}/quorlink/windows.cmake OPTIONAL)

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The tests and their framework are compiled unoptimised, for building speed: the
# program's own code they link stays optimised as it ships.
target_compile_options(gtest PRIVATE -w -O0)
target_compile_options(gtest_main PRIVATE -w -O0)

# Shared helpers of the Windows tests (main with a watchdog, message-box answering...).
file(GLOB KORVEX_WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
add_library(win_test_support STATIC ${KORVEX_WIN_TEST_SUPPORT})
target_link_libraries(win_test_support PUBLIC korvex_app gtest)
target_compile_options(win_test_support PRIVATE -O0)
target_precompile_headers(win_test_support PRIVATE ${KORVEX_PCH} <gtest/gtest.h>)
target_include_directories(win_test_support PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/win
                           ${CMAKE_SOURCE_DIR}/res)

# One test program for every file: the program links once, not once per file. Each
# test still runs in a process of its own.
file(GLOB KORVEX_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
add_executable(korvex_win_tests ${KORVEX_WIN_TESTS} $<TARGET_OBJECTS:korvex_res>)
target_link_libraries(korvex_win_tests PRIVATE win_test_support)
target_compile_options(korvex_win_tests PRIVATE -O0 -Wno-subobject-linkage)
# The test files are compiled a few at a time, one batch for each core.
set_target_properties(korvex_win_tests PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 9)
target_precompile_headers(korvex_win_tests REUSE_FROM win_test_support)
# The language files that ship, beside the tests as beside the program.
foreach(lang Eng Ita)
    configure_file(${CMAKE_SOURCE_DIR}/res/lang/Korvex_Language_${lang}.txt
                   ${CMAKE_BINARY_DIR}/bin/Korvex_Language_${lang}.txt COPYONLY)
endforeach()
# A test suite runs in one process: Wine starts a program in about a second, so a
# process per test would cost minutes. The suites that leave their process unfit for
# the next test are listed here and run a process per test.
set(KORVEX_WIN_PROCESS_PER_TEST "" CACHE STRING "Windows test suites that run one process per test")
set(KORVEX_WIN_PRINTING PrintPreviewTest PrintProgressTest)  # the suites that print PDFs
set(KORVEX_PRINT_LOCK /tmp/korvex-print.lock CACHE FILEPATH "The lock that printing tests take")
foreach(src ${KORVEX_WIN_TESTS})
    file(STRINGS ${src} heads REGEX "^TEST(_F|_P)?\\(")
    foreach(head ${heads})
        string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+).*" "\\2;\\3" parts "${head}")
        list(GET parts 0 suite)
        list(GET parts 1 name)
        if(suite IN_LIST KORVEX_WIN_PROCESS_PER_TEST)
            set(test ${suite}.${name})
            set(filter "${suite}.${name}:*/${suite}.${name}/*")
        elseif(NOT suite IN_LIST korvex_win_suites)
            list(APPEND korvex_win_suites ${suite})
            set(test ${suite})
            set(filter "${suite}.*:*/${suite}.*")
        else()
            continue()
        endif()
        if(suite IN_LIST KORVEX_WIN_PRINTING)
            # The PDF printer serves the whole machine: one printing suite at a time.
            add_test(NAME ${test} COMMAND flock -o ${KORVEX_PRINT_LOCK} ${CMAKE_CROSSCOMPILING_EMULATOR}
                     $<TARGET_FILE:korvex_win_tests> --gtest_filter=${filter})
        else()
            add_test(NAME ${test} COMMAND korvex_win_tests --gtest_filter=${filter})
        endif()
        # A filter that matches nothing fails, and a skip shows as one.
        set_tests_properties(${test} PROPERTIES RESOURCE_LOCK wine
                             FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|Running 0 tests"
                             SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
    endforeach()
endforeach()
include(${CMAKE_SOURCE_DIR}/bench/windows.cmake)
