// The path settings through the system's ANSI code page and short names, the wide file
// dialog and the output path box, with names outside the code page (Wine's code page
// here is 1252, which has no Greek capital omega).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/ConfigPath.h"
#include "core/PathText.h"
#include "support/WinTestSupport.h"
#include "ui/FileDialog.h"
#include "ui/OutputPathBox.h"

using namespace wintest;

namespace {

const std::string kOmega = "\xCE\xA9";  // U+03A9 in UTF-8

// Bytes of a file named by a UTF-8 path, read through the wide API.
std::string WideRead(const std::string& path)
{
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<cannot open>";
    char buffer[256];
    DWORD n = 0;
    std::string bytes;
    while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.append(buffer, n);
    ::CloseHandle(h);
    return bytes;
}

void WideWrite(const std::string& path, const std::string& bytes)
{
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD n = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(h);
}

// Folders named outside the code page, made through the wide API and removed with
// their files at the end.
class OmegaFolders : public ::testing::Test {
protected:
    std::string Folder(const std::string& name)
    {
        const std::string dir = m_temp.Path() + name + "\\";
        ::CreateDirectoryW(WidePath(dir).c_str(), nullptr);
        m_folders.push_back(dir);
        return dir;
    }
    void TearDown() override
    {
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) {
            WIN32_FIND_DATAW fd;
            const std::wstring dir = WidePath(*it);
            HANDLE h = ::FindFirstFileW((dir + L"*").c_str(), &fd);
            if (h != INVALID_HANDLE_VALUE) {
                do
                    ::DeleteFileW((dir + fd.cFileName).c_str());
                while (::FindNextFileW(h, &fd));
                ::FindClose(h);
            }
            ::RemoveDirectoryW(dir.c_str());
        }
    }
    TempDir m_temp;
    std::vector<std::string> m_folders;
};

TEST(ConfigPathCodecTest, TheCodePageTakesWhatItHasAndRefusesLookAlikes)
{
    ASSERT_EQ(::GetACP(), 1252u) << "these cases are written for code page 1252";
    const ConfigPathCodec& codec = SystemConfigPathCodec();
    EXPECT_EQ(codec.ToPath("C:\\Caf\xE9\\\x80.txt"), "C:\\Caf\xC3\xA9\\\xE2\x82\xAC.txt");  // é and the euro sign
    std::string stored = "untouched";
    ASSERT_TRUE(codec.ToStored("C:\\Caf\xC3\xA9\\\xE2\x82\xAC.txt", stored));
    EXPECT_EQ(stored, "C:\\Caf\xE9\\\x80.txt");
    // Best fit would make omega an O, and a Greek alpha an a: another folder.
    EXPECT_FALSE(codec.ToStored("C:\\" + kOmega + "mega\\Out.txt", stored));
    EXPECT_FALSE(codec.ToStored("C:\\\xCE\xB1lpha\\Out.txt", stored));
    EXPECT_EQ(codec.ShortForm("C:\\no such folder\\x.txt"), "");
}

TEST_F(OmegaFolders, SettingsUnderAndBesideAProgramFolderOutsideTheCodePageSurviveSaveAndLoad)
{
    const std::string programDir = Folder(kOmega + "mega");
    const std::string tables = Folder("T" + kOmega + "bles");
    WideWrite(tables + "Tab.txt", "table bytes");
    const std::string config = m_temp.File("Korvex_Config.txt");

    AppSettings out;
    out.outputFile = programDir + "Out.txt";        // under the program: relative
    out.tabFile = tables + "Tab.txt";               // an existing file: its short name
    out.invalidCharFile = tables + "Bad.txt";       // not made yet: its folder's short name
    out.languageFile = m_temp.File("Lang.txt");     // plain
    std::vector<std::string> notKept;
    ASSERT_TRUE(SaveSettings(config, out, programDir, &notKept));
    EXPECT_TRUE(notKept.empty());
    const std::string bytes = ReadFileBytes(config);
    EXPECT_NE(bytes.find("\x01OUTPUT_FILE\x02\r\nOut.txt\x03"), std::string::npos);
    for (unsigned char c : bytes)
        ASSERT_LT(c, 0x80) << "short names and plain paths only";

    AppSettings in;
    ASSERT_TRUE(LoadSettings(config, in, programDir));
    EXPECT_EQ(in.outputFile, programDir + "Out.txt");
    EXPECT_EQ(in.languageFile, m_temp.File("Lang.txt"));
    // Read back in their long form, as named.
    EXPECT_EQ(in.tabFile, out.tabFile);
    EXPECT_EQ(in.invalidCharFile, out.invalidCharFile);
    EXPECT_EQ(WideRead(in.tabFile), "table bytes") << in.tabFile;

    // A new file whose own name the code page lacks has no short name: the value stored
    // before stays, and the key is reported.
    out.outputFile = tables + kOmega + ".txt";
    ASSERT_TRUE(SaveSettings(config, out, programDir, &notKept));
    EXPECT_EQ(notKept, std::vector<std::string>{"OUTPUT_FILE"});
    EXPECT_NE(ReadFileBytes(config).find("\x01OUTPUT_FILE\x02\r\nOut.txt\x03"), std::string::npos);
}

