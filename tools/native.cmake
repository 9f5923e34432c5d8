# Native tools: the simulated register and the sample generator, with their test.
add_library(regsim_core STATIC
    ${CMAKE_SOURCE_DIR}/tools/regsim/RegisterCoding.cpp
    ${CMAKE_SOURCE_DIR}/tools/regsim/FiscalDump.cpp
    ${CMAKE_SOURCE_DIR}/tools/regsim/RegisterSimulator.cpp)
target_include_directories(regsim_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(regsim_core PRIVATE -Wall -Wextra)

add_executable(korvex-regsim ${CMAKE_SOURCE_DIR}/tools/regsim/regsim_main.cpp)
target_link_libraries(korvex-regsim PRIVATE regsim_core)
add_executable(korvex-samplegen ${CMAKE_SOURCE_DIR}/tools/regsim/samplegen_main.cpp)
target_link_libraries(korvex-samplegen PRIVATE regsim_core)
target_compile_options(korvex-regsim PRIVATE -Wall -Wextra)
target_compile_options(korvex-samplegen PRIVATE -Wall -Wextra)

# The committed samples must be exactly what the generator makes today.
add_test(NAME samples_are_current
         COMMAND bash -c "d=$(mktemp -d) && $<TARGET_FILE:korvex-samplegen> \"$d\" >/dev/null && \
for f in fiscal_dump.bin fiscal_dump.expected.txt Korvex_Tab.txt Korvex_Invalid.txt; do \
cmp \"$d/$f\" ${CMAKE_SOURCE_DIR}/samples/$f || exit 1; done; rm -rf \"$d\"")

if(TARGET regsim_test)
    target_link_libraries(regsim_test PRIVATE regsim_core)
    target_compile_definitions(regsim_test PRIVATE KORVEX_REGSIM="$<TARGET_FILE:korvex-regsim>"
                               KORVEX_SAMPLES="${CMAKE_SOURCE_DIR}/samples")
    add_dependencies(regsim_test korvex-regsim)
endif()
