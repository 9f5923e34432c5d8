// A language file of 21 texts, all different: every control caption, the exit button's
// tip and every question and message of the main window shows exactly its own text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quorlink/QuorlinkTest.h"
#include "skin/SkinButton.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace captions_test {

// The file's texts in file order. No two are alike, none is a default and none is the
// start of another; the 17th is written with a \n escape.
const char* const kTexts[21] = {
    "Porta seriale",  "Velocita",    "Segui riga",  "Carattere",        "Rientro",       "Uscita",
    "Memorizza",      "Salva come",  "Carica",      "Pulisci",          "Anteprima",     "Stampa",
    "Avvia",          "Ferma",       "Fine",        "Esci dal programma", "Attenzione!\nContinuare?",
    "Cancellare tutto?", "Porta non aperta.", "Lettura fallita.", "Scrittura fallita.",
};

// The controls that carry a text, and which text.
const struct {
    int control;
    int text;
} kCaptions[] = {
    {1002, 0}, {1006, 1}, {1013, 2}, {1014, 3}, {1015, 4}, {1001, 5}, {1009, 6},
    {1010, 7}, {1011, 8}, {1012, 9}, {1017, 10}, {1018, 11}, {1005, 12}, {1019, 14},
};

std::string LanguageFile()
{
    std::string file = "Traduzione italiana\r\n";
    for (int i = 0; i < 21; ++i) {
        std::string text = kTexts[i];
        const size_t lf = text.find('\n');
        if (lf != std::string::npos)
            text.replace(lf, 1, "\\n");
        file += std::to_string(i + 1) + ") :>\"" + text + "\"<:\r\n";
    }
    return file;
}

TEST(Captions, EachOfTheTwentyOneTextsShowsWhereItBelongs)
{
    ScriptedLibrary lib = LoadScriptedControls();
    ASSERT_NE(lib.reset, nullptr);
    lib.reset();
    TempDir dir;
    ResetTestApp({"COM4"}, dir.Path());
    TestApp().m_settings.comPort = 4;
    WriteFileBytes(dir.File("lingua.txt"), LanguageFile());
    TestApp().m_uiText.LoadLanguage(dir.File("lingua.txt"));
    {
        CReaderDlg dlg(TestApp());
        ASSERT_TRUE(dlg.Create());
        HWND window = dlg.m_hWnd;
        auto text = [&](int id) {
            char caption[256] = "";
            ::GetDlgItemTextA(window, id, caption, sizeof caption);
            return std::string(caption);
        };
        auto click = [&](int id) {
            ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
        };
        for (const auto& c : kCaptions)
            EXPECT_EQ(text(c.control), kTexts[c.text]) << "control " << c.control;
        auto* exitButton = dynamic_cast<CSkinButton*>(CWnd::FromHandle(::GetDlgItem(window, 1019)));
        ASSERT_NE(exitButton, nullptr);
        EXPECT_EQ(exitButton->TooltipText(), kTexts[15]);

        DialogWatcher watcher;
        click(1005);
        EXPECT_EQ(text(1005), kTexts[13]) << "while the run lasts";
        watcher.QueueAnswer(IDNO);
        click(2);  // Esc during the run
        watcher.QueueAnswer(IDNO);
        click(1012);  // Clear
        ASSERT_TRUE(watcher.WaitForCount(2, 5000));
        click(1005);
        EXPECT_EQ(text(1005), kTexts[12]);

        lib.setOpenResult(5);
        click(1005);
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 3; }, 5000));
        dlg.LoadOutputFile(dir.File("missing.txt"));
        TestApp().m_settings.outputFile = dir.File("no folder\\Out.txt");
        click(1009);  // Save
        ASSERT_TRUE(watcher.WaitForCount(5, 5000));
        // The failures name their port or file on a line of their own, after the text.
        std::vector<std::string> told = watcher.Texts();
        for (size_t i = 2; i < told.size(); ++i)
            told[i] = FirstLine(told[i]);
        EXPECT_EQ(told, (std::vector<std::string>{kTexts[16], kTexts[17], kTexts[18], kTexts[19], kTexts[20]}));
    }
    TestApp().m_uiText.Reset();
    TestApp().m_commLibrary.FreeDll();
}

}  // namespace captions_test

