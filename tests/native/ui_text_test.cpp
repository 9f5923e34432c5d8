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

// The 21 texts every language file holds, by position, with their English defaults;
// then where the later ones begin, and the fixed texts.
TEST_F(UiTextTest, TheTwentyOneComeFirstInTheirOrderWithTheirDefaults)
{
    const struct {
        UiTextId id;
        int position;
        const char* text;
    } rows[] = {
        {TXT_COM_PORT, 0, "COM Port"},
        {TXT_BAUD_RATE, 1, "Baud Rate"},
        {TXT_UPDATE_BAR_POSITION, 2, "Update bar position"},
        {TXT_FONT, 3, "Font"},
        {TXT_INDENT, 4, "Rientry"},
        {TXT_OUTPUT, 5, "Output"},
        {TXT_SAVE, 6, "Save"},
        {TXT_SAVE_AS, 7, "Save As..."},
        {TXT_LOAD, 8, "Load"},
        {TXT_CLEAR, 9, "Clear"},
        {TXT_PRINT_PREVIEW, 10, "Print Preview"},
        {TXT_PRINT, 11, "Print"},
        {TXT_START, 12, "Start"},
        {TXT_STOP, 13, "Stop"},
        {TXT_EXIT_BUTTON, 14, ""},
        {TXT_EXIT_TOOLTIP, 15, "Exit program"},
        {TXT_CONFIRM_STOP_EXIT, 16, "ATTENTION! Communication is start!\nContinue?"},
        {TXT_CONFIRM_CLEAR, 17, "Clear all data?"},
        {TXT_ERR_OPEN_COM, 18, "ERROR open COM port."},
        {TXT_ERR_LOAD_FILE, 19, "ERROR load file."},
        {TXT_ERR_SAVE_FILE, 20, "ERROR save file."},
        // The later ones keep the places that language files already use.
        {TXT_FIND_NOT_FOUND, 21, "Cannot find \"%s\"."},
        {TXT_ERR_PRINT, 22, "The document could not be printed."},
        {TXT_NO_PORT, 24, "No COM port is present.\nConnect the register's adapter, then open the COM Port list."},
        {TXT_PORT_NOT_PRESENT, 25, "COM%s is not present."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(static_cast<int>(row.id), row.position) << row.text;
        EXPECT_EQ(m_texts[row.id], row.text);
    }
    EXPECT_EQ(TXT_BASE_COUNT, 21);
    // A few of the later ones, as the program showed them before they joined the table.
    EXPECT_EQ(m_texts[TXT_PAGE_PREFIX], "Pag. ");
    EXPECT_EQ(m_texts[TXT_LIST_AND], " and ");
    EXPECT_EQ(m_texts.Format(TXT_PRINTING_PAGE, {"3", "200"}), "Printing page 3 of 200");
    EXPECT_EQ(m_texts[TXT_USAGE].substr(0, 35), "Usage: Korvex.exe [options] [file]\n");
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

// A file replaces the table by position when it holds the 21 texts and at most all of
// the later ones; those it stops short of keep their defaults. Any other count, a text
// left open at the end, or no file at all changes nothing.
TEST_F(UiTextTest, TheTwentyOneTextsAndAnyOfTheLaterOnesReplaceTheTable)
{
    const struct {
        std::string file;
        int replaced;  // texts 0 to replaced - 1 are the file's
    } rows[] = {
        {NumberedFile(20), 0},
        {NumberedFile(20) + "20 :>\"unterminated", 0},
        {NumberedFile(TXT_COUNT + 1), 0},
        {"", 0},
        {NumberedFile(21), 21},
        {NumberedFile(23), 23},
        {NumberedFile(TXT_COUNT - 1), TXT_COUNT - 1},
        {NumberedFile(TXT_COUNT), TXT_COUNT},
    };
    for (const auto& row : rows) {
        Put(row.file);
        m_texts.Reset();
        m_texts.LoadLanguage(m_path);
        for (int i = 0; i < TXT_COUNT; ++i)
            ASSERT_EQ(m_texts[i], i < row.replaced ? "T" + std::to_string(i) : EnglishUiText()[i])
                << "text " << i << " of a file of " << row.replaced << " texts";
    }

    m_texts.LoadLanguage("");
    m_texts.LoadLanguage(m_dir + "/missing.txt");
    EXPECT_EQ(m_texts[TXT_CMD_NONE], "T" + std::to_string(TXT_CMD_NONE));

    // An empty text is a valid replacement.
    Put(NumberedFile(20) + ":>\"\"<:");
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_ERR_SAVE_FILE], "");
    EXPECT_EQ(m_texts[TXT_COM_PORT], "T0");

    Put(NumberedFile(21) + ":>\"Kein %s gefunden, %s\"<:");
    m_texts.LoadLanguage(m_path);
    EXPECT_EQ(m_texts[TXT_ERR_SAVE_FILE], "T20");
    EXPECT_EQ(m_texts.With(TXT_FIND_NOT_FOUND, "50%s"), "Kein 50%s gefunden, %s");
}

