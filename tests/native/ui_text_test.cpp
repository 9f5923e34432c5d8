// UI text table: defaults, the marker reader with its escapes, all-or-nothing replacement.
#include "core/UiText.h"

#include "res/version.h"

#include "tests/native/TestFiles.h"

#include <string>
#include <vector>

namespace {

class UiTextTest : public TempFolderTest
{
protected:
    UiTextTest() : TempFolderTest("Korvex_Language_Eng.txt") {}
    void SetUp() override
    {
        TempFolderTest::SetUp();
        m_texts.Reset();
    }
    void TearDown() override
    {
        m_texts.Reset();
        TempFolderTest::TearDown();
    }

    std::vector<std::string> Texts(const std::string& bytes)
    {
        Put(bytes);
        std::vector<std::string> texts{"stale"};
        EXPECT_TRUE(ReadMarkedEntries(m_path, texts));
        return texts;
    }
    // A file as translators write it: numbered lines, one text each.
    std::string NumberedFile(int count)
    {
        std::string file = "; Korvex language file\r\n";
        for (int i = 0; i < count; ++i)
            file += std::to_string(i) + " :>\"T" + std::to_string(i) + "\"<:\r\n";
        return file;
    }

    UiTextTable m_texts;
};

TEST_F(UiTextTest, DefaultsAndFixedTexts)
{
    EXPECT_EQ(TXT_BASE_COUNT, 21);
    EXPECT_EQ(m_texts[TXT_COM_PORT], "COM Port");
    EXPECT_EQ(m_texts[TXT_SAVE_AS], "Save As...");
    EXPECT_EQ(m_texts[TXT_START], "Start");
    EXPECT_EQ(m_texts[TXT_STOP], "Stop");
    EXPECT_EQ(m_texts[TXT_EXIT_BUTTON], "");
    EXPECT_EQ(m_texts[TXT_EXIT_TOOLTIP], "Exit program");
    EXPECT_EQ(m_texts[TXT_CONFIRM_STOP_EXIT], "ATTENTION! Communication is start!\nContinue?");
    EXPECT_EQ(m_texts[TXT_ERR_LOAD_FILE], "ERROR load file.");
    EXPECT_EQ(m_texts[TXT_ERR_SAVE_FILE], "ERROR save file.");
    EXPECT_EQ(TXT_ERR_SAVE_FILE, 20);
    EXPECT_EQ(m_texts[TXT_FIND_NOT_FOUND], "Cannot find \"%s\".");
    EXPECT_STREQ(ABOUT_CAPTION, "About Korvex");
    EXPECT_EQ(AboutTitle(KORVEX_VERSION_TEXT), "Korvex v. 1.0");
}

TEST_F(UiTextTest, TextsLieBetweenMarkers)
{
    EXPECT_EQ(Texts(":>\"COM Port\"<:"), std::vector<std::string>{"COM Port"});
    EXPECT_EQ(Texts("1 :>\"a\"<: remark \"<: :> \" :>\"\"<:\r\n2:>\"b\"<:"),
              (std::vector<std::string>{"a", "", "b"}));
    // Raw line breaks and spaces inside a text are kept.
    EXPECT_EQ(Texts(":>\" two\r\nlines \"<:"), std::vector<std::string>{" two\r\nlines "});
    // Markers inside a text are plain bytes until the closing one.
    EXPECT_EQ(Texts(":>\"a:>\"b\"<:"), std::vector<std::string>{"a:>\"b"});
    // An unterminated last text is dropped, also when the end cuts a marker short.
    EXPECT_EQ(Texts(":>\"a\"<::>\"open"), std::vector<std::string>{"a"});
    EXPECT_EQ(Texts(":>\"a\"<::>\"open\"<"), std::vector<std::string>{"a"});
    EXPECT_EQ(Texts(":>"), std::vector<std::string>{});
    EXPECT_EQ(Texts(""), std::vector<std::string>{});

    std::vector<std::string> texts{"stale"};
    EXPECT_FALSE(ReadMarkedEntries(m_dir + "/missing.txt", texts));
    EXPECT_TRUE(texts.empty());
    texts = {"stale"};
    EXPECT_FALSE(ReadMarkedEntries("", texts));
    EXPECT_TRUE(texts.empty());
}

TEST_F(UiTextTest, EscapesTakeNThenRThenTEachOnce)
{
    const auto one = [this](const std::string& text) {
        const std::vector<std::string> texts = Texts(":>\"" + text + "\"<:");
        return texts.size() == 1 ? texts[0] : std::string("<count ") + std::to_string(texts.size()) + ">";
    };
    EXPECT_EQ(one("ATTENTION!\\nContinue?"), "ATTENTION!\nContinue?");
    EXPECT_EQ(one("\\r|\\t"), "\r|\t");
    EXPECT_EQ(one("\\nr|\\nt|\\rt|\\nrt"), "\n\r|\n\t|\r\t|\n\r\t");
    EXPECT_EQ(one("\\ntrace"), "\n\trace");
    // Out of order or repeated letters end the escape; the rest is read as text.
    EXPECT_EQ(one("\\rn|\\tn|\\nn|\\tr"), "\rn|\tn|\nn|\tr");
    EXPECT_EQ(one("\\x"), "\\x");
    EXPECT_EQ(one("C:\\Data"), "C:\\Data");
    // A backslash that takes nothing leaves the next byte to its usual meaning.
    EXPECT_EQ(one("\\\\n"), "\\\n");
    EXPECT_EQ(one("dir\\"), "dir\\");
    EXPECT_EQ(Texts(":>\"a\\"), std::vector<std::string>{});
    EXPECT_EQ(Texts(":>\"a\\n"), std::vector<std::string>{});
}

TEST_F(UiTextTest, TheTwentyOneTextsAndAnyOfTheLaterOnesReplaceTheTable)
{
    Put(NumberedFile(20));
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_COM_PORT], "COM Port");

    Put(NumberedFile(TXT_COUNT + 1));
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_COM_PORT], "COM Port") << "more texts than the table has";

    Put(NumberedFile(20) + "20 :>\"unterminated");
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_ERR_SAVE_FILE], "ERROR save file.");

    m_texts.LoadLanguage("");
    m_texts.LoadLanguage(m_dir + "/missing.txt");
    EXPECT_EQ(m_texts[TXT_START], "Start");

    // A file of the first 21 texts, as every file before the later ones were added.
    Put(NumberedFile(21));
    m_texts.LoadLanguage(m_path);
    for (int i = 0; i < TXT_BASE_COUNT; ++i)
        EXPECT_EQ(m_texts[i], "T" + std::to_string(i));
    EXPECT_EQ(m_texts[TXT_FIND_NOT_FOUND], "Cannot find \"%s\".");

    // An empty text is a valid replacement.
    std::string file = NumberedFile(20) + ":>\"\"<:";
    Put(file);
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_ERR_SAVE_FILE], "");
    EXPECT_EQ(m_texts[TXT_COM_PORT], "T0");

    Put(NumberedFile(21) + ":>\"Kein %s gefunden, %s\"<:");
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_ERR_SAVE_FILE], "T20");
    EXPECT_EQ(m_texts.With(TXT_FIND_NOT_FOUND, "50%s"), "Kein 50%s gefunden, %s");
}

