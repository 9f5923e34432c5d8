// The main window in the words of a language file: every control caption, every tip,
// the title and every question and message shows exactly its own text. Two files: one of
// 21 texts, all different (the later texts keep their English defaults), and the
// Italian file that ships with every text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "skin/SkinButton.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace captions_test {

// The 21 texts of each file in file order. In the first no two are alike, none is a
// default and none is the start of another; its 17th is written with a \n escape.
const char* const kDistinct[21] = {
    "Porta seriale",  "Velocita",    "Segui riga",  "Carattere",        "Rientro",       "Uscita",
    "Memorizza",      "Salva come",  "Carica",      "Pulisci",          "Anteprima",     "Stampa",
    "Avvia",          "Ferma",       "Fine",        "Esci dal programma", "Attenzione!\nContinuare?",
    "Cancellare tutto?", "Porta non aperta.", "Lettura fallita.", "Scrittura fallita.",
};
const char* const kItalian[21] = {
    "Porta COM",  "Velocit\xE0", "Segui ultima riga", "Font",   "Rientro", "File di uscita", "Salva",
    "Salva come...", "Carica",   "Cancella",          "Anteprima", "Stampa", "Avvia",        "Ferma",
    "",           "Esci dal programma", "ATTENZIONE! La comunicazione \xE8 in corso!\nContinuare?",
    "Cancellare tutti i dati?", "ERRORE apertura porta COM.", "ERRORE caricamento file.", "ERRORE salvataggio file.",
};

// The controls that carry a text, and which text.
const struct {
    int control;
    int text;
} kCaptions[] = {
    {1002, 0}, {1006, 1}, {1013, 2}, {1014, 3}, {1015, 4}, {1001, 5}, {1009, 6},
    {1010, 7}, {1011, 8}, {1012, 9}, {1017, 10}, {1018, 11}, {1005, 12}, {1019, 14},
};
// The buttons a key also presses, in this order.
const int kKeyed[] = {IDC_SAVE, IDC_SAVE_AS, IDC_LOAD, IDC_PRINT_PREVIEW, IDC_PRINT, IDC_START};

std::string LanguageFile(const char* const (&texts)[21])
{
    std::string file = "Traduzione italiana\r\n";
    for (int i = 0; i < 21; ++i) {
        std::string text = texts[i];
        const size_t lf = text.find('\n');
        if (lf != std::string::npos)
            text.replace(lf, 1, "\\n");
        file += std::to_string(i + 1) + ") :>\"" + text + "\"<:\r\n";
    }
    return file;
}

TEST(Captions, EveryTextOfTheLanguageFileShowsWhereItBelongs)
{
    ScriptedLibrary lib = LoadScriptedControls();
    ASSERT_NE(lib.reset, nullptr);
    TempDir dir;
    WriteFileBytes(dir.File("lingua.txt"), LanguageFile(kDistinct));
    const struct {
        std::string file;
        const char* const (&texts)[21];
        const char* tips[6];     // of the buttons in kKeyed
        const char* refusal;  // the port's line after a refused Open
    } languages[] = {
        {dir.File("lingua.txt"),
         kDistinct,
         {"Save the lines to the output file (Ctrl+S)", "Save the lines to another file (Ctrl+Shift+S)",
          "Load a saved dump (Ctrl+O)", "Show the pages before printing (Ctrl+Shift+P)", "Print the lines (Ctrl+P)",
          "Start or stop recording (F5)"},
         "COM4: the communication library answered 5"},
        {ExeDir() + "Korvex_Language_Ita.txt",
         kItalian,
         {"Salva le righe nel file di uscita (Ctrl+S)", "Salva le righe in un altro file (Ctrl+Maiusc+S)",
          "Carica un dump salvato (Ctrl+O)", "Mostra le pagine prima di stamparle (Ctrl+Maiusc+P)",
          "Stampa le righe (Ctrl+P)", "Avvia o ferma la registrazione (F5)"},
         "COM4: la libreria di comunicazione ha risposto 5"},
    };
    for (const auto& language : languages) {
        SCOPED_TRACE(language.file);
        const auto& texts = language.texts;
        lib.reset();
        ResetTestApp({"COM4"}, dir.Path());
        TestApp().m_settings.comPort = 4;
        TestApp().m_uiText.LoadLanguage(language.file);
        CReaderDlg dlg(TestApp());
        ASSERT_TRUE(dlg.Create());
        HWND window = dlg.m_hWnd;
        auto text = [&](HWND w) {
            char caption[256] = "";
            ::GetWindowTextA(w, caption, sizeof caption);
            return std::string(caption);
        };
        auto click = [&](int id) {
            ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
        };
        auto tip = [&](int id) {
            auto* button = dynamic_cast<CSkinButton*>(CWnd::FromHandle(::GetDlgItem(window, id)));
            return button ? button->TooltipText() : std::string("(not a skinned button)");
        };
        for (const auto& c : kCaptions)
            EXPECT_EQ(text(::GetDlgItem(window, c.control)), texts[c.text]) << "control " << c.control;
        for (size_t i = 0; i < std::size(kKeyed); ++i)
            EXPECT_EQ(tip(kKeyed[i]), language.tips[i]) << "button " << kKeyed[i];
        EXPECT_EQ(tip(IDC_EXIT), texts[15]);
        EXPECT_EQ(tip(IDC_CLEAR), "");
        EXPECT_EQ(text(window), "Korvex");

        DialogWatcher watcher;
        click(1005);
        EXPECT_EQ(text(::GetDlgItem(window, 1005)), texts[13]) << "while the run lasts";
        watcher.QueueAnswer(IDNO);
        click(2);  // Esc during the run
        watcher.QueueAnswer(IDNO);
        click(1012);  // Clear
        ASSERT_TRUE(watcher.WaitForCount(2, 5000));
        click(1005);
        EXPECT_EQ(text(::GetDlgItem(window, 1005)), texts[12]);

        lib.setOpenResult(5);
        click(1005);
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 3; }, 5000));
        dlg.LoadOutputFile(dir.File("missing.txt"));
        TestApp().m_settings.outputFile = dir.File("no folder\\Out.txt");
        click(1009);  // Save
        ASSERT_TRUE(watcher.WaitForCount(5, 5000));
        // The failures name their port or file on a line of their own, after the text.
        std::vector<std::string> told = watcher.Texts();
        for (size_t i = 3; i < told.size(); ++i)
            told[i] = FirstLine(told[i]);
        EXPECT_EQ(told, (std::vector<std::string>{texts[16], texts[17], std::string(texts[18]) + "\n" + language.refusal,
                                                  texts[19], texts[20]}));
        ::DestroyWindow(window);
    }
    TestApp().m_uiText.Reset();
    TestApp().m_commLibrary.FreeDll();
}

}  // namespace captions_test
