// The whole receive path over a real (pseudo-)serial port: simulated register → our
// Quorlink.dll → worker → window → view. Run by bench/run.sh, which starts the
// simulators and passes their ports in the environment.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "bench/Bench.h"
#include "link/CommLibrary.h"
#include "res/resource.h"
#include "ui/ReaderDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

int EnvInt(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : 0;
}

template <typename Fn>
bool Pump(Fn done, double seconds)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        if (done())
            return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return done();
}

double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto secs = [](FILETIME f) {
        return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7;
    };
    return secs(kernel) + secs(user);
}

bool LoadLibraryOnce()
{
    return theApp.Context().m_commLibrary.IsLoaded() || theApp.Context().m_commLibrary.LoadDll("Quorlink.dll") == 1;
}

// Opens the main window on the port, presses Start, and returns it running.
std::unique_ptr<CReaderDlg> StartOn(int port, const std::string& tabFile = std::string())
{
    theApp.Context().m_settings = AppSettings();
    theApp.Context().m_settings.tabFile = tabFile;
    theApp.Context().m_settings.comPort = port;
    theApp.Context().m_settings.baudRate = 250000;
    theApp.Context().m_comPortList = {"COM" + std::to_string(port)};
    auto dlg = std::make_unique<CReaderDlg>(theApp.Context());
    dlg->Create();
    ::SendMessageA(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    return dlg;
}

void Stop(CReaderDlg& dlg)
{
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    ::DestroyWindow(dlg.m_hWnd);
}

// Seconds from Start until the view holds all lines of the dump.
double ReceiveAll(int port, int lines, const std::string& tabFile = std::string())
{
    auto dlg = StartOn(port, tabFile);
    const auto t0 = Clock::now();
    const bool all = Pump([&] { return dlg->View().GetLineCount() >= lines; }, 120);
    const double took = std::chrono::duration<double>(Clock::now() - t0).count();
    const int got = dlg->View().GetLineCount();
    Stop(*dlg);
    if (!all)
        std::printf("  only %d of %d lines arrived\n", got, lines);
    return took;
}

}  // namespace

KORVEX_BENCH(SerialThroughput)
{
    const int paced = EnvInt("KORVEX_BENCH_COM_PACED"), fast = EnvInt("KORVEX_BENCH_COM_FAST");
    const int bytes = EnvInt("KORVEX_BENCH_DUMP_BYTES"), lines = EnvInt("KORVEX_BENCH_DUMP_LINES");
    if (!paced || !fast || !bytes || !lines || !LoadLibraryOnce()) {
        std::printf("skipped: run through bench/run.sh (needs the simulated register)\n");
        return;
    }
    const double line = ReceiveAll(paced, lines);
    const double unpaced = ReceiveAll(fast, lines);
    std::printf("dump of %d bytes, %d lines\n", bytes, lines);
    std::printf("sent at the 250000 baud line rate (25000 B/s): received in %.2f s = %.0f B/s (%.2f of the line rate)\n",
                line, bytes / line, bytes / line / 25000.0);
    std::printf("sent unpaced:                                  received in %.2f s = %.0f B/s (%.1fx the line rate)\n",
                unpaced, bytes / unpaced, bytes / unpaced / 25000.0);
}

KORVEX_BENCH(SerialIdleCpu)
{
    const int idle = EnvInt("KORVEX_BENCH_COM_IDLE");
    if (!idle || !LoadLibraryOnce()) {
        std::printf("skipped: run through bench/run.sh (needs the simulated register)\n");
        return;
    }
    auto measure = [](double seconds) {
        const double c0 = CpuSeconds();
        const auto t0 = Clock::now();
        Pump([] { return false; }, seconds);
        return (CpuSeconds() - c0) / std::chrono::duration<double>(Clock::now() - t0).count();
    };
    // Long windows: the process times tick in 10 ms steps under some systems.
    const double quiet = measure(15);
    auto dlg = StartOn(idle);
    Pump([] { return false; }, 0.5);
    const double running = measure(15);
    Stop(*dlg);
    std::printf("CPU of the process, window open and nothing running: %5.2f %% of one core\n", quiet * 100);
    std::printf("CPU during an acquisition with no data arriving:     %5.2f %% of one core\n", running * 100);
}

// The record of the last run (Korvex_LastRun.txt) against no record: the same dump,
// alternately with a program folder to write it in and without one, which turns it off.
KORVEX_BENCH(SerialLastRunRecord)
{
    const int paced = EnvInt("KORVEX_BENCH_COM_PACED"), fast = EnvInt("KORVEX_BENCH_COM_FAST");
    const int lines = EnvInt("KORVEX_BENCH_DUMP_LINES");
    if (!paced || !fast || !lines || !LoadLibraryOnce()) {
        std::printf("skipped: run through bench/run.sh (needs the simulated register)\n");
        return;
    }
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "korvex-bench-record\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    // Lines as they are shown and recorded: printable ASCII decoded as itself.
    const std::string tabFile = folder + "identity.txt";
    if (FILE* f = std::fopen(tabFile.c_str(), "wb")) {
        std::fprintf(f, "hdr;0;1;2;3;4;5;6;7;8;9;A;B;C;D;E;F\n");
        for (int row = 0; row < 16; ++row) {
            std::fprintf(f, "%d", row);
            for (int b = row * 16; b < row * 16 + 16; ++b)
                std::fprintf(f, ";%d", b >= 0x20 && b < 0x7F ? b : 0);
            std::fprintf(f, "\n");
        }
        std::fclose(f);
    }
    for (int port : {paced, fast}) {
        double seconds[2] = {0, 0};  // off, on
        const int rounds = port == paced ? 2 : 6;
        for (int round = 0; round < rounds; ++round) {
            for (int on = 0; on < 2; ++on) {
                theApp.Context().m_programDir = on ? folder : std::string();
                seconds[on] += ReceiveAll(port, lines, tabFile);
            }
        }
        theApp.Context().m_programDir.clear();
        const double off = lines * rounds / seconds[0], on = lines * rounds / seconds[1];
        std::printf("%s: %.0f lines/s without the record, %.0f lines/s with it (%.3f)\n",
                    port == paced ? "sent at the 250000 baud line rate" : "sent unpaced", off, on, on / off);
    }
    const std::string record = folder + "Korvex_LastRun.txt";
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (::GetFileAttributesExA(record.c_str(), GetFileExInfoStandard, &info))
        std::printf("last record: %lu bytes\n", static_cast<unsigned long>(info.nFileSizeLow));
}
