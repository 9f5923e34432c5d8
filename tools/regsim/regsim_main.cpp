// korvex-regsim: a simulated cash register that sends its fiscal memory dump over a
// pseudo-terminal, for trying the program under Wine without a register.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/regsim/FiscalDump.h"
#include "tools/regsim/RegisterSimulator.h"

namespace {
const char kUsage[] =
    "usage: korvex-regsim --link PATH (--file DUMP | --generate LINES) [options]\n"
    "  --link PATH         publish the port end of the pseudo-terminal as this symlink\n"
    "  --file DUMP         send this file as it stands\n"
    "  --generate LINES    send a generated dump of LINES lines in the register's coding\n"
    "  --line-end cr|crlf|lfcr   line end of --generate (default cr)\n"
    "  --bps N             bytes per second, 0 = as fast as the reader takes them (default 960)\n"
    "  --chunk MIN:MAX     bytes per write, random in MIN..MAX (default 1:16)\n"
    "  --seed N            seed of the chunk sizes and of --generate (default 1)\n"
    "  --nul-every N       insert a NUL after every N bytes\n"
    "  --wait-open         start sending only once a reader has opened the port\n"
    "  --open-delay MS     then wait MS so the reader can set up the port (default 300)\n"
    "  --repeat            send the dump again at every new open (implies --wait-open)\n"
    "  --unplug AT:MS      pull the adapter out after AT bytes of each dump, back after MS\n"
    "  --replug-no-wait    then send on at once, without waiting for the reader to open it\n"
    "  --replug-holding N  the adapter comes back holding the next N bytes (at most 8192)\n"
    "  --once-then-exit    exit once one dump has been read (status 3: port closed mid-dump)\n"
    "  --quiet             no progress messages\n";

int Usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "korvex-regsim: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

bool ToNumber(const char* text, long low, long high, long* value)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high)
        return false;
    *value = v;
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string file;
    long generate = 0;
    LineEnd lineEnd = LineEnd::Cr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long n = 0;
        if (arg == "--wait-open") {
            options.waitOpen = true;
        } else if (arg == "--repeat") {
            options.repeat = true;
        } else if (arg == "--replug-no-wait") {
            options.replugNoWait = true;
        } else if (arg == "--once-then-exit") {
            options.onceThenExit = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!value) {
            return Usage(("missing value after " + arg).c_str());
        } else if (++i, arg == "--link") {
            options.link = value;
        } else if (arg == "--file") {
            file = value;
        } else if (arg == "--generate") {
            if (!ToNumber(value, 1, 10000000, &generate))
                return Usage("--generate needs a line count of at least 1");
        } else if (arg == "--line-end") {
            const std::string v = value;
            if (v != "cr" && v != "crlf" && v != "lfcr")
                return Usage("--line-end is cr, crlf or lfcr");
            lineEnd = v == "cr" ? LineEnd::Cr : v == "crlf" ? LineEnd::CrLf : LineEnd::LfCr;
        } else if (arg == "--bps") {
            if (!ToNumber(value, 0, 100000000, &options.bytesPerSecond))
                return Usage("--bps needs a number of bytes per second (0: unpaced)");
        } else if (arg == "--chunk") {
            long low = 0;
            long high = 0;
            const char* colon = std::strchr(value, ':');
            if (!colon || !ToNumber(std::string(value, colon).c_str(), 1, 1 << 20, &low) ||
                !ToNumber(colon + 1, low, 1 << 20, &high))
                return Usage("--chunk needs MIN:MAX with 1 <= MIN <= MAX");
            options.chunkMin = static_cast<int>(low);
            options.chunkMax = static_cast<int>(high);
        } else if (arg == "--seed") {
            if (!ToNumber(value, 0, 0x7FFFFFFF, &n))
                return Usage("--seed needs a number");
            options.seed = static_cast<uint32_t>(n);
        } else if (arg == "--nul-every") {
            if (!ToNumber(value, 0, 1 << 30, &n))
                return Usage("--nul-every needs a byte count");
            options.nulEvery = static_cast<int>(n);
        } else if (arg == "--unplug") {
            long at = 0;
            const char* colon = std::strchr(value, ':');
            if (!colon || !ToNumber(std::string(value, colon).c_str(), 0, 0x7FFFFFFF, &at) ||
                !ToNumber(colon + 1, 0, 600000, &n))
                return Usage("--unplug needs AT:MS, a byte count and milliseconds");
            options.unplugAt = at;
            options.unplugMs = static_cast<int>(n);
        } else if (arg == "--replug-holding") {
            if (!ToNumber(value, 0, 8192, &n))
                return Usage("--replug-holding needs a byte count of at most 8192");
            options.replugHolding = static_cast<int>(n);
        } else if (arg == "--open-delay") {
            if (!ToNumber(value, 0, 60000, &n))
                return Usage("--open-delay needs milliseconds");
            options.openDelayMs = static_cast<int>(n);
        } else {
            return Usage(("unknown option " + arg).c_str());
        }
    }
    if (options.link.empty())
        return Usage("--link is required");
    if (file.empty() == (generate == 0))
        return Usage("give either --file or --generate");

    if (!file.empty()) {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return Usage(("cannot read " + file).c_str());
        in.seekg(0, std::ios::end);
        options.data.resize(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
        in.seekg(0, std::ios::beg);
        in.read(&options.data[0], static_cast<std::streamsize>(options.data.size()));
        if (options.data.empty())
            return Usage((file + " is empty").c_str());
    } else {
        CFiscalDump dump(options.seed);
        options.data = CFiscalDump::Encode(dump.FirstLines(static_cast<size_t>(generate)), lineEnd);
    }

    CRegisterSimulator::InstallSignalHandlers();
    CRegisterSimulator simulator(options);
    return simulator.Run();
}
