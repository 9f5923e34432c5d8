# Native build of the portable code: unit tests under ASan/UBSan, benchmarks, tools.
set(KORVEX_SAN -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
if(NOT CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_options(korvex_core PUBLIC ${KORVEX_SAN})
    target_link_options(korvex_core PUBLIC ${KORVEX_SAN})
endif()
target_compile_options(korvex_core PRIVATE -Wall -Wextra)

find_package(GTest REQUIRED)
include(GoogleTest)
# One test program per file, so that a file being worked on does not hold up the rest.
file(GLOB KORVEX_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
foreach(src ${KORVEX_NATIVE_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE korvex_core GTest::gtest GTest::gtest_main)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/native)
    target_compile_definitions(${name} PRIVATE KORVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endforeach()

# Fuzz targets also build as plain programs that feed bounded random input, so the
# parsers get exercised even where libFuzzer is missing.
file(GLOB KORVEX_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(src ${KORVEX_FUZZ_TARGETS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name}_random ${src} ${CMAKE_SOURCE_DIR}/tests/fuzz/random_driver.cpp)
    target_link_libraries(${name}_random PRIVATE korvex_core)
    target_include_directories(${name}_random PRIVATE ${CMAKE_SOURCE_DIR})
    add_test(NAME ${name}_random COMMAND ${name}_random 20000)
endforeach()

include(${CMAKE_SOURCE_DIR}/tools/native.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/bench/native.cmake OPTIONAL)
