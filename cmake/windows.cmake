# Windows build: the program, our communication library, test libraries and the
# Windows-side tests (run under Wine through the toolchain's emulator).
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 STRICT NOMINMAX)
add_compile_options(-Wall -Wextra)

add_library(korvex_win STATIC ${KORVEX_WIN_SRC})
target_link_libraries(korvex_win PUBLIC korvex_portable comdlg32 comctl32 gdi32 user32 advapi32 winspool)

# Resources in an OBJECT library: a static library would silently drop them.
add_library(korvex_res OBJECT ${CMAKE_SOURCE_DIR}/res/Korvex.rc)

add_executable(Korvex WIN32 ${CMAKE_SOURCE_DIR}/app/WinMain.cpp $<TARGET_OBJECTS:korvex_res>)
target_link_libraries(Korvex PRIVATE korvex_win)

add_executable(winekeep WIN32 ${CMAKE_SOURCE_DIR}/tools/winekeep.c)

include(${CMAKE_SOURCE_DIR}/quorlink/windows.cmake OPTIONAL)

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

include(GoogleTest)
file(GLOB KORVEX_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
if(KORVEX_WIN_TESTS)
    add_executable(win_tests ${KORVEX_WIN_TESTS} $<TARGET_OBJECTS:korvex_res>)
    target_link_libraries(win_tests PRIVATE korvex_win gtest)
    target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
    gtest_discover_tests(win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES RESOURCE_LOCK wine_gui)
endif()
include(${CMAKE_SOURCE_DIR}/tests/win/extra.cmake OPTIONAL)
