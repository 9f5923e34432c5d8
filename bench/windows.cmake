# korvex_win_bench: the benchmarks that need real windows, the real library or Wine.
file(GLOB KORVEX_WIN_BENCH_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*_bench.cpp)
add_executable(korvex_win_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/bench_main.cpp ${KORVEX_WIN_BENCH_SRC}
               $<TARGET_OBJECTS:korvex_res>)
target_link_libraries(korvex_win_bench PRIVATE korvex_app)
target_include_directories(korvex_win_bench PRIVATE ${CMAKE_SOURCE_DIR})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(korvex_win_bench PRIVATE -Wl,--large-address-aware)  # as Korvex.exe
endif()
