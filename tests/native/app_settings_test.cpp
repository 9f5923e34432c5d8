// Settings record: defaults, loading and saving through the configuration file, path helpers.
#include "core/AppSettings.h"

#include "tests/native/TestFiles.h"

#include <string>

namespace {

const std::string PROG = "C:\\Prog\\";

class AppSettingsTest : public TempFolderTest
{
protected:
    AppSettingsTest() : TempFolderTest("Korvex_Config.txt") {}
};

std::string Rec(const std::string& key, const std::string& value)
{
    return std::string("\x01") + key + "\x02" + "\r\n" + value + "\x03" + "\r\n\r\n";
}

// The 18 records in their fixed order, from the values given as text.
std::string AllRecords(const std::string& language, const std::string& output, const std::string& tab,
                       const std::string& invalid, const std::string& font = "Courier New",
                       const std::string& color = "0", const std::string& rientry = "0",
                       const std::string& port = "1")
{
    return Rec("COM_PORT", port) + Rec("BAUD_RATE", "9600") + Rec("LANGUAGE_FILE", language) +
           Rec("OUTPUT_FILE", output) + Rec("TAB_FILE", tab) + Rec("INVALID_CHAR_FILE", invalid) +
           Rec("UPDATE_LIST_POSITION", "0") + Rec("LIST_FONT_NAME", font) +
           Rec("LIST_FONT_SIZE", "10") + Rec("LIST_FONT_CHARSET", "1") +
           Rec("LIST_FONT_BOLD", "400") + Rec("LIST_FONT_ITALIC", "0") +
           Rec("LIST_FONT_UNDERLINE", "0") + Rec("LIST_FONT_STRIKEOUT", "0") +
           Rec("LIST_FONT_COLOR", color) + Rec("SHOW_DLGDATA_ONMOVE", "1") +
           Rec("SHOW_DLGDATA_ONSIZE", "1") + Rec("RIENTRY", rientry);
}

TEST_F(AppSettingsTest, NoConfigFileKeepsDefaultsAndTheFirstSaveWritesThem)
{
    AppSettings s;
    s.languageFile = PROG + "Korvex_Language_Eng.txt";  // what start-up sets
    EXPECT_FALSE(LoadSettings(m_path, s, PROG));
    EXPECT_EQ(s.comPort, 1);
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(s.listFontName, "Courier New");
    EXPECT_EQ(s.listFontSize, 10);
    EXPECT_EQ(s.listFontCharset, 1);
    EXPECT_EQ(s.listFontBold, 400);
    EXPECT_EQ(s.listFontColor, 0u);
    EXPECT_EQ(s.showDlgDataOnMove, 1);
    EXPECT_EQ(s.showDlgDataOnSize, 1);
    EXPECT_EQ(s.indent, 0);
    EXPECT_EQ(s.languageFile, PROG + "Korvex_Language_Eng.txt");
    EXPECT_TRUE(s.outputFile.empty() && s.tabFile.empty() && s.invalidCharFile.empty());

    ASSERT_TRUE(SaveSettings(m_path, s, PROG));
    EXPECT_EQ(Get(), AllRecords("Korvex_Language_Eng.txt", "", "", ""));
}

TEST_F(AppSettingsTest, MessyFileLoadsAsReadAndIsRewrittenAsTheEighteenRecords)
{
    Put(Rec("FOO", "bar") +                               // unknown key
        Rec("com_port", "3") + Rec("COM_PORT", "4") +     // odd case, duplicate: the first counts
        Rec("Baud_Rate", "19200x") +                      // trailing junk after the number
        Rec(std::string(60, 'Q'), "sixty") +              // cut key, unknown either way
        Rec("LIST_FONT_NAME", std::string(3000, 'F')) +   // cut value
        Rec("LIST_FONT_SIZE", "big") +                    // not a number
        Rec("LIST_FONT_CHARSET", "300") +                 // low 8 bits kept
        Rec("LIST_FONT_BOLD", " -700") +
        Rec("LIST_FONT_COLOR", "16711680") +              // pure blue
        Rec("TAB_FILE", "sub\\Tab.txt") + Rec("OUTPUT_FILE", "\\\\server\\share\\Out.txt") +
        Rec("INVALID_CHAR_FILE", "D:\\Tables\\Bad.txt") +
        Rec("RIENTRY", "75") +
        "\x01UPDATE_LIST_POSITION\x02\r\n1");              // cut off at the end of the file
    AppSettings s;
    s.languageFile = PROG + "Korvex_Language_Eng.txt";
    ASSERT_TRUE(LoadSettings(m_path, s, PROG));
    EXPECT_EQ(s.comPort, 3);
    EXPECT_EQ(s.baudRate, 19200);
    EXPECT_EQ(s.listFontName, std::string(2048, 'F'));
    EXPECT_EQ(s.listFontSize, 0);
    EXPECT_EQ(s.listFontCharset, 44);
    EXPECT_EQ(s.listFontBold, -700);
    EXPECT_EQ(s.listFontColor, 0xFF0000u);
    EXPECT_EQ(s.indent, 75);
    EXPECT_EQ(s.updateListPosition, 0);
    EXPECT_EQ(s.tabFile, "C:\\Prog\\sub\\Tab.txt");
    EXPECT_EQ(s.outputFile, "\\\\server\\share\\Out.txt");
    EXPECT_EQ(s.invalidCharFile, "D:\\Tables\\Bad.txt");
    EXPECT_EQ(s.languageFile, "");  // no LANGUAGE_FILE key: no language file

    ASSERT_TRUE(SaveSettings(m_path, s, PROG));
    std::string expected = AllRecords("", "\\\\server\\share\\Out.txt", "sub\\Tab.txt", "D:\\Tables\\Bad.txt",
                                      std::string(2048, 'F'), "16711680", "75", "3");
    const auto replace = [&](const std::string& key, const std::string& from, const std::string& to) {
        const std::string old = Rec(key, from);
        expected.replace(expected.find(old), old.size(), Rec(key, to));
    };
    replace("BAUD_RATE", "9600", "19200");
    replace("LIST_FONT_SIZE", "10", "0");
    replace("LIST_FONT_CHARSET", "1", "44");
    replace("LIST_FONT_BOLD", "400", "-700");
    EXPECT_TRUE(Get() == expected);
}

TEST_F(AppSettingsTest, MissingKeysKeepValuesButEmptyThePaths)
{
    Put(Rec("COM_PORT", "3") + Rec("LIST_FONT_COLOR", "255"));
    AppSettings s;
    s.languageFile = PROG + "Korvex_Language_Eng.txt";
    s.outputFile = PROG + "Out.txt";
    ASSERT_TRUE(LoadSettings(m_path, s, PROG));
    EXPECT_EQ(s.comPort, 3);
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(s.listFontColor, 255u);  // red is the low byte
    EXPECT_EQ(s.listFontBold, 400);
    EXPECT_EQ(s.languageFile, "");
    EXPECT_EQ(s.outputFile, "");

    // An empty value empties the path as well; paths are read back as full paths.
    Put(Rec("LANGUAGE_FILE", "") + Rec("TAB_FILE", "Tab.txt") + Rec("OUTPUT_FILE", "\\Out.txt"));
    ASSERT_TRUE(LoadSettings(m_path, s, PROG));
    EXPECT_EQ(s.languageFile, "");
    EXPECT_EQ(s.tabFile, "C:\\Prog\\Tab.txt");
    EXPECT_EQ(s.outputFile, "C:\\Prog\\\\Out.txt");
}

TEST_F(AppSettingsTest, EveryFieldSurvivesSaveAndLoad)
{
    AppSettings out;
    out.comPort = 7;
    out.baudRate = 115200;
    out.outputFile = PROG + "Out.txt";
    out.tabFile = "D:\\Tab.txt";
    out.invalidCharFile = PROG + "sub\\Bad.txt";
    out.languageFile = PROG + "Lang.txt";
    out.updateListPosition = 1;
    out.listFontName = "Arial";
    out.listFontSize = -13;
    out.listFontCharset = 204;
    out.listFontBold = 700;
    out.listFontItalic = 1;
    out.listFontUnderline = 1;
    out.listFontStrikeout = 1;
    out.listFontColor = 0xC8FFFF;
    out.showDlgDataOnMove = 0;
    out.showDlgDataOnSize = 0;
    out.indent = 12;
    ASSERT_TRUE(SaveSettings(m_path, out, PROG));
    AppSettings in;
    ASSERT_TRUE(LoadSettings(m_path, in, PROG));
    EXPECT_EQ(in.comPort, 7);
    EXPECT_EQ(in.baudRate, 115200);
    EXPECT_EQ(in.outputFile, out.outputFile);
    EXPECT_EQ(in.tabFile, out.tabFile);
    EXPECT_EQ(in.invalidCharFile, out.invalidCharFile);
    EXPECT_EQ(in.languageFile, out.languageFile);
    EXPECT_EQ(in.updateListPosition, 1);
    EXPECT_EQ(in.listFontName, "Arial");
    EXPECT_EQ(in.listFontSize, -13);
    EXPECT_EQ(in.listFontCharset, 204);
    EXPECT_EQ(in.listFontBold, 700);
    EXPECT_EQ(in.listFontItalic, 1);
    EXPECT_EQ(in.listFontUnderline, 1);
    EXPECT_EQ(in.listFontStrikeout, 1);
    EXPECT_EQ(in.listFontColor, 0xC8FFFFu);
    EXPECT_EQ(in.showDlgDataOnMove, 0);
    EXPECT_EQ(in.showDlgDataOnSize, 0);
    EXPECT_EQ(in.indent, 12);
}

// Only a font size too large for any screen or page is refused (it showed nothing and
// printed pages without lines); every other value loads as read and is written back so.
TEST_F(AppSettingsTest, OnlyAnOutsizedFontSizeLoadsAsTheDefault)
{
    const auto load = [&](const std::string& size) {
        Put(Rec("LIST_FONT_SIZE", size) + Rec("RIENTRY", "75") + Rec("COM_PORT", "0") + Rec("LIST_FONT_BOLD", "-7"));
        AppSettings s;
        s.listFontSize = -13;
        EXPECT_TRUE(LoadSettings(m_path, s, PROG));
        EXPECT_EQ(s.indent, 75);
        EXPECT_EQ(s.comPort, 0);
        EXPECT_EQ(s.listFontBold, -7);
        return s.listFontSize;
    };
    EXPECT_EQ(load("1600"), 1600);
    EXPECT_EQ(load("-1600"), -1600);
    EXPECT_EQ(load("0"), 0);
    EXPECT_EQ(load("-1"), -1);
    EXPECT_EQ(load("1601"), 10);
    EXPECT_EQ(load("-1601"), 10);
    EXPECT_EQ(load("2147483647"), 10);
    EXPECT_EQ(load("-2147483648"), 10);
    EXPECT_TRUE(IsSaneFontSize(400) && IsSaneFontSize(-533) && !IsSaneFontSize(70000));
}

TEST(AppSettingsPaths, RelativeAndAbsoluteFormsFollowTheProgramDirectory)
{
    EXPECT_EQ(MakeRelativePath("C:\\Prog\\Tab.txt", PROG), "Tab.txt");
    EXPECT_EQ(MakeRelativePath("C:\\Prog\\sub\\Tab.txt", PROG), "sub\\Tab.txt");
    EXPECT_EQ(MakeRelativePath("D:\\Tables\\Tab.txt", PROG), "D:\\Tables\\Tab.txt");
    EXPECT_EQ(MakeRelativePath("c:\\prog\\Tab.txt", PROG), "c:\\prog\\Tab.txt");
    EXPECT_EQ(MakeRelativePath("C:\\Prog", PROG), "C:\\Prog");
    EXPECT_EQ(MakeRelativePath("C:\\Prog\\", PROG), "");
    EXPECT_EQ(MakeRelativePath("C:\\Prog\\\\x", PROG), "x");
    EXPECT_EQ(MakeRelativePath("C:\\Prog\\x", "C:\\Prog"), "x");

    const auto absolute = [](std::string path, const std::string& dir) {
        MakeAbsolutePath(path, dir);
        return path;
    };
    EXPECT_EQ(absolute("Tab.txt", PROG), "C:\\Prog\\Tab.txt");
    EXPECT_EQ(absolute("sub\\Tab.txt", PROG), "C:\\Prog\\sub\\Tab.txt");
    EXPECT_EQ(absolute("\\Tab.txt", PROG), "C:\\Prog\\\\Tab.txt");
    EXPECT_EQ(absolute("Tab.txt", "C:\\Prog"), "C:\\Prog\\Tab.txt");
    EXPECT_EQ(absolute("D:\\Tables\\Tab.txt", PROG), "D:\\Tables\\Tab.txt");
    EXPECT_EQ(absolute("\\\\server\\share\\", PROG), "\\\\server\\share\\");
    EXPECT_EQ(absolute("D:\\Tables\\\\", PROG), "D:\\Tables\\");
    EXPECT_EQ(absolute("sub\\\\", PROG), "C:\\Prog\\sub\\");
}

}  // namespace
