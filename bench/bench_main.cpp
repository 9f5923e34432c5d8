// Runs every registered benchmark, or those whose names contain one of the arguments.
#include "bench/Bench.h"

#include <cstdio>
#include <cstring>

namespace bench {

std::vector<Entry>& Registry()
{
    static std::vector<Entry> entries;
    return entries;
}

}  // namespace bench

int main(int argc, char** argv)
{
    for (const bench::Entry& entry : bench::Registry()) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || std::strstr(entry.name, argv[i]) != nullptr;
        if (!wanted)
            continue;
        std::printf("== %s\n", entry.name);
        entry.run();
        std::fflush(stdout);
    }
    return 0;
}
