// Safe file writer and its users: the old file survives every failure that happens
// before the new one is complete; where no new file can be made, the target is written in place.
#include "core/SafeFile.h"

#include "core/AppSettings.h"
#include "core/SettingsFile.h"
#include "core/UiText.h"
#include "core/TranslationTables.h"
#include "core/OutputFile.h"

#include "tests/native/TestFiles.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

// The calls of the writer's last steps, made to fail on demand: the one named fails once,
// with the error given (fsync and close still do their work first, rename does none).
namespace {
enum class FailingCall { None, Fsync, Close, Rename };
FailingCall g_failCall = FailingCall::None;
int g_failError = 0;

bool FailsNow(FailingCall call)
{
    if (g_failCall != call)
        return false;
    g_failCall = FailingCall::None;
    errno = g_failError;
    return true;
}

template <typename Function>
Function NextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" int fsync(int fd)
{
    static const auto next = NextDefinition<int (*)(int)>("fsync");
    const int result = next(fd);
    return FailsNow(FailingCall::Fsync) ? -1 : result;
}

extern "C" int close(int fd)
{
    static const auto next = NextDefinition<int (*)(int)>("close");
    const int result = next(fd);
    return FailsNow(FailingCall::Close) ? -1 : result;
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    static const auto next = NextDefinition<int (*)(const char*, const char*)>("rename");
    return FailsNow(FailingCall::Rename) ? -1 : next(from, to);
}

namespace {

namespace fs = std::filesystem;

size_t FilesIn(const std::string& dir)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class SafeFileTest : public TempFolderTest
{
protected:
    SafeFileTest() : TempFolderTest("target.txt") {}
};

// While alive, files can't grow past the given size: writes beyond it fail the way they
// do on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Runs the body as an ordinary user (root may create files in any folder) in a child
// process; returns the body's exit code, or -1 when the child could not drop root.
int RunUnprivileged(const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(255);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(SafeFileTest, TargetIsReplacedOnlyOnCommit)
{
    PutFile(m_path, "old contents");
    chmod(m_path.c_str(), 0640);
    {
        CSafeFileWriter file;
        ASSERT_TRUE(file.Open(m_path));
        EXPECT_FALSE(file.IsInPlace());
        EXPECT_TRUE(file.Write("new"));
        EXPECT_TRUE(file.Write(std::string(200000, 'x')));  // past the gathering buffer
        EXPECT_EQ(GetFile(m_path), "old contents");
        EXPECT_EQ(FilesIn(m_dir), 2u);
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_OK);
    }
    EXPECT_EQ(GetFile(m_path), "new" + std::string(200000, 'x'));
    EXPECT_EQ(FilesIn(m_dir), 1u);
    struct stat st;
    ASSERT_EQ(stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Nothing is written through a symbolic link: it is refused, and the link and the
    // file behind it stay as they are.
    const std::string link = m_dir + "/link.txt";
    ASSERT_EQ(symlink(m_path.c_str(), link.c_str()), 0);
    CSafeFileWriter viaLink;
    EXPECT_FALSE(viaLink.Open(link));
    EXPECT_EQ(viaLink.GetResult(), CSafeFileWriter::RESULT_CANNOT_CREATE);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(GetFile(m_path), "new" + std::string(200000, 'x'));
    ASSERT_EQ(unlink(link.c_str()), 0);

    // A new file needs no old one.
    CSafeFileWriter fresh;
    ASSERT_TRUE(fresh.Open(m_dir + "/new.txt"));
    ASSERT_TRUE(fresh.Commit());
    EXPECT_TRUE(fs::exists(m_dir + "/new.txt"));
    EXPECT_EQ(FilesIn(m_dir), 2u);
}

TEST_F(SafeFileTest, DiscardedWritesLeaveNoTrace)
{
    PutFile(m_path, "old");
    {
        CSafeFileWriter file;
        ASSERT_TRUE(file.Open(m_path));
        file.Write("never committed");
    }
    CSafeFileWriter file;
    ASSERT_TRUE(file.Open(m_path));
    file.Write("dropped");
    file.Discard();
    EXPECT_FALSE(file.Write("more"));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(GetFile(m_path), "old");
    EXPECT_EQ(FilesIn(m_dir), 1u);
}

TEST_F(SafeFileTest, UnwritableTargetsCannotBeCreated)
{
    CSafeFileWriter file;
    EXPECT_FALSE(file.Open(m_dir + "/missing/target.txt"));
    EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_CANNOT_CREATE);
    EXPECT_FALSE(file.Open(m_dir));
    EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_CANNOT_CREATE);
    EXPECT_FALSE(file.Open(""));
    EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_CANNOT_CREATE);
    EXPECT_TRUE(fs::is_directory(m_dir));
    EXPECT_EQ(FilesIn(m_dir), 0u);
}

