// Find in the main window: the Find box, F3 and Shift+F3, the mark that a match leaves
// (and that Ctrl+C copies), the not-found message, and Find while a run goes on.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <memory>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "core/UiText.h"
#include "link/CommLibrary.h"
#include "quorlink/QuorlinkTest.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

bool IsFindBox(HWND dialog)
{
    return ::GetDlgItem(dialog, edt1) != nullptr && ::GetDlgItem(dialog, chx2) != nullptr;
}

std::string ClipboardText()
{
    std::string text = "(no text)";
    if (!::OpenClipboard(nullptr))
        return "(clipboard busy)";
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

class FindTest : public ScriptedWindowTest {
protected:
    void SetUp() override
    {
        StartFresh({"COM1", "COM3"});
        TestApp().m_settings.updateListPosition = 0;
        // The Find box is a dialog too: the watcher answers only the message boxes.
        m_watcher.SetHandler([](HWND dialog) { return IsFindBox(dialog); });
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        PumpFor(50);
    }

    void Load(const std::vector<std::string>& lines)
    {
        std::string file;
        for (const std::string& line : lines)
            file += line + "\r\n";
        WriteFileBytes(m_dir.File("dump.txt"), file);
        m_dlg->LoadOutputFile(m_dir.File("dump.txt"));
        ASSERT_EQ(View().GetLineCount(), static_cast<int>(lines.size()));
    }
    CDataView& View() { return m_dlg->View(); }
    HWND ViewWindow() const { return ::GetDlgItem(m_dlg->m_hWnd, IDC_DATA_VIEW); }

    // A key pressed in the view, with Ctrl and Shift as given, through the message loop.
    void Press(WPARAM key, bool ctrl = false, bool shift = false) { PressIn(ViewWindow(), key, ctrl, shift); }
    // Find Next in the open Find box with this text and these options.
    void FindNext(const std::string& text, bool matchCase, bool down)
    {
        HWND box = m_dlg->FindBox();
        ASSERT_TRUE(box != nullptr);
        ::SetDlgItemTextA(box, edt1, text.c_str());
        ::CheckDlgButton(box, chx2, matchCase ? BST_CHECKED : BST_UNCHECKED);
        ::CheckRadioButton(box, rad1, rad2, down ? rad2 : rad1);
        ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Pump(30);
    }
    // The one marked line, or a note of how many there are.
    std::string Marked()
    {
        if (View().GetMarkCount() != 1)
            return "<" + std::to_string(View().GetMarkCount()) + " marks>";
        return std::to_string(View().GetFirstMark());
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> boxes;
        for (const std::string& text : m_watcher.Texts())
            if (text.rfind("Cannot", 0) == 0)
                boxes.push_back(text);
        return boxes;
    }

    DialogWatcher m_watcher;
};

}  // namespace

TEST_F(FindTest, FindBoxSearchesDownUpRoundTheEndWithAndWithoutCase)
{
    Load({"Z-REPORT 0001", "Totale 12,50", "IVA 22%", "TOTALE 7,00", "subtotale 3,10", "CAF\xC9 2,00", "\x9F 0,50"});
    Press('F', true);
    ASSERT_TRUE(m_dlg->FindBox() != nullptr) << "Ctrl+F opens the Find box";
    EXPECT_EQ(::GetWindow(m_dlg->FindBox(), GW_OWNER), m_dlg->m_hWnd);

    std::string found;
    for (int i = 0; i < 4; ++i) {
        FindNext("totale", false, true);
        found += Marked() + " ";
    }
    EXPECT_EQ(found, "1 3 4 1 ") << "from the first line shown, then after the mark, round the end";
    FindNext("totale", false, false);
    EXPECT_EQ(Marked(), "4") << "up from line 1 goes round to the last match";
    FindNext("TOTALE", true, true);
    EXPECT_EQ(Marked(), "3");
    FindNext("caf\xE9", false, true);
    EXPECT_EQ(Marked(), "5") << "case as the code page has it, beyond ASCII";
    FindNext("caf\xE9", true, true);
    EXPECT_EQ(Marked(), "5");
    // The box was answered before Find Next returned: it is modal.
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot find \"caf\xE9\"."});
    FindNext("Totale 7", true, false);
    EXPECT_EQ(Marked(), "5") << "nothing found leaves the mark";
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot find \"caf\xE9\".", "Cannot find \"Totale 7\"."}));
    FindNext("\xFF", false, true);
    EXPECT_EQ(Marked(), "6") << "the code page's last byte is the small form of 0x9F";

    // Ctrl+F again brings back the same box; closing it forgets it.
    HWND box = m_dlg->FindBox();
    Press('F', true);
    EXPECT_EQ(m_dlg->FindBox(), box);
    ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Pump(30);
    EXPECT_TRUE(m_dlg->FindBox() == nullptr);
    EXPECT_FALSE(::IsWindow(box));
}

