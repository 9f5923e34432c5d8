// The simulated register and the sample dump: the register's coding, the generated
// dump, the committed sample decoded by the program's own tables and line assembler,
// and korvex-regsim run as a process on its pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/LineAssembler.h"
#include "core/TranslationTables.h"
#include "tools/regsim/FiscalDump.h"
#include "tools/regsim/RegisterCoding.h"

namespace {
std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

long long NowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool IsRegisterText(unsigned char b)
{
    return b >= 0x80;
}

// korvex-regsim as a child process publishing its port under a temporary folder.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> args)
    {
        char folder[] = "/tmp/regsim_testXXXXXX";
        m_dir = mkdtemp(folder);
        m_link = m_dir + "/com";
        args.insert(args.begin(), {KORVEX_REGSIM, "--link", m_link, "--quiet"});
        m_pid = fork();
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Simulator()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        unlink(m_link.c_str());
        rmdir(m_dir.c_str());
    }
    const std::string& Link() const { return m_link; }
    pid_t Pid() const { return m_pid; }

    bool WaitForLink() const
    {
        struct stat st;
        for (int i = 0; i < 200; ++i, usleep(10000)) {
            if (lstat(m_link.c_str(), &st) == 0)
                return true;
        }
        return false;
    }
    // Exit status, or -1 if still running after timeoutMs.
    int WaitExit(int timeoutMs)
    {
        for (long long end = NowMs() + timeoutMs; NowMs() < end; usleep(10000)) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
    }
    bool LinkExists() const
    {
        struct stat st;
        return lstat(m_link.c_str(), &st) == 0;
    }

private:
    std::string m_dir;
    std::string m_link;
    pid_t m_pid = -1;
};

// Compares long byte strings without printing them: where they first differ.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& expected)
{
    if (got == expected)
        return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i])
        ++i;
    return ::testing::AssertionFailure() << got.size() << " bytes instead of " << expected.size()
                                         << ", first difference at offset " << i;
}

int OpenPort(const std::string& link)
{
    return open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

// Reads until `want` bytes are in, the other end hangs up, or timeoutMs pass.
std::string ReadPort(int fd, size_t want, int timeoutMs)
{
    std::string got;
    const long long end = NowMs() + timeoutMs;
    while (got.size() < want && NowMs() < end) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, want - got.size()));
        if (n > 0)
            got.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || (n < 0 && errno != EAGAIN))
            break;
    }
    return got;
}

int RunToExit(std::vector<std::string> args)
{
    Simulator sim(std::move(args));
    return sim.WaitExit(2000);
}
}  // namespace

TEST(RegisterCoding, PrintableTextLeavesAsciiAndTheTableBringsItBack)
{
    const auto& table = CRegisterCoding::DisplayTable();
    for (int c = 0x20; c < 0x7F; ++c) {
        uint8_t b = 0;
        if (!CRegisterCoding::Encode(static_cast<char>(c), &b))
            continue;
        EXPECT_TRUE(IsRegisterText(b)) << "character " << c;
        EXPECT_EQ(table[b], c);
    }
    EXPECT_EQ(table[0x00], 0) << "a NUL entry would cut lines";
    for (int b = 0x20; b < 0x80; ++b)
        EXPECT_EQ(table[static_cast<size_t>(b)], '?') << "plain ASCII is not the register's";
    for (uint8_t noise : CRegisterCoding::NoiseBytes())
        EXPECT_LT(noise, 0x20);
    EXPECT_EQ(CRegisterCoding::EncodeText("A~"), CRegisterCoding::EncodeText("A?"));
}