TEST_F(SafeFileTest, FailurePartWayKeepsTheOldFile)
{
    const std::string config = m_dir + "/Korvex_Config.txt";
    const std::string output = m_dir + "/Out.txt";
    PutFile(m_path, "old");
    PutFile(config, "old config");
    PutFile(output, "old output");
    FileSizeLimit limit(100);

    CSafeFileWriter file;
    ASSERT_TRUE(file.Open(m_path));
    file.Write(std::string(1000, 'x'));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_WRITE_FAILED);

    ASSERT_TRUE(file.Open(m_path));
    EXPECT_FALSE(file.Write(std::string(100000, 'x')));  // fails at once, not only on commit
    EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_WRITE_FAILED);

    AppSettings settings;
    EXPECT_FALSE(SaveSettings(config, settings, "C:\\Prog\\"));
    CSettingsFile records;
    records.SetString("BIG", std::string(2048, 'v'));
    EXPECT_FALSE(records.Write(config));
    EXPECT_EQ(WriteTextLines(output, {std::string(500, 'a'), "b"}, 2), OutputResult::WriteFailed);

    EXPECT_EQ(GetFile(m_path), "old");
    EXPECT_EQ(GetFile(config), "old config");
    EXPECT_EQ(GetFile(output), "old output");
    EXPECT_EQ(FilesIn(m_dir), 3u);
}

// A failure at any step keeps the old file and leaves no other, and is told with its own
// error, never with one that a later step would give as well.
TEST_F(SafeFileTest, AFailureAtEachStepIsToldWithItsOwnError)
{
    const struct {
        const char* step;
        rlim_t sizeLimit;  // 0: none
        FailingCall call;
        int error;
        bool secondWriteFails;  // the write that overflows the gathering buffer fails
    } steps[] = {
        {"the write of the full buffer", 1000, FailingCall::None, EFBIG, true},
        {"the last write, on commit", 50000, FailingCall::None, EFBIG, false},
        {"the sync", 0, FailingCall::Fsync, EIO, false},
        {"the close", 0, FailingCall::Close, ENOSPC, false},
        {"the rename", 0, FailingCall::Rename, EXDEV, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        PutFile(m_path, "old");
        CSafeFileWriter file;
        ASSERT_TRUE(file.Open(m_path));
        {
            std::unique_ptr<FileSizeLimit> limit(s.sizeLimit ? new FileSizeLimit(s.sizeLimit) : nullptr);
            EXPECT_TRUE(file.Write(std::string(40000, 'a')));
            EXPECT_EQ(file.Write(std::string(30000, 'b')), !s.secondWriteFails);
            g_failCall = s.call;
            g_failError = s.error;
            errno = ENOENT;  // what other calls in between leave behind
            EXPECT_FALSE(file.Commit());
            g_failCall = FailingCall::None;
        }
        EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_WRITE_FAILED);
        EXPECT_EQ(LastFileError(), static_cast<uint32_t>(s.error));
        EXPECT_EQ(GetFile(m_path), "old");
        EXPECT_EQ(FilesIn(m_dir), 1u);
    }
}