namespace captions_test {

// The Italian file that ships: the window's captions, its buttons' tips and its
// messages read in Italian.
TEST(Captions, TheItalianFileGivesTheWholeWindowInItalian)
{
    ScriptedLibrary lib = LoadScriptedControls();
    ASSERT_NE(lib.reset, nullptr);
    lib.reset();
    TempDir dir;
    ResetTestApp({"COM4"}, dir.Path());
    TestApp().m_settings.comPort = 4;
    TestApp().m_uiText.LoadLanguage(ExeDir() + "Korvex_Language_Ita.txt");
    {
        CReaderDlg dlg(TestApp());
        ASSERT_TRUE(dlg.Create());
        HWND window = dlg.m_hWnd;
        auto text = [&](HWND w) {
            char caption[256] = "";
            ::GetWindowTextA(w, caption, sizeof caption);
            return std::string(caption);
        };
        const struct {
            int control;
            const char* caption;
            const char* tip;  // null: no tip
        } controls[] = {
            {1002, "Porta COM", nullptr},
            {1006, "Velocit\xE0", nullptr},
            {1013, "Segui ultima riga", nullptr},
            {1015, "Rientro", nullptr},
            {1001, "File di uscita", nullptr},
            {1009, "Salva", "Salva le righe nel file di uscita (Ctrl+S)"},
            {1010, "Salva come...", "Salva le righe in un altro file (Ctrl+Maiusc+S)"},
            {1011, "Carica", "Carica un dump salvato (Ctrl+O)"},
            {1012, "Cancella", nullptr},
            {1017, "Anteprima", "Mostra le pagine prima di stamparle (Ctrl+Maiusc+P)"},
            {1018, "Stampa", "Stampa le righe (Ctrl+P)"},
            {1005, "Avvia", "Avvia o ferma la registrazione (F5)"},
            {1019, "", "Esci dal programma"},
        };
        for (const auto& c : controls) {
            HWND control = ::GetDlgItem(window, c.control);
            EXPECT_EQ(text(control), c.caption) << "control " << c.control;
            if (auto* button = dynamic_cast<CSkinButton*>(CWnd::FromHandle(control)))
                EXPECT_EQ(button->TooltipText(), c.tip ? c.tip : "") << "control " << c.control;
        }
        EXPECT_EQ(text(window), "Korvex");

        DialogWatcher watcher;
        auto click = [&](int id) {
            ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
        };
        click(1005);
        EXPECT_EQ(text(::GetDlgItem(window, 1005)), "Ferma");
        watcher.QueueAnswer(IDNO);
        click(2);  // Esc during the run
        ASSERT_TRUE(watcher.WaitForCount(1, 5000));
        click(1005);
        watcher.QueueAnswer(IDNO);
        click(1012);  // Clear
        lib.setOpenResult(5);
        click(1005);
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 3; }, 5000));
        dlg.LoadOutputFile(dir.File("manca.txt"));
        ASSERT_TRUE(watcher.WaitForCount(4, 5000));
        const std::vector<std::string> told = watcher.Texts();
        EXPECT_EQ(told[0], "ATTENZIONE! La comunicazione \xE8 in corso!\nContinuare?");
        EXPECT_EQ(told[1], "Cancellare tutti i dati?");
        EXPECT_EQ(told[2], "ERRORE apertura porta COM.\nCOM4: la libreria di comunicazione ha risposto 5");
        EXPECT_EQ(FirstLine(told[3]), "ERRORE caricamento file.");
    }
    TestApp().m_uiText.Reset();
    TestApp().m_commLibrary.FreeDll();
}

}  // namespace captions_test
