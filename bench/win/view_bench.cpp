// The text view with many lines: the cost of appending, of one paint, and of loading
// a large output file, each against a baseline measured in the same run.
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Bench.h"
#include "controls/DataView.h"
#include "core/LineStore.h"
#include "core/OutputFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A shown top-level window with a view as big as the main window's.
struct ViewHost {
    HWND frame = nullptr;
    CDataView view;
    ViewHost()
    {
        frame = ::CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 500, nullptr,
                                  nullptr, nullptr, nullptr);
        HWND child = ::CreateWindowExA(WS_EX_STATICEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 560, 400, frame,
                                       reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        view.SubclassWindow(child);
        view.SetListMode(true);
        view.EnableHighlight(true);
        view.SetTextFormat(0);
        view.SetListFont(DataViewFont());
    }
    ~ViewHost() { ::DestroyWindow(frame); }
    // Average time of one full paint of the view, in microseconds.
    double PaintMicros(int paints)
    {
        const auto t0 = Clock::now();
        for (int i = 0; i < paints; ++i) {
            ::InvalidateRect(view.m_hWnd, nullptr, FALSE);
            ::UpdateWindow(view.m_hWnd);
        }
        return Seconds(t0) * 1e6 / paints;
    }
};

// The process's private (committed) memory, in bytes.
double PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters))
        return -1;
    // Some systems leave PrivateUsage empty; the page-file usage is the same commit charge.
    return static_cast<double>(counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
}

std::string DumpLine(int i)
{
    char text[64];
    std::snprintf(text, sizeof text, "IVA 22%%  IMPONIBILE %12d,%02d  N. %07d", i * 7 % 100000, i % 100, i);
    return text;
}

}  // namespace

KORVEX_BENCH(ViewAddLineMillion)
{
    const char* env = std::getenv("KORVEX_BENCH_ADDLINES");
    const int n = env ? std::atoi(env) : 1000000;
    std::vector<std::string> lines;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines.push_back(DumpLine(i));

    CLineStore store;
    auto t0 = Clock::now();
    for (const std::string& line : lines)
        store.AddLine(line.c_str());
    const double storeOnly = Seconds(t0);

    ViewHost host;
    t0 = Clock::now();
    for (const std::string& line : lines)
        host.view.AddLine(line.c_str(), true);
    const double view = Seconds(t0);
    std::printf("%d AddLine (following the last line): %.2f s, %.2f us per line\n", n, view, view * 1e6 / n);
    std::printf("the same lines into the bare line store:     %.2f s; view/store ratio %.1f\n", storeOnly,
                view / storeOnly);
}

KORVEX_BENCH(ViewPaintMillionVsHundred)
{
    ViewHost small, big;
    for (int i = 0; i < 100; ++i)
        small.view.AddLine(DumpLine(i).c_str(), false);
    std::vector<std::string> lines;
    for (int i = 0; i < 1000000; ++i)
        lines.push_back(DumpLine(i));
    big.view.AddLines(lines, false);
    ::SendMessageA(big.view.m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30000), 0);
    small.PaintMicros(20);
    big.PaintMicros(20);
    const double a = small.PaintMicros(300), b = big.PaintMicros(300);
    std::printf("one paint with 100 lines:       %8.1f us\n", a);
    std::printf("one paint with 1,000,000 lines: %8.1f us; ratio %.2f\n", b, b / a);
}

KORVEX_BENCH(LoadHundredMegabytes)
{
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "korvex-bench-100mb.txt";
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        size_t written = 0;
        for (int i = 0; written < 100u * 1000 * 1000; ++i) {
            std::string line = DumpLine(i) + "\r\n";
            written += std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }
    // Raw read first and last, so the file cache is warm for both contenders.
    auto rawRead = [&] {
        const auto t0 = Clock::now();
        FILE* f = std::fopen(path.c_str(), "rb");
        std::vector<char> buf(1 << 20);
        size_t total = 0, n;
        while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
            total += n;
        std::fclose(f);
        return std::make_pair(Seconds(t0), total);
    };
    rawRead();
    auto raw = rawRead();
    // The least any Load must do: the whole file in fresh memory of its size (a raw read
    // into one reused buffer never pays for the pages it would fill).
    auto wholeRead = [&] {
        const auto t0 = Clock::now();
        FILE* f = std::fopen(path.c_str(), "rb");
        char* block = static_cast<char*>(std::malloc(raw.second));
        const size_t got = block ? std::fread(block, 1, raw.second, f) : 0;
        std::fclose(f);
        std::free(block);
        return std::make_pair(Seconds(t0), got);
    };
    const double whole = wholeRead().first;

    ViewHost host;
    const double privateBefore = PrivateBytes();
    auto t0 = Clock::now();
    CLineStore lines;
    ReadTextLines(path, lines);
    const double read = Seconds(t0);
    const int count = lines.Count();
    host.view.ResetContent();
    host.view.AddLines(std::move(lines), true);
    const double load = Seconds(t0);
    const double privateAfter = PrivateBytes();
    std::printf("raw read of %.0f MB (1 MB buffer):   %.3f s\n", raw.second / 1e6, raw.first);
    std::printf("raw read into one fresh block:       %.3f s\n", whole);
    std::printf("ReadTextLines:                       %.3f s (%.1fx raw, %.1fx the fresh block)\n", read,
                read / raw.first, read / whole);
    std::printf("Load (read + view's AddLines), %d lines: %.3f s (%.1fx raw, %.1fx the fresh block)\n", count,
                load, load / raw.first, load / whole);
    std::printf("private memory with the file loaded: %.0f MB = %.2fx the file (%.0f MB of it for the lines, %.2fx)\n",
                privateAfter / 1e6, privateAfter / raw.second, (privateAfter - privateBefore) / 1e6,
                (privateAfter - privateBefore) / raw.second);
    ::DeleteFileA(path.c_str());
}

// The largest output files this build loads: each file named in KORVEX_BENCH_LARGE_FILES
// (';'-separated, smallest first) is loaded as Load does, into a view, then dropped.
KORVEX_BENCH(LoadLargest)
{
    const char* env = std::getenv("KORVEX_BENCH_LARGE_FILES");
    if (!env) {
        std::printf("skipped: KORVEX_BENCH_LARGE_FILES not set\n");
        return;
    }
    std::string list = env;
    for (size_t at = 0; at < list.size();) {
        const size_t end = std::min(list.find(';', at), list.size());
        const std::string path = list.substr(at, end - at);
        at = end + 1;
        WIN32_FILE_ATTRIBUTE_DATA info = {};
        ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info);
        const double mb = (static_cast<double>(info.nFileSizeHigh) * 4294967296.0 + info.nFileSizeLow) / 1e6;
        ViewHost host;
        CLineStore lines;
        const auto t0 = Clock::now();
        const bool ok = ReadTextLines(path, lines);
        const int count = lines.Count();
        if (ok)
            host.view.AddLines(std::move(lines), true);
        std::printf("%8.0f MB: %s (%d lines, %.1f s, private memory %.0f MB)\n", mb,
                    ok ? "loaded" : "ERROR load file.", count, Seconds(t0), PrivateBytes() / 1e6);
    }
}
