# ThreadSanitizer build (clang): the stress test of the byte ring, the line assembler and
# the line hand-off between the library's reader, the worker and the window's thread.
set(KORVEX_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer -g)
target_compile_options(korvex_core PUBLIC ${KORVEX_TSAN_FLAGS})
target_link_options(korvex_core PUBLIC ${KORVEX_TSAN_FLAGS})
find_package(GTest REQUIRED)
file(GLOB KORVEX_TSAN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/tsan/*_test.cpp)
foreach(src ${KORVEX_TSAN_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${CMAKE_SOURCE_DIR}/quorlink/ByteRing.cpp)
    target_link_libraries(${name} PRIVATE korvex_core GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    add_test(NAME ${name} COMMAND ${name})
endforeach()