TEST_F(FindTest, F3AndShiftF3RepeatTheLastSearchAndTheMatchIsWhatCtrlCCopies)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("row " + std::to_string(i) + (i % 97 == 40 ? " Saldo " + std::to_string(i) : ""));
    Load(lines);  // "Saldo" on lines 40, 137 and 234
    const int rows = View().GetLineCount() - View().VerticalMax();
    ASSERT_GT(View().VerticalMax(), 0);
    ASSERT_LT(rows, 90) << "the view shows fewer lines than lie between matches";

    Press(VK_F3);
    ASSERT_TRUE(m_dlg->FindBox() != nullptr) << "F3 with no search yet opens the box";
    FindNext("saldo", false, true);
    EXPECT_EQ(Marked(), "40");
    ::SendMessageA(m_dlg->FindBox(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Pump(30);
    ASSERT_TRUE(m_dlg->FindBox() == nullptr);

    const auto shown = [&](int line) {
        return View().GetTopLine() <= line && line < View().GetTopLine() + rows;
    };
    Press(VK_F3);
    EXPECT_EQ(Marked(), "137");
    EXPECT_TRUE(shown(137)) << "top line " << View().GetTopLine();
    Press(VK_F3);
    EXPECT_EQ(Marked(), "234");
    EXPECT_TRUE(shown(234)) << "top line " << View().GetTopLine();
    Press(VK_F3, false, true);
    EXPECT_EQ(Marked(), "137");
    Press(VK_F3, false, true);
    Press(VK_F3, false, true);
    EXPECT_EQ(Marked(), "234") << "Shift+F3 goes round the start";
    EXPECT_TRUE(shown(234));
    EXPECT_TRUE(m_dlg->FindBox() == nullptr) << "F3 with a search opens nothing";

    Press('C', true);
    EXPECT_EQ(ClipboardText(), "row 234 Saldo 234");

    // Ctrl+Home and Ctrl+End show the first and the last line; the mark stays.
    Press(VK_HOME, true);
    EXPECT_EQ(View().GetTopLine(), 0);
    Press(VK_END, true);
    EXPECT_EQ(View().GetTopLine(), View().VerticalMax());
    EXPECT_EQ(Marked(), "234");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(FindTest, FindDuringARunSearchesTheLinesThatArriveAndTheRunGoesOn)
{
    Queue("opening\rLOTTO 7 chiuso\rx\r");
    ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return View().GetLineCount() >= 3; }, 5000));

    Press('F', true);
    FindNext("lotto", false, true);
    EXPECT_EQ(Marked(), "1");
    ::SendMessageA(m_dlg->FindBox(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);

    Queue("y\rlotto 8 aperto\r");
    ASSERT_TRUE(PumpUntil([&] { return View().GetLineCount() >= 5; }, 5000));
    Press(VK_F3);
    EXPECT_EQ(Marked(), "4") << "the line that came during the run is found";
    Press('C', true);
    EXPECT_EQ(ClipboardText(), "lotto 8 aperto");
    Press(VK_F3);
    EXPECT_EQ(Marked(), "1");
    EXPECT_TRUE(m_dlg->IsRunning());

    Queue("z\r");
    EXPECT_TRUE(PumpUntil([&] { return View().GetLineCount() >= 6; }, 5000)) << "the run goes on";
    EXPECT_TRUE(BoxTexts().empty());
}
