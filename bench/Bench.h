// Registry of the benchmarks that korvex_bench runs; each *_bench.cpp registers its own.
#pragma once

#include <vector>

namespace bench {

struct Entry {
    const char* name;
    void (*run)();
};

std::vector<Entry>& Registry();

struct Registrar {
    Registrar(const char* name, void (*run)()) { Registry().push_back(Entry{name, run}); }
};

}  // namespace bench

// KORVEX_BENCH(Name) { ...print figures... }
#define KORVEX_BENCH(name)                                       \
    static void name();                                          \
    static const bench::Registrar name##_registrar(#name, name); \
    static void name()