TEST(FiscalDump, IsRepeatableAndReadsLikeAFiscalMemory)
{
    CFiscalDump a(5);
    CFiscalDump b(5);
    const std::vector<std::string> lines = a.Lines(4);
    EXPECT_EQ(lines, b.Lines(4));
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
        EXPECT_LE(line.size(), static_cast<size_t>(CFiscalDump::kWidth));
    }
    for (const char* word : {"MEMORIA FISCALE", "CHIUSURA GIORNALIERA N. 0001",
                             "CHIUSURA GIORNALIERA N. 0004", "TOTALE", "IVA 22%", "EUR", "MATRICOLA"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    EXPECT_EQ(CFiscalDump(9).FirstLines(1234).size(), 1234u);

    const std::vector<std::string> two = {"AB", ""};
    EXPECT_EQ(CFiscalDump::Encode(two, LineEnd::Cr), "\x80\x81\r\r");
    EXPECT_EQ(CFiscalDump::Encode(two, LineEnd::CrLf), "\x80\x81\r\n\r\n");
    EXPECT_EQ(CFiscalDump::Encode(two, LineEnd::LfCr), "\x80\x81\n\r\n\r");

    // Only register text, line ends, NULs and the register's control bytes.
    const std::string sent = CFiscalDump(5).EncodeAsRegister(lines);
    const std::vector<uint8_t>& noise = CRegisterCoding::NoiseBytes();
    for (unsigned char c : sent) {
        const bool known = IsRegisterText(c) || c == 0x00 || c == 0x0A || c == 0x0D ||
                           std::find(noise.begin(), noise.end(), c) != noise.end();
        ASSERT_TRUE(known) << "byte " << int(c);
    }
}

// The committed sample, decoded by the program's own tables and line assembler, fed in
// random chunks as the serial line delivers it.
TEST(Samples, TheProgramsTablesTurnTheDumpIntoTheExpectedText)
{
    const std::string dir = KORVEX_SAMPLES;
    TranslationTables invalid;
    TranslationTables loaded;
    std::vector<uint8_t> translation;
    LoadTranslationTable(loaded, dir + "/Korvex_Tab.txt", translation);
    ASSERT_EQ(translation.size(), 256u);
    ASSERT_TRUE(invalid.LoadInvalidCharFile(dir + "/Korvex_Invalid.txt"));
    EXPECT_EQ(invalid.GetInvalidCount(), static_cast<int>(CRegisterCoding::NoiseBytes().size()));

    std::string text;
    CLineAssembler assembler(
        invalid, translation, [] { return LineFormat{0, true}; },
        [&](std::string&& line, bool) { text += line.c_str() + std::string("\r\n"); });
    const std::string dump = ReadAll(dir + "/fiscal_dump.bin");
    ASSERT_FALSE(dump.empty());
    std::mt19937 random(3);
    for (size_t pos = 0; pos < dump.size();) {
        const size_t n = std::min<size_t>(1 + random() % 512, dump.size() - pos);
        assembler.Feed(reinterpret_cast<const uint8_t*>(dump.data() + pos), 512, n);
        pos += n;
    }
    EXPECT_TRUE(SameBytes(text, ReadAll(dir + "/fiscal_dump.expected.txt")));
    EXPECT_GT(std::count(text.begin(), text.end(), '\n'), 300);
}

TEST(RegisterSimulator, WaitsForTheReaderThenSendsOneDumpAndExits)
{
    Simulator sim({"--generate", "30", "--seed", "7", "--wait-open", "--once-then-exit", "--bps", "0",
                   "--open-delay", "50"});
    ASSERT_TRUE(sim.WaitForLink());
    usleep(300000);  // nothing may be queued for a reader that is not there
    const int fd = OpenPort(sim.Link());
    ASSERT_GE(fd, 0);
    int queued = -1;
    ASSERT_EQ(ioctl(fd, FIONREAD, &queued), 0);
    EXPECT_EQ(queued, 0);

    const std::string expected = CFiscalDump::Encode(CFiscalDump(7).FirstLines(30), LineEnd::Cr);
    EXPECT_TRUE(SameBytes(ReadPort(fd, expected.size() + 1, 3000), expected));
    EXPECT_EQ(sim.WaitExit(3000), 0);
    EXPECT_FALSE(sim.LinkExists());
    close(fd);
}

TEST(RegisterSimulator, RepeatsTheDumpAtEveryOpenWithoutLeftovers)
{
    Simulator sim({"--generate", "150", "--repeat", "--bps", "20000", "--chunk", "1:64",
                   "--open-delay", "50"});
    ASSERT_TRUE(sim.WaitForLink());
    const std::string expected = CFiscalDump::Encode(CFiscalDump(1).FirstLines(150), LineEnd::Cr);

    int fd = OpenPort(sim.Link());
    ASSERT_GE(fd, 0);
    const std::string part = ReadPort(fd, 300, 3000);
    EXPECT_TRUE(SameBytes(part, expected.substr(0, 300)));
    close(fd);  // in the middle of the dump
    usleep(200000);

    fd = OpenPort(sim.Link());
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(SameBytes(ReadPort(fd, expected.size(), 5000), expected));
    close(fd);
    usleep(200000);
    fd = OpenPort(sim.Link());
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(SameBytes(ReadPort(fd, expected.size(), 5000), expected));

    kill(sim.Pid(), SIGTERM);
    EXPECT_EQ(sim.WaitExit(2000), 0);
    EXPECT_FALSE(sim.LinkExists());
    close(fd);
}

TEST(RegisterSimulator, PacesTheBytesAndAddsLineEndsAndNuls)
{
    Simulator sim({"--generate", "12", "--line-end", "lfcr", "--nul-every", "10", "--bps", "2000",
                   "--chunk", "5:20", "--wait-open", "--once-then-exit", "--open-delay", "0"});
    ASSERT_TRUE(sim.WaitForLink());
    const std::string plain = CFiscalDump::Encode(CFiscalDump(1).FirstLines(12), LineEnd::LfCr);
    std::string expected;
    for (size_t i = 0; i < plain.size(); ++i) {
        expected += plain[i];
        if ((i + 1) % 10 == 0)
            expected += '\0';
    }
    const int fd = OpenPort(sim.Link());
    ASSERT_GE(fd, 0);
    const long long start = NowMs();
    EXPECT_TRUE(SameBytes(ReadPort(fd, expected.size(), 5000), expected));
    const long long tookMs = NowMs() - start;
    const long long paceMs = static_cast<long long>(expected.size()) * 1000 / 2000;
    EXPECT_GE(tookMs, paceMs * 8 / 10);
    EXPECT_LE(tookMs, paceMs * 2 + 300);
    EXPECT_EQ(sim.WaitExit(3000), 0);
    close(fd);
}

TEST(RegisterSimulator, IdlesWithoutSpinningAndStopsOnSignals)
{
    Simulator sim({"--generate", "10", "--wait-open"});
    ASSERT_TRUE(sim.WaitForLink());
    usleep(1000000);
    unsigned long user = 0;
    unsigned long system = 0;
    FILE* stat = std::fopen(("/proc/" + std::to_string(sim.Pid()) + "/stat").c_str(), "r");
    ASSERT_NE(stat, nullptr);
    ASSERT_EQ(std::fscanf(stat, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                          &system),
              2);
    std::fclose(stat);
    EXPECT_LE(user + system, 10u) << "CPU ticks in a second of waiting";
    kill(sim.Pid(), SIGINT);
    EXPECT_EQ(sim.WaitExit(2000), 0);
    EXPECT_FALSE(sim.LinkExists());
}

// Reads what the port holds now, without waiting; false when the other end has hung up.
bool ReadWaiting(int fd, std::string* got)
{
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        got->append(buffer, static_cast<size_t>(n));
    return n < 0 && errno == EAGAIN;
}

// The adapter is pulled out right after the first chunk, which a reader that looks only
// every 100 ms has not taken yet: the simulator waits for it before it hangs up. The
// adapter comes back holding the next bytes or not, with the register sending on at
// once or waiting for the reader; either way the reader gets the whole dump in order,
// also when the adapter held all the rest and the simulator is to exit once it is read.
TEST(RegisterSimulator, UnplugLosesNoByteAndComesBackAsAsked)
{
    const std::string expected = CFiscalDump::Encode(CFiscalDump(1).FirstLines(700), LineEnd::Cr);
    ASSERT_GT(expected.size(), 8192u + 4096u);
    const std::string nearTheEnd = std::to_string(expected.size() - 100) + ":200";
    const struct {
        std::vector<std::string> args;
        long atOnce;  // what the port holds 100 ms after it came back...
        bool orMore;  // ... or at least one byte more
    } cases[] = {
        {{"--unplug", "40:200"}, 0, false},
        {{"--unplug", "40:200", "--replug-no-wait"}, 0, true},
        {{"--unplug", "40:200", "--replug-holding", "1"}, 1, false},
        {{"--unplug", "40:200", "--replug-holding", "8192", "--replug-no-wait"}, 8192, true},
        {{"--unplug", nearTheEnd, "--replug-holding", "8192", "--replug-no-wait"}, 100, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--generate", "700", "--wait-open", "--open-delay", "300", "--bps",
                                         "0", "--chunk", "40:40", "--once-then-exit"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Simulator sim(args);
        ASSERT_TRUE(sim.WaitForLink());
        int fd = OpenPort(sim.Link());
        ASSERT_GE(fd, 0);
        std::string got;
        long atOnce = -1;
        for (const long long end = NowMs() + 10000; got.size() < expected.size() && NowMs() < end;) {
            usleep(100000);
            if (ReadWaiting(fd, &got))
                continue;
            close(fd);
            if (atOnce >= 0)
                break;  // the adapter comes back once; now the simulator has ended
            while ((fd = OpenPort(sim.Link())) < 0 && NowMs() < end)
                usleep(10000);
            usleep(100000);
            const size_t before = got.size();
            ReadWaiting(fd, &got);
            atOnce = static_cast<long>(got.size() - before);
        }
        const std::string name = ::testing::PrintToString(c.args);
        EXPECT_TRUE(SameBytes(got, expected)) << name;
        if (c.orMore)
            EXPECT_GT(atOnce, c.atOnce) << name;
        else
            EXPECT_EQ(atOnce, c.atOnce) << name;
        close(fd);
    }
}

TEST(RegisterSimulator, RefusesBadCommandLines)
{
    EXPECT_EQ(RunToExit({"--generate", "5", "--chunk", "5:2"}), 2);
    EXPECT_EQ(RunToExit({"--generate", "5", "--file", "/etc/hostname"}), 2);
    EXPECT_EQ(RunToExit({"--file", "/nonexistent/dump.bin"}), 2);
    EXPECT_EQ(RunToExit({"--generate", "0"}), 2);
    EXPECT_EQ(RunToExit({"--generate", "5", "--line-end", "lf"}), 2);
    EXPECT_EQ(RunToExit({"--generate", "5", "--bps"}), 2);
    EXPECT_EQ(RunToExit({"--generate", "5", "--unplug", "9:9", "--replug-holding", "8193"}), 2);
}
