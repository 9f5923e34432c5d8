// Output text file: exact bytes written, line splitting on reading, path shortening.
#include "core/OutputFile.h"

#include "tests/native/TestFiles.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

// A file larger than memory must fail like any other read, not end the program.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

using Lines = std::vector<std::string>;

Lines ToLines(const CLineStore& store)
{
    Lines lines;
    for (int i = 0; i < store.Count(); ++i)
        lines.emplace_back(store.Line(i));
    return lines;
}

CLineStore Stale()
{
    CLineStore store;
    store.AddLine("stale");
    return store;
}

class OutputFileTest : public TempFolderTest
{
protected:
    OutputFileTest() : TempFolderTest("Out.txt") {}

    Lines Load(const std::string& bytes)
    {
        Put(bytes);
        CLineStore lines = Stale();
        EXPECT_TRUE(ReadTextLines(m_path, lines));
        return ToLines(lines);
    }
};

TEST_F(OutputFileTest, EachLineIsWrittenWithCrLf)
{
    EXPECT_EQ(WriteTextLines(m_path, {"A", "", "B"}, 3), OutputResult::Ok);
    EXPECT_EQ(Get(), std::string("\x41\x0D\x0A\x0D\x0A\x42\x0D\x0A"));

    // Only the given count, never past the list.
    EXPECT_EQ(WriteTextLines(m_path, {"A", "B", "C"}, 2), OutputResult::Ok);
    EXPECT_EQ(Get(), "A\r\nB\r\n");
    EXPECT_EQ(WriteTextLines(m_path, {"A"}, 5), OutputResult::Ok);
    EXPECT_EQ(Get(), "A\r\n");

    // An existing longer file is replaced; an empty view gives 0 bytes.
    EXPECT_EQ(WriteTextLines(m_path, {}, 0), OutputResult::Ok);
    EXPECT_TRUE(std::filesystem::exists(m_path));
    EXPECT_EQ(Get(), "");

    EXPECT_EQ(WriteTextLines(m_dir + "/no/such/dir/Out.txt", {"A"}, 1), OutputResult::CannotCreate);
    EXPECT_EQ(WriteTextLines("", {"A"}, 1), OutputResult::CannotCreate);
    EXPECT_EQ(WriteTextLines(m_dir, {"A"}, 1), OutputResult::CannotCreate);
}

