// Safe file writer and its users: the old file survives every failure that happens
// before the new one is complete; where no new file can be made, the target is written in place.
#include "app/SafeFile.h"

#include "app/AppSettings.h"
#include "app/SettingsFile.h"
#include "ui/OutputFile.h"

#include "tests/native/TestFiles.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>

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

    // Through a symbolic link the file behind it changes and the link stays.
    const std::string link = m_dir + "/link.txt";
    ASSERT_EQ(symlink(m_path.c_str(), link.c_str()), 0);
    CSafeFileWriter viaLink;
    ASSERT_TRUE(viaLink.Open(link));
    viaLink.Write("via link");
    ASSERT_TRUE(viaLink.Commit());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(GetFile(m_path), "via link");

    // A new file needs no old one.
    CSafeFileWriter fresh;
    ASSERT_TRUE(fresh.Open(m_dir + "/new.txt"));
    ASSERT_TRUE(fresh.Commit());
    EXPECT_TRUE(fs::exists(m_dir + "/new.txt"));
    EXPECT_EQ(FilesIn(m_dir), 3u);
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
    EXPECT_EQ(WriteTextLines(output, {std::string(500, 'a'), "b"}, 2), OUTPUT_WRITE_FAILED);

    EXPECT_EQ(GetFile(m_path), "old");
    EXPECT_EQ(GetFile(config), "old config");
    EXPECT_EQ(GetFile(output), "old output");
    EXPECT_EQ(FilesIn(m_dir), 3u);
}

TEST_F(SafeFileTest, DevicesAreWrittenInPlace)
{
    CSafeFileWriter file;
    ASSERT_TRUE(file.Open("/dev/null"));
    EXPECT_TRUE(file.IsInPlace());
    file.Write("discarded by the device");
    EXPECT_TRUE(file.Commit());

    ASSERT_TRUE(file.Open("/dev/full"));
    EXPECT_TRUE(file.IsInPlace());
    file.Write("no space");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.GetResult(), CSafeFileWriter::RESULT_WRITE_FAILED);

    CSettingsFile records;
    records.SetInt("COM_PORT", 1);
    EXPECT_FALSE(records.Write("/dev/full"));
    EXPECT_EQ(WriteTextLines("/dev/full", {"A"}, 1), OUTPUT_WRITE_FAILED);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
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
        if (WriteTextLines(locked, {"A"}, 1) != OUTPUT_CANNOT_CREATE || GetFile(locked) != "locked")
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

}  // namespace