TEST_F(SafeFileTest, NothingButARegularFileIsWritten)
{
    // A pipe with a reader waiting: whatever a writer sent would be there to read.
    const std::string fifo = m_dir + "/till.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    // A terminal whose other end is read here, in a folder where nothing can be made
    // beside it: a writer gone wrong reaches it, and not the system's own devices.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string terminal = ptsname(master);
    // Here device names are plain files, each with bytes that must stay: a name is
    // refused for what it is, before anything is opened.
    const std::vector<std::string> named = {m_dir + "/COM5", m_dir + "/com5 .txt", m_dir + "/LPT\xC2\xB9.log",
                                            m_dir + "/Nul..."};
    for (const std::string& path : named)
        PutFile(path, "kept: " + path);
    std::vector<std::string> targets = named;
    targets.push_back(terminal);
    targets.push_back(fifo);

    for (const std::string& path : targets) {
        CSafeFileWriter file;
        EXPECT_FALSE(file.Open(path)) << path;
        EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_CANNOT_CREATE) << path;
        EXPECT_FALSE(file.Write("sent")) << path;
        EXPECT_EQ(WriteTextLines(path, {"A"}, 1), OutputResult::CannotCreate) << path;
        CSettingsFile records;
        records.SetInt("COM_PORT", 5);
        EXPECT_FALSE(records.Write(path)) << path;
        EXPECT_FALSE(SaveSettings(path, AppSettings(), "C:\\Prog\\")) << path;
    }
    for (const std::string& path : named)
        EXPECT_EQ(GetFile(path), "kept: " + path);
    char byte;
    EXPECT_LE(read(reader, &byte, 1), 0) << "a byte reached the pipe";
    EXPECT_LE(read(master, &byte, 1), 0) << "a byte reached the terminal";
    EXPECT_TRUE(fs::is_character_file(terminal));
    close(reader);
    close(master);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(FilesIn(m_dir), named.size() + 1) << "no backup, no temporary file";
}

TEST(SafeFileFallback, ReadOnlyFolderIsWrittenInPlace)
{
    // Bit flags of the checks that failed in the child.
    const int failed = RunUnprivileged([] {
        char pattern[] = "/tmp/korvex_readonly_XXXXXX";
        if (!mkdtemp(pattern))
            return 1;
        const std::string dir = pattern;
        const std::string path = dir + "/Korvex_Config.txt";
        const std::string locked = dir + "/locked.txt";
        PutFile(path, "old contents, longer than the new");
        PutFile(locked, "locked");
        chmod(locked.c_str(), 0444);
        chmod(dir.c_str(), 0555);

        int result = 0;
        CSafeFileWriter file;
        if (!file.Open(path) || !file.IsInPlace() || !file.Write("new") || !file.Commit())
            result |= 2;
        if (GetFile(path) != "new")
            result |= 4;
        CSettingsFile records;
        records.SetInt("COM_PORT", 3);
        if (!records.Write(path) || GetFile(path) != "\x01" "COM_PORT\x02\r\n3\x03\r\n\r\n")
            result |= 8;
        if (file.Open(dir + "/new.txt") || file.GetResult() != CSafeFileWriter::RESULT_CANNOT_CREATE)
            result |= 16;
        if (WriteTextLines(locked, {"A"}, 1) != OutputResult::CannotCreate || GetFile(locked) != "locked")
            result |= 32;
        if (FilesIn(dir) != 2)
            result |= 64;

        chmod(dir.c_str(), 0755);
        fs::remove_all(dir);
        return result;
    });
    if (failed < 0)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(failed, 0);
}