TEST_F(UiTextTest, AValueTakesThePlaceOfTheFirstPercentS)
{
    EXPECT_EQ(m_texts.With(TXT_FIND_NOT_FOUND, "TOTAL \"A\""), "Cannot find \"TOTAL \"A\"\".");
    EXPECT_EQ(m_texts.With(TXT_FIND_NOT_FOUND, ""), "Cannot find \"\".");
    m_texts[TXT_FIND_NOT_FOUND] = "Not found.";
    EXPECT_EQ(m_texts.With(TXT_FIND_NOT_FOUND, "x"), "Not found.");
    EXPECT_EQ(m_texts.With(TXT_START, "x"), "Start");
}

// A failed print's message: how far it got, then the system's reason on a line of its
// own, taken as it is; in a language file's words where it has them.
TEST_F(UiTextTest, AFailedPrintSaysHowFarItGotAndTheSystemsReason)
{
    const struct {
        int pagesOut;
        const char* reason;
        const char* text;
    } rows[] = {
        {0, "", "The document could not be printed."},
        {0, "Path not found.", "The document could not be printed.\nPath not found."},
        {1, "", "The document could not be printed to the end: 1 page(s) went out."},
        {37, "Disk full %s.", "The document could not be printed to the end: 37 page(s) went out.\nDisk full %s."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(m_texts.PrintFailed(row.pagesOut, row.reason), row.text) << row.pagesOut << " " << row.reason;

    Put(NumberedFile(22) + ":>\"Nicht gedruckt.\"<: :>\"Nach %s Seiten abgebrochen.\"<:");
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts.PrintFailed(0, "Kein Pfad."), "Nicht gedruckt.\nKein Pfad.");
    EXPECT_EQ(m_texts.PrintFailed(12, ""), "Nach 12 Seiten abgebrochen.");
}

TEST_F(UiTextTest, EachTableKeepsItsOwnTexts)
{
    Put(NumberedFile(TXT_COUNT));
    UiTextTable other;
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_INDENT], "T4");
    EXPECT_EQ(other[TXT_INDENT], "Rientry") << "another table keeps the defaults";
    other[TXT_STOP] = "Halt";
    m_texts.Reset();
    EXPECT_EQ(m_texts[TXT_STOP], "Stop");
    EXPECT_EQ(m_texts[TXT_INDENT], "Rientry");
    EXPECT_EQ(other[TXT_STOP], "Halt") << "a reset of one table leaves the other";
}

}  // namespace