// A failure with its cause: the table's first line, then the file or port and the
// system's reason; values go in as they are, a % or a %s of theirs included.
TEST_F(UiTextTest, AFailureTellsTheFileOrPortAndTheReasonBelowTheTablesLine)
{
    const struct {
        UiTextId id;
        const char* subject;
        const char* reason;
        const char* text;
    } rows[] = {
        {TXT_ERR_SAVE_FILE, "C:\\Korvex\\Out.txt", "Access is denied.", "ERROR save file.\nC:\\Korvex\\Out.txt: Access is denied."},
        {TXT_ERR_LOAD_FILE, "D:\\100% done\\%s.txt", "The system cannot find the path specified.",
         "ERROR load file.\nD:\\100% done\\%s.txt: The system cannot find the path specified."},
        {TXT_ERR_SAVE_FILE, "E:\\Out.txt", "", "ERROR save file.\nE:\\Out.txt"},
        {TXT_ERR_OPEN_COM, "", "Access is denied.", "ERROR open COM port.\nAccess is denied."},
        {TXT_ERR_OPEN_COM, "", "", "ERROR open COM port."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(m_texts.Because(row.id, row.subject, row.reason), row.text) << row.subject;

    // The library's answer to Open, as a reason.
    EXPECT_EQ(m_texts.Because(TXT_ERR_OPEN_COM, "COM7", m_texts.With(TXT_LIBRARY_ANSWERED, "-3")),
              "ERROR open COM port.\nCOM7: the communication library answered -3");
    // Several values go in in turn; a %s beyond them stays, values beyond the %s go.
    EXPECT_EQ(m_texts.Format(TXT_CMD_BAD_TIME, {"\"9%s\"", "/wait", "86400"}),
              "The time \"9%s\" of /wait is not a whole number of seconds from 1 to 86400.");
    EXPECT_EQ(m_texts.Format(TXT_CMD_PORT_ABSENT, {"COM3"}),
              "The port COM3 given with /port is not one of the ports present: %s.");
    EXPECT_EQ(m_texts.Format(TXT_CMD_EMPTY_FILE, {"x", "y"}), "An empty file name was given.");
    EXPECT_EQ(UiTextTable::Fill("%s%s%", {"%", "s"}), "%s%");

    // In a language file's words.
    m_texts[TXT_ERR_SAVE_FILE] = "ERRORE salvataggio.";
    EXPECT_EQ(m_texts.Because(TXT_ERR_SAVE_FILE, "F:\\x.txt", "Disco pieno."),
              "ERRORE salvataggio.\nF:\\x.txt: Disco pieno.");
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

namespace {
// How many times the pattern occurs in the text.
size_t Occurrences(const std::string& text, const std::string& pattern)
{
    size_t n = 0;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
        ++n;
    return n;
}
}  // namespace

// The language files that ship: the English one says what the program says without it,
// the Italian one replaces every text and keeps each text's values in their places (the
// main window in its words: the captions test).
TEST(ShippedLanguageFiles, EnglishIsTheDefaultsAndItalianTranslatesEveryText)
{
    const std::string folder = std::string(KORVEX_SOURCE_DIR) + "/res/lang/";
    std::vector<std::string> english, italian;
    ASSERT_TRUE(ReadMarkedEntries(folder + "Korvex_Language_Eng.txt", english));
    ASSERT_TRUE(ReadMarkedEntries(folder + "Korvex_Language_Ita.txt", italian));
    ASSERT_EQ(english.size(), static_cast<size_t>(TXT_COUNT));
    ASSERT_EQ(italian.size(), static_cast<size_t>(TXT_COUNT));
    const UiTextTable defaults;
    for (int id = 0; id < TXT_COUNT; ++id) {
        EXPECT_EQ(english[id], defaults[id]) << "text " << id + 1;
        EXPECT_EQ(Occurrences(italian[id], "%s"), Occurrences(defaults[id], "%s")) << "text " << id + 1;
        EXPECT_EQ(Occurrences(italian[id], "\n"), Occurrences(defaults[id], "\n")) << "text " << id + 1;
    }
}