TEST_F(SafeFileTest, NothingIsWrittenThroughAPlantedLink)
{
    const std::string outside = m_dir + "/outside";
    ASSERT_TRUE(fs::create_directory(outside));
    const std::string victim = outside + "/victim.txt";
    PutFile(victim, "victim's own");

    // The target a link, to a file or to nothing yet: refused, nothing made or changed.
    ASSERT_EQ(symlink(victim.c_str(), m_path.c_str()), 0);
    EXPECT_EQ(WriteTextLines(m_path, {"A"}, 1), OutputResult::CannotCreate);
    CSettingsFile records;
    records.SetInt("COM_PORT", 4);
    EXPECT_FALSE(records.Write(m_path));
    ASSERT_EQ(unlink(m_path.c_str()), 0);
    ASSERT_EQ(symlink((outside + "/planted.txt").c_str(), m_path.c_str()), 0);
    EXPECT_EQ(WriteTextLines(m_path, {"A"}, 1), OutputResult::CannotCreate);
    EXPECT_FALSE(fs::exists(outside + "/planted.txt"));
    ASSERT_EQ(unlink(m_path.c_str()), 0);

    // A link at the backup's name is replaced by the backup, never followed; the backup
    // is the old file itself, not a second name of the new one.
    Put("first dump");
    ASSERT_EQ(symlink(victim.c_str(), (m_path + ".bak").c_str()), 0);
    ASSERT_EQ(WriteTextLines(m_path, {"second"}, 1), OutputResult::Ok);
    EXPECT_EQ(Get(), "second\r\n");
    EXPECT_FALSE(fs::is_symlink(m_path + ".bak"));
    EXPECT_EQ(GetFile(m_path + ".bak"), "first dump");
    EXPECT_EQ(GetFile(victim), "victim's own");
    struct stat target, backup;
    ASSERT_EQ(stat(m_path.c_str(), &target), 0);
    ASSERT_EQ(stat((m_path + ".bak").c_str(), &backup), 0);
    EXPECT_EQ(target.st_nlink, 1u);
    EXPECT_EQ(backup.st_nlink, 1u);
    EXPECT_NE(target.st_ino, backup.st_ino);

    // New files beside a target have names nobody can guess, each its own.
    CSafeFileWriter a, b;
    ASSERT_TRUE(a.Open(m_path));
    ASSERT_TRUE(b.Open(m_dir + "/other.txt"));
    std::vector<std::string> temporary;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, 5, ".~kvx") == 0)
            temporary.push_back(name);
    }
    ASSERT_EQ(temporary.size(), 2u);
    EXPECT_NE(temporary[0], temporary[1]);
    for (const std::string& name : temporary)
        EXPECT_TRUE(std::regex_match(name, std::regex(R"(\.~kvx[0-9a-f]{16}\.tmp)"))) << name;
}

TEST_F(SafeFileTest, OnlyRegularFilesOfBoundedSizeAreRead)
{
    std::string data = "stale";
    Put(std::string(1000, 'a') + "z");
    ASSERT_TRUE(ReadRegularFile(m_path, 1001, data));
    EXPECT_EQ(data, std::string(1000, 'a') + "z");
    data = "stale";
    EXPECT_FALSE(ReadRegularFile(m_path, 1000, data)) << "one byte over the bound";
    EXPECT_EQ(data, "");
    size_t got = 7;
    EXPECT_FALSE(ReadRegularFile(m_path, 5000, [](size_t) -> char* { return nullptr; }, got)) << "no room";
    EXPECT_EQ(got, 0u);

    // A pipe with a writer that sends nothing would hold a reader for ever; a device that
    // never ends, a folder, a missing file and a 2 GB file are all refused unread.
    const std::string fifo = m_dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string big = m_dir + "/big.txt";
    PutFile(big, "0x41;0x42\n");
    ASSERT_EQ(truncate(big.c_str(), 2147483648LL), 0);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : {fifo, std::string("/dev/zero"), m_dir, m_dir + "/missing.txt", big}) {
        data = "stale";
        EXPECT_FALSE(ReadRegularFile(path, SMALL_FILE_LIMIT, data)) << path;
        EXPECT_EQ(data, "") << path;
    }

    // The readers built on it: tables, language file and Load give what a missing file gives.
    const std::string table = m_dir + "/table.txt";
    PutFile(table, "0x41;0x42\n" + std::string(SMALL_FILE_LIMIT - 10, '\n'));
    TranslationTables tables;
    EXPECT_TRUE(tables.LoadInvalidCharFile(table)) << "a table file right at the bound";
    EXPECT_EQ(tables.GetInvalidCount(), 2);
    PutFile(table, "0x41;0x42\n" + std::string(SMALL_FILE_LIMIT - 9, '\n'));
    for (const std::string& path : {fifo, big, table}) {
        EXPECT_FALSE(tables.LoadInvalidCharFile(path)) << path;
        EXPECT_FALSE(tables.LoadTranslationFile(path)) << path;
        std::vector<std::string> texts{"stale"};
        EXPECT_FALSE(ReadMarkedEntries(path, texts)) << path;
        EXPECT_TRUE(texts.empty());
    }
    CLineStore lines;
    lines.AddLine("stale");
    EXPECT_FALSE(ReadTextLines(fifo, lines));
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close(writer);
}