TEST_F(OutputFileTest, ASaveKeepsTheNonEmptyFileItReplacesAsBak)
{
    const std::string bak = m_path + ".bak";
    const std::string dump("A\r\n\x00\xFF\rB\n\r\n" "end", 12);
    Put(dump);
    ASSERT_EQ(WriteTextLines(m_path, {"new"}, 1), OutputResult::Ok);
    EXPECT_EQ(Get(), "new\r\n");
    EXPECT_EQ(GetFile(bak), dump);

    // One generation: the next save replaces the backup.
    ASSERT_EQ(WriteTextLines(m_path, {"newer"}, 1), OutputResult::Ok);
    EXPECT_EQ(GetFile(bak), "new\r\n");
    // An empty file carries nothing worth keeping: it does not push out the backup.
    ASSERT_EQ(WriteTextLines(m_path, {}, 0), OutputResult::Ok);
    ASSERT_EQ(WriteTextLines(m_path, {"x"}, 1), OutputResult::Ok);
    EXPECT_EQ(GetFile(bak), "newer\r\n");

    // A backup that can't be made leaves the save as it was.
    std::filesystem::remove(bak);
    std::filesystem::create_directory(bak);
    EXPECT_EQ(WriteTextLines(m_path, {"y"}, 1), OutputResult::Ok);
    EXPECT_EQ(Get(), "y\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(bak));
}

TEST_F(OutputFileTest, OnlyCrLfEndsALineOnLoading)
{
    EXPECT_EQ(Load(""), Lines{});
    EXPECT_EQ(Load("A\nB"), Lines{"AB"});
    EXPECT_EQ(Load("A\r\nB"), (Lines{"A", "B"}));
    EXPECT_EQ(Load("A\r\n\r\n"), (Lines{"A", ""}));
    EXPECT_EQ(Load("\r\n"), Lines{""});
    EXPECT_EQ(Load("A\rB\r\n"), Lines{"AB"});
    EXPECT_EQ(Load("\n\r"), Lines{});
    EXPECT_EQ(Load("A\r\r\nB\n\r\nC\r"), (Lines{"A", "B", "C"}));
    // A line ends at its first NUL, as it does on screen, on paper and in the saved file.
    EXPECT_EQ(Load(std::string("\0x\r\nAB\0\r\n\r\nC\xFF", 13)), (Lines{"", "AB", "", "C\xFF"}));
    EXPECT_EQ(Load(std::string("x\0\ny\r\r\n\0", 9)), (Lines{"x", ""}));

    CLineStore lines = Stale();
    EXPECT_FALSE(ReadTextLines("", lines));
    EXPECT_EQ(lines.Count(), 0);
    lines = Stale();
    EXPECT_FALSE(ReadTextLines(m_dir + "/missing.txt", lines));
    EXPECT_EQ(lines.Count(), 0);
    lines = Stale();
    EXPECT_FALSE(ReadTextLines(m_dir, lines));  // a folder is not a file
    EXPECT_EQ(lines.Count(), 0);
}

TEST_F(OutputFileTest, SaveAndLoadGiveBackTheLines)
{
    Lines lines{"first", "", "  indented", "", "", "last with \xE4"};
    for (int i = 0; i < 5000; ++i)
        lines.push_back(std::string(static_cast<size_t>(i % 97), static_cast<char>('a' + i % 26)));
    ASSERT_EQ(WriteTextLines(m_path, lines, lines.size()), OutputResult::Ok);
    CLineStore back;
    ASSERT_TRUE(ReadTextLines(m_path, back));
    EXPECT_EQ(ToLines(back), lines);  // the empty last line (i = 0 of a round of 97) doesn't end the file
    // The store writes the same bytes.
    const std::string bytes = Get();
    ASSERT_EQ(WriteTextLines(m_path, back), OutputResult::Ok);
    EXPECT_TRUE(Get() == bytes);
}

TEST_F(OutputFileTest, FileTooLargeForMemoryFailsCleanly)
{
    // A sparse file costs no disk space but claims far more than the address space allows.
    const off_t huge = off_t{1} << 42;
    Put("");
    if (truncate(m_path.c_str(), huge) != 0)
        GTEST_SKIP() << "no sparse files here";
    CLineStore lines = Stale();
    EXPECT_FALSE(ReadTextLines(m_path, lines));
    EXPECT_EQ(lines.Count(), 0);
}

TEST(ShortenPath, DropsCharactersAfterTheDrivePrefixUntilItFits)
{
    const auto chars = [](const std::string& text) { return static_cast<int>(text.size()); };
    const std::string path = "C:\\Data\\Recording\\Out.txt";  // 25 characters
    EXPECT_EQ(ShortenPath("", 100, chars), "");
    EXPECT_EQ(ShortenPath(path, 26, chars), path);
    // Equal to the limit isn't enough for the whole path, but is for a shortened one.
    EXPECT_EQ(ShortenPath(path, 25, chars), "C:\\...a\\Recording\\Out.txt");
    EXPECT_EQ(ShortenPath(path, 17, chars), "C:\\...ing\\Out.txt");
    EXPECT_EQ(ShortenPath(path, 6, chars), "C:\\...");
    EXPECT_EQ(ShortenPath(path, 5, chars), path);  // nothing fits
    EXPECT_EQ(ShortenPath("\\\\server\\share\\Out.txt", 11, chars), "...\\Out.txt");
    EXPECT_EQ(ShortenPath("X:", 1, chars), "X:");

    // At most 1000 candidates are tried: the last one has 999 characters fewer.
    const std::string longPath = "C:\\" + std::string(1100, 'x');
    EXPECT_TRUE(ShortenPath(longPath, 107, chars) == "C:\\..." + std::string(101, 'x'));
    EXPECT_TRUE(ShortenPath(longPath, 106, chars) == longPath);
}

}  // namespace
