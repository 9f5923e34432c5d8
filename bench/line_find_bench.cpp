// Find of a text that only the last of 2 000 000 lines holds, from the first line, against
// a plain memmem scan of the same bytes laid end to end, in the same run.
#include "bench/Bench.h"
#include "core/LineFind.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 2000000;

// Register-dump-like lines: 30 to 50 printable characters, mostly upper case and digits.
std::string RandomLine(std::mt19937& rng)
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPRSTUVWZ0123456789 .,:-*/";
    const int length = 30 + static_cast<int>(rng() % 21);
    std::string line;
    for (int i = 0; i < length; ++i)
        line += kChars[rng() % (sizeof kChars - 1)];
    return line;
}

template <typename Fn>
double BestOf(int runs, Fn&& fn)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

KORVEX_BENCH(FindLastOfTwoMillionLines)
{
    std::mt19937 rng(11);
    CLineStore store;
    std::string joined;  // the same bytes, each line followed by a 0 as in the store
    const std::string needle = "TOTALE COMPLESSIVO 1234,56";
    for (int i = 0; i < kLines; ++i) {
        const std::string line = i + 1 == kLines ? "  DATA 07-12-26 " + needle + " EUR" : RandomLine(rng);
        store.AddLine(line.c_str());
        joined += line;
        joined += '\0';
    }
    std::printf("%d lines, %zu bytes\n", store.Count(), joined.size());

    volatile const void* sink = nullptr;
    const double memmemSeconds = BestOf(5, [&] {
        sink = memmem(joined.data(), joined.size(), needle.data(), needle.size());
    });
    if (!sink)
        std::printf("memmem did not find the text\n");

    struct Case {
        const char* name;
        std::string text;
        bool matchCase;
    };
    const Case cases[] = {
        {"match case", needle, true},
        {"any case", "totale complessivo 1234,56", false},
        {"any case, letters only", "Totale Complessivo", false},
    };
    std::printf("memmem scan: %.1f ms\n", memmemSeconds * 1e3);
    for (const Case& c : cases) {
        const CLineFinder finder(c.text, c.matchCase);
        int found = -1;
        const double seconds = BestOf(5, [&] { found = finder.Find(store, 0, true); });
        std::printf("Find, %s: %.1f ms, x%.2f of memmem, line %d%s\n", c.name, seconds * 1e3, seconds / memmemSeconds,
                    found, found == kLines - 1 ? "" : " (WRONG LINE)");
    }
}