TEST(DeviceNames, TheDevicesOfEveryFolderAndTheDeviceNamespace)
{
    // In any letter case, with an extension, trailing dots and spaces, in any folder,
    // with the superscript digits (UTF-8 here) and through every namespace prefix.
    for (const char* device :
         {"COM5", "com9.txt", "C:\\data\\nul", "LPT1:", "Aux .log", "conout$", "C:PRN", "COM1.txt", "cOm1",
          "x\\COM5.txt", "folder\\LPT1.log", "Z:\\some\\folder\\COM5.txt", "d:/logs/lpt9.LOG", "COM0", "LPT0",
          "CON", "con.", "PRN...", "nul  .  ", "COM3 ", "lpt2 . .txt", "COM\xC2\xB9", "lpt\xC2\xB2.log",
          "C:\\x\\Com\xC2\xB3.txt", "\\\\.\\COM5", "\\\\.\\COM11", "//./com12", "\\\\.\\pipe\\korvex",
          "\\\\?\\GLOBALROOT\\Device\\Null", "\\??\\COM11", "\\\\?\\C:\\x\\COM1.txt", "\\\\.\\D:\\aux.log",
          "\\\\?\\UNC\\server\\share\\PRN.txt"})
        EXPECT_TRUE(IsDeviceName(device)) << device;
    // Look-alikes: more or other characters, a superscript that is no device, a device
    // name as a folder or as a stream's name.
    for (const char* file :
         {"COM10", "COMA", "CONSOLE.txt", "C:\\COM5\\Tab.txt", "LPT", "Out.txt", "", "COM", "COMM1", "xCOM1.txt",
          "COM1x.txt", "LPT10.log", "NULL.txt", "CON1", "AUXX", "COM\xC2\xB4", "COM\xE2\x81\xB4.txt",
          "COM\xC2\xB9\xC2\xB9", "COM_1", "Out.txt:COM1", "\\\\?\\C:\\COM5x.txt", "\\\\.\\D:\\Tab.txt",
          "\\\\?\\UNC\\server\\share\\Tab.txt", "\\\\server\\share\\Tab.txt", "\\??\\C:\\Out.txt",
          "\\\\?\\volume{0a1b2c3d-4e5f-6789-abcd-ef0123456789}\\Out.txt"})
        EXPECT_FALSE(IsDeviceName(file)) << file;
}

TEST_F(SafeFileTest, IdentityFollowsTheFileNotTheName)
{
    Put("record");
    const std::string hard = m_dir + "/hard.txt", soft = m_dir + "/soft.txt", copy = m_dir + "/copy.txt";
    ASSERT_EQ(link(m_path.c_str(), hard.c_str()), 0);
    ASSERT_EQ(symlink(m_path.c_str(), soft.c_str()), 0);
    PutFile(copy, "record");
    FileIdentity a, b, c, d;
    ASSERT_TRUE(GetFileIdentity(m_path, a));
    ASSERT_TRUE(GetFileIdentity(hard, b));
    ASSERT_TRUE(GetFileIdentity(m_dir + "/./soft.txt", c));
    ASSERT_TRUE(GetFileIdentity(copy, d));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    EXPECT_NE(a, d);
    EXPECT_FALSE(GetFileIdentity(m_dir + "/missing.txt", d));
    EXPECT_TRUE(LeadsElsewhere(soft));
    EXPECT_FALSE(LeadsElsewhere(m_path));
    EXPECT_FALSE(LeadsElsewhere(hard));
    EXPECT_FALSE(LeadsElsewhere(m_dir + "/missing.txt"));
    EXPECT_FALSE(GetFileIdentity("/dev/null", d));
    EXPECT_FALSE(GetFileIdentity("", d));
}

}  // namespace
