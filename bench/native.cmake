# One benchmark program, korvex_bench, from every bench/*_bench.cpp; not a test.
file(GLOB KORVEX_BENCH_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
add_executable(korvex_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/bench_main.cpp ${KORVEX_BENCH_SRC})
target_link_libraries(korvex_bench PRIVATE korvex_core)
target_include_directories(korvex_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(korvex_bench PRIVATE -Wall -Wextra)
