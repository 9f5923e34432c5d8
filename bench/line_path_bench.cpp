// Throughput of received bytes through line assembly, translation and the hand-off queue,
// against what a 250000 baud line can deliver.
#include "bench/Bench.h"
#include "core/LineAssembler.h"
#include "core/LineQueue.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// A dump like the register's: printable lines of about 40 characters, CR LF terminated,
// with the odd escape byte that the invalid-character file removes.
std::vector<uint8_t> MakeDump(size_t bytes)
{
    std::mt19937 rng(7);
    std::vector<uint8_t> dump;
    dump.reserve(bytes + 64);
    while (dump.size() < bytes) {
        const int length = 30 + static_cast<int>(rng() % 21);
        for (int i = 0; i < length; ++i)
            dump.push_back(rng() % 50 == 0 ? 0x1B : static_cast<uint8_t>(' ' + rng() % 95));
        dump.push_back(0x0D);
        dump.push_back(0x0A);
    }
    return dump;
}

}  // namespace

KORVEX_BENCH(LinePath)
{
    const std::string invalidPath = "/tmp/korvex_bench_invalid.txt";
    std::ofstream(invalidPath, std::ios::binary | std::ios::trunc) << "0x1B;0x7F;0x00";
    TranslationTables invalidChars;
    invalidChars.LoadInvalidCharFile(invalidPath);
    std::remove(invalidPath.c_str());

    std::vector<uint8_t> translation(256);
    for (int i = 0; i < 256; ++i)
        translation[i] = static_cast<uint8_t>(i);

    const std::vector<uint8_t> dump = MakeDump(4 << 20);
    CLineQueue queue;
    std::vector<LineQueueItem> taken;
    size_t lines = 0;
    size_t wakeUps = 0;
    CLineAssembler assembler(
        invalidChars, translation, [] { return LineFormat{3, true}; },
        [&](std::string&& text, bool follow) { wakeUps += queue.PushLine(std::move(text), follow); });

    // Reads of 512 bytes as the worker makes them, draining after each as the window would.
    const size_t kRead = 512;
    size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    do {
        for (size_t pos = 0; pos < dump.size(); pos += kRead) {
            const size_t n = dump.size() - pos < kRead ? dump.size() - pos : kRead;
            assembler.Feed(dump.data() + pos, n, n);
            taken.clear();
            lines += queue.TakeAll(taken);
        }
        bytes += dump.size();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (seconds < 1.0);

    const double lineBytes = static_cast<double>(bytes) / static_cast<double>(lines);
    const double bytesPerSecond = static_cast<double>(bytes) / seconds;
    const double linesPerSecond = static_cast<double>(lines) / seconds;
    const double serialBytesPerSecond = 25000.0;  // 250000 baud, 10 bits a byte
    std::printf("bytes %zu, lines %zu (%.1f bytes a line), wake-ups %zu, %.3f s\n", bytes, lines,
                lineBytes, wakeUps, seconds);
    std::printf("%.1f MB/s, %.0f lines/s\n", bytesPerSecond / 1e6, linesPerSecond);
    std::printf("250000 baud: %.0f bytes/s, %.0f lines/s; headroom x%.0f\n", serialBytesPerSecond,
                serialBytesPerSecond / lineBytes, bytesPerSecond / serialBytesPerSecond);
}