TEST_F(OmegaFolders, TheFileDialogTakesAndGivesNamesOutsideTheCodePage)
{
    const std::string dir = Folder("D" + kOmega + "mps");
    std::string chosen;
    {
        FileDialogAnswer answer("Save " + kOmega + ".txt");  // a name only: the folder is the initial one
        ASSERT_TRUE(ShowFileDialog(nullptr, FileDialogKind::Save, "Out.txt", dir, chosen));
        EXPECT_EQ(answer.ProposedName(), "Out.txt");
    }
    EXPECT_EQ(chosen, dir + "Save " + kOmega + ".txt");
    WideWrite(chosen, "x");
    {
        FileDialogAnswer answer(chosen);
        ASSERT_TRUE(ShowFileDialog(nullptr, FileDialogKind::Open, "Save " + kOmega + ".txt", dir, chosen));
        EXPECT_EQ(answer.ProposedName(), "Save " + kOmega + ".txt");
    }
    EXPECT_EQ(chosen, dir + "Save " + kOmega + ".txt");
}

TEST(OutputPathBoxTest, APathOutsideTheCodePageReadsAsNamedAndIsCutBetweenCharacters)
{
    // A static control made through the ANSI API, as the dialog template makes it.
    HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 100, nullptr, nullptr, nullptr, nullptr);
    HWND box = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 560, 20, parent, nullptr, nullptr,
                                 nullptr);
    ASSERT_TRUE(parent && box);
    auto text = [box] {
        wchar_t buffer[512] = L"";
        ::GetWindowTextW(box, buffer, 512);
        return PathFromWide(buffer);
    };
    const std::string path = "C:\\" + kOmega + "mega\\Out.txt";
    ShowOutputPath(box, path);
    EXPECT_EQ(text(), path);

    std::string longPath = "C:\\";
    for (int i = 0; i < 40; ++i)
        longPath += kOmega;
    longPath += "\\Out.txt";
    for (int width : {120, 121, 122, 123, 124, 125}) {
        ::MoveWindow(box, 0, 0, width, 20, FALSE);
        ShowOutputPath(box, longPath);
        const std::string shown = text();
        EXPECT_EQ(shown.compare(0, 6, "C:\\..."), 0) << shown;
        EXPECT_EQ(shown.find("\xEF\xBF\xBD"), std::string::npos) << "no broken character at the cut: " << shown;
        EXPECT_LT(shown.size(), longPath.size());
        EXPECT_EQ(longPath.compare(longPath.size() - (shown.size() - 6), std::string::npos, shown, 6,
                                   std::string::npos),
                  0)
            << "the end of the path: " << shown;
    }
    ::DestroyWindow(parent);

    // Measured by bytes, the first short enough candidate would start inside an omega.
    const auto bytes = [](const std::string& t) { return static_cast<int>(t.size()); };
    const std::string fourOmegas = "C:\\" + kOmega + kOmega + kOmega + kOmega + "\\Out.txt";
    EXPECT_EQ(ShortenUtf8Path(fourOmegas, 17, bytes), "C:\\..." + kOmega + "\\Out.txt");
    EXPECT_EQ(ShortenUtf8Path(fourOmegas, 18, bytes), "C:\\..." + kOmega + kOmega + "\\Out.txt");
    EXPECT_EQ(ShortenUtf8Path(fourOmegas, 19, bytes), "C:\\..." + kOmega + kOmega + "\\Out.txt");
}

}  // namespace
