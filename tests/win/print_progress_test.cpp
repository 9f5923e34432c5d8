// Long work seen by the operator: the printing box of a direct print (document, page
// being printed, Cancel) owned by the window that printed, which waits for it, what a
// print that fails tells, the pages a report takes and those a range prints, and the
// wait cursor while a file loads or saves.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/LineStore.h"
#include "core/UiText.h"
#include "fw/App.h"
#include "print/PrintJob.h"
#include "print/MyPrintPreview.h"
#include "print/MyReport.h"
#include "print/PrintingBox.h"
#include "res/resource.h"
#include "support/ExpectedGeometry.h"
#include "support/MainWindowTest.h"
#include "support/PreviewSupport.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace {

// What a helper thread saw of the printing box, from its showing until it went.
struct BoxScene {
    bool shown = false, ownerDisabled = false, goneAtReturn = false;
    HWND owner = nullptr;
    std::string document;
    std::vector<int> pages;  // n of every "Printing page n of m" read; 0 for any other text
};

// n of "Printing page n of `pages`", else 0.
int PageOf(const std::string& text, int pages)
{
    int n = 0, m = 0;
    char again[64];
    if (std::sscanf(text.c_str(), "Printing page %d of %d", &n, &m) != 2 || m != pages)
        return 0;
    std::snprintf(again, sizeof again, "Printing page %d of %d", n, m);
    return text == again ? n : 0;
}

// Closes `window` from outside once the box shows page 2.
std::function<void(HWND, int)> CloseAtPage2(HWND window)
{
    return [window](HWND, int page) {
        if (page >= 2 && ::IsWindow(window))
            ::PostMessageA(window, WM_CLOSE, 0, 0);
    };
}

// A printer that takes every call, except that the call named by a test fails; a
// Cancel may be pressed in the printing box at that call. It logs the calls: D StartDoc,
// S<n> StartPage, E<n> EndPage, F EndDoc, A AbortDoc (and p<n>, the page drawn).
struct ScriptedPrinter {
    enum Cancel { NoCancel, CancelSent, CancelPosted };  // handled within the call, or after it
    PrintOutcome::Step at = PrintOutcome::NoStep;
    int page = 0;      // the page of a page call
    bool fails = false;
    DWORD error = 0;   // the error a failing call gives (0: it gives none)
    Cancel cancel = NoCancel;
    int current = 0;
    std::string log;
};
ScriptedPrinter g_printer;
// What the calls that work leave behind (Wine's EndDoc leaves an error when it works),
// what AbortDoc leaves, and what the end of the page source's job leaves.
const DWORD kLeftByWork = ERROR_MORE_DATA, kLeftByAbort = ERROR_BUSY, kLeftByEndJob = ERROR_INVALID_DATA;

int ScriptedCall(PrintOutcome::Step step, const char* letter)
{
    ScriptedPrinter& p = g_printer;
    const bool pageCall = step == PrintOutcome::AtStartPage || step == PrintOutcome::AtEndPage;
    p.log += letter + (pageCall ? std::to_string(p.current) : "") + " ";
    const bool scripted = step == p.at && (p.page == 0 || p.page == p.current);
    if (scripted && p.cancel != ScriptedPrinter::NoCancel) {
        HWND box = PrintingBox();
        EXPECT_NE(box, nullptr);
        if (p.cancel == ScriptedPrinter::CancelSent)
            ::SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
        else
            ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
    if (!(scripted && p.fails))
        ::SetLastError(kLeftByWork);
    else if (p.error)
        ::SetLastError(p.error);
    return scripted && p.fails ? 0 : 1;
}
int WINAPI ScriptedStartDoc(HDC, const DOCINFOA*) { return ScriptedCall(PrintOutcome::AtStartDoc, "D"); }
int WINAPI ScriptedStartPage(HDC) { return ++g_printer.current, ScriptedCall(PrintOutcome::AtStartPage, "S"); }
int WINAPI ScriptedEndPage(HDC) { return ScriptedCall(PrintOutcome::AtEndPage, "E"); }
int WINAPI ScriptedEndDoc(HDC) { return ScriptedCall(PrintOutcome::AtEndDoc, "F"); }
int WINAPI ScriptedAbortDoc(HDC)
{
    g_printer.log += "A";
    ::SetLastError(kLeftByAbort);
    return 1;
}

// Three pages, each logged as it is drawn, under the printing box in the words of
// m_texts; what the box shows at each page is kept.
class ThreePages : public CPageSource {
public:
    int BeginJob(HDC) override { return ++m_open, 3; }
    void PrintPage(HDC, int page) override
    {
        g_printer.log += "p" + std::to_string(page) + " ";
        HWND box = PrintingBox();
        m_seen.push_back(WindowTextOf(box) + "|" + WindowTextOf(::GetDlgItem(box, IDC_PRINTING_DOCUMENT)) + "|" +
                         WindowTextOf(::GetDlgItem(box, IDC_PRINTING_PAGE)) + "|" +
                         WindowTextOf(::GetDlgItem(box, IDCANCEL)));
    }
    std::unique_ptr<CPrintProgress> OpenProgress(HWND owner) override
    {
        return CPrintingBox::Open(owner, m_name, m_texts);
    }
    void EndJob() override
    {
        --m_open;
        ::SetLastError(kLeftByEndJob);
    }
    const std::string& DocumentName() const override { return m_name; }
    int m_open = 0;
    UiTextTable m_texts;
    std::vector<std::string> m_seen;

private:
    std::string m_name = "KvxScripted";
};

class MainWindowWorkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTestApp({"COM1"});
        OpenMainWindow();
    }
    void TearDown() override
    {
        if (m_dlg && m_dlg->IsWindow())
            ::DestroyWindow(m_dlg->m_hWnd);
        m_dlg.reset();
        m_app.m_pMainWnd = nullptr;
        PumpFor(20);
    }
    void OpenMainWindow()
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        m_app.m_pMainWnd = m_dlg.get();
        PumpFor(50);
    }

    CWinApp m_app{"Korvex"};
    std::unique_ptr<CReaderDlg> m_dlg;
};

class PrintProgressTest : public MainWindowWorkTest {
protected:
    void SetUp() override
    {
        if (!HasDefaultPrinter())
            GTEST_SKIP() << "no default printer";
        m_spool = PdfSpoolFolder();
        if (!FileExists(m_spool))
            GTEST_SKIP() << "the default printer does not print to " << m_spool;
        MainWindowWorkTest::SetUp();
    }

    static CLineStore Lines(int n)
    {
        CLineStore lines;
        for (int i = 0; i < n; ++i)
            lines.AddLine(("Z" + std::to_string(i * 7 % 1000) + " TOTALE " + std::to_string(i)).c_str());
        return lines;
    }
    // A report of `lines` lines of the main window's view as its Print makes it, named
    // `document`.
    void Prepare(CMyReport& report, int lines, const std::string& document)
    {
        LOGFONTA font;
        ::GetObjectA(m_dlg->View().GetFontHandle(), sizeof font, &font);
        report.SetupPageDefaults();
        report.SetBodyFont(font, m_dlg->View().GetTextColor(), m_dlg->View().GetListFont().size);
        report.SetDocumentName(document);
        report.SetHeader("", "Korvex", "Pag. ", true);
        report.SetLines(Lines(lines));
    }
    // The lines a page of that report holds, from the default printer's paper and the
    // view's font.
    int LinesPerPage() const
    {
        LOGFONTA font;
        ::GetObjectA(m_dlg->View().GetFontHandle(), sizeof font, &font);
        return ReportLinesPerPage(font, m_dlg->View().GetListFont().size);
    }

    // Runs `print` while a helper thread presses OK in the printer dialog and reads the
    // printing box until it goes, giving `act` the box and each page read.
    static BoxScene PrintWatched(int pages, const std::function<void()>& print,
                                 const std::function<void(HWND, int)>& act = nullptr)
    {
        BoxScene scene;
        std::atomic<bool> done{false};
        std::thread helper([&] {
            HWND box = nullptr;
            if (AnswerPrinterDialog(20000) && WaitFor([&] { return (box = PrintingBox()) != nullptr; }, 20000)) {
                scene.shown = true;
                scene.owner = ::GetWindow(box, GW_OWNER);
                scene.ownerDisabled = !::IsWindowEnabled(scene.owner);
                scene.document = WindowTextOf(::GetDlgItem(box, IDC_PRINTING_DOCUMENT));
                for (std::string text; ::IsWindow(box); ::Sleep(60))
                    if (!(text = WindowTextOf(::GetDlgItem(box, IDC_PRINTING_PAGE))).empty()) {
                        scene.pages.push_back(PageOf(text, pages));
                        if (act)
                            act(box, scene.pages.back());
                    }
            }
            done = true;
        });
        print();
        const bool gone = PrintingBox() == nullptr;
        PumpUntil([&] { return done.load(); }, 30000);
        helper.join();
        scene.goneAtReturn = gone;
        return scene;
    }

    // Runs `print` while a helper thread presses OK in the printer dialog; tells the
    // message boxes shown meanwhile, answered with OK, and the owner of the last.
    struct Told {
        std::vector<std::string> texts;
        HWND owner = nullptr;
    };
    static Told PrintTold(const std::function<void()>& print)
    {
        std::atomic<HWND> owner{nullptr};
        DialogWatcher watcher;
        watcher.SetHandler([&](HWND box) { return owner = ::GetWindow(box, GW_OWNER), false; });
        std::thread chooser([] { AnswerPrinterDialog(20000); });
        print();
        chooser.join();
        return {watcher.Texts(), owner};
    }

    // A PDF printed under `document` once the spooler has written it (with `pages`
    // pages when that is not 0), or empty.
    std::string WaitForPdf(const std::string& document, DWORD ms, int pages = 0) const
    {
        std::string found;
        WaitFor(
            [&] {
                for (const std::string& pdf : SpoolPdfs(m_spool))
                    if (pdf.compare(m_spool.size(), document.size(), document) == 0 &&
                        (pages ? PdfPages(pdf) == pages : PdfPages(pdf) > 0))
                        found = pdf;
                return !found.empty();
            },
            ms);
        return found;
    }

    std::string m_spool;
};

}  // namespace

// Print in the main window: the box names the document and counts the pages of the
// whole dump while the main window, its owner, waits disabled (its Print meanwhile is
// not a second job); then the main window is back and every page is printed.
TEST_F(PrintProgressTest, APrintShowsItsPagesOverTheDisabledMainWindowAndPrintsThemAll)
{
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 9);
    m_dlg->View().AddLines(Lines(199 * perPage + 9), false);  // 200 pages, the last short
    for (const std::string& pdf : SpoolPdfs(m_spool))
        if (pdf.compare(m_spool.size(), 6, "Korvex") == 0)
            ::DeleteFileA(pdf.c_str());
    HWND main = m_dlg->m_hWnd;
    bool clicked = false, secondDialog = false;
    const BoxScene scene = PrintWatched(
        200, [&] { ::SendMessageA(::GetDlgItem(main, IDC_PRINT), BM_CLICK, 0, 0); },
        [&](HWND, int page) {
            if (page >= 2 && !clicked)
                clicked = ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_PRINT, BN_CLICKED),
                                         reinterpret_cast<LPARAM>(::GetDlgItem(main, IDC_PRINT)));
            secondDialog = secondDialog || !PrinterDialogs().empty();
        });

    ASSERT_TRUE(scene.shown);
    EXPECT_EQ(scene.owner, main);
    EXPECT_TRUE(scene.ownerDisabled);
    EXPECT_EQ(scene.document, "Korvex");
    ASSERT_GE(scene.pages.size(), 3u);
    for (size_t i = 1; i < scene.pages.size(); ++i)
        EXPECT_GE(scene.pages[i], scene.pages[i - 1]);  // forward only, always "Printing page n of 200"
    EXPECT_GT(scene.pages.front(), 0);
    EXPECT_GT(scene.pages.back(), scene.pages.front()) << "the page shown never moved on";
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(secondDialog) << "Print in the disabled window began a second job";
    EXPECT_TRUE(scene.goneAtReturn);
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_EQ(::GetActiveWindow(), main);

    // (Other programs may print under the same name meanwhile.)
    const std::string pdf = WaitForPdf("Korvex", 90000, 200);
    EXPECT_FALSE(pdf.empty()) << "no PDF of 200 pages printed";
    ::DeleteFileA(pdf.c_str());
}

// A job stopped on the way prints nothing: Esc on the box's Cancel (from the preview,
// which owns the box then), the preview closed, or the main window closed while the
// pages go out. The program prints as before afterwards.
TEST_F(PrintProgressTest, AStoppedPrintLeavesNothingPrintedAndThePrintThatFollowsWorks)
{
    const std::string tag = std::to_string(::GetCurrentProcessId());
    const std::string stopped[] = {"KvxCancelled" + tag, "KvxPreviewClosed" + tag, "KvxMainClosed" + tag};
    const int perPage = LinesPerPage(), pages = 31;
    ASSERT_GT(perPage, 2);
    CMyReport report;
    auto preview = [&](const std::string& document) -> HWND {
        Prepare(report, (pages - 1) * perPage + 3, document);
        report.ShowPreview();
        PumpFor(50);
        return CurrentPreview() ? CurrentPreview()->m_hWnd : nullptr;
    };
    auto printFrom = [](HWND frame) {
        return [frame] { ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_PRINT, BN_CLICKED), 0); };
    };
    auto mainIsBack = [&] {
        return m_app.m_pMainWnd == m_dlg.get() && ::IsWindowVisible(m_dlg->m_hWnd) &&
               ::IsWindowEnabled(m_dlg->m_hWnd);
    };

    // Esc once page 3 shows: the page being printed is the last.
    HWND frame = preview(stopped[0]);
    ASSERT_NE(frame, nullptr);
    int cancelledAt = 0;
    BoxScene scene = PrintWatched(pages, printFrom(frame), [&](HWND box, int page) {
        if (page >= 3 && !cancelledAt) {
            cancelledAt = page;
            ::PostMessageA(::GetDlgItem(box, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
        }
    });
    ASSERT_TRUE(scene.shown);
    EXPECT_EQ(scene.owner, frame);
    EXPECT_TRUE(scene.ownerDisabled);
    ASSERT_GE(cancelledAt, 3);
    EXPECT_LE(scene.pages.back(), cancelledAt + 1) << "went on after Cancel";
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_TRUE(mainIsBack());

    // The preview closed from outside while its box is up.
    frame = preview(stopped[1]);
    ASSERT_NE(frame, nullptr);
    scene = PrintWatched(pages, printFrom(frame), CloseAtPage2(frame));
    ASSERT_FALSE(scene.pages.empty());
    EXPECT_LT(scene.pages.back(), pages);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_TRUE(scene.goneAtReturn);
    EXPECT_TRUE(mainIsBack());

    // The main window closed while it waits for the box: the box goes with it.
    HWND main = m_dlg->m_hWnd;
    Prepare(report, (pages - 1) * perPage + 3, stopped[2]);
    scene = PrintWatched(pages, [&] { report.PrintDirect(main); }, CloseAtPage2(main));
    EXPECT_EQ(scene.owner, main);
    EXPECT_FALSE(::IsWindow(main));
    EXPECT_TRUE(scene.goneAtReturn);
    EXPECT_FALSE(report.IsPrinting());

    // A new main window prints a job to its end; the spooler takes jobs in turn, so
    // once it is written any of those before would have been too.
    OpenMainWindow();
    const std::string after = "KvxAfter" + tag;
    Prepare(report, perPage + 4, after);
    scene = PrintWatched(2, [&] { report.PrintDirect(m_dlg->m_hWnd); });
    EXPECT_TRUE(scene.shown);
    EXPECT_TRUE(::IsWindowEnabled(m_dlg->m_hWnd));
    const std::string pdf = WaitForPdf(after, 60000);
    ASSERT_FALSE(pdf.empty()) << "the print after them printed nothing";
    EXPECT_EQ(PdfPages(pdf), 2);
    ::DeleteFileA(pdf.c_str());
    for (const std::string& document : stopped)
        EXPECT_TRUE(WaitForPdf(document, 0).empty()) << document << " was printed";
    EXPECT_EQ(QueuedPrintJobs(), 0);
}

// The report's pages follow from the default printer's paper and the body font: the L
// lines a page holds there fill one page, one more starts a second, 2L fill two and
// 2L + 1 need three; at the smallest size, the default size (0) and a character height
// (a negative size, taken as points).
TEST(ReportPages, FollowFromThePaperAndTheBodyFont)
{
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    ASSERT_TRUE(::PrintDlgA(&pd)) << "no default printer";
    LOGFONTA font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(font.lfFaceName, "Courier New");
    const struct {
        int size, points;
    } sizes[] = {{1, 1}, {0, 10}, {-13, 13}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.size);
        const int perPage = ReportLinesPerPage(font, s.points);
        ASSERT_GT(perPage, 1);
        const struct {
            int lines, pages;
        } counts[] = {{perPage, 1}, {perPage + 1, 2}, {2 * perPage, 2}, {2 * perPage + 1, 3}};
        for (const auto& c : counts) {
            CLineStore store;
            for (int i = 0; i < c.lines; ++i)
                store.AddLine("TOTALE");
            CMyReport report;
            report.SetupPageDefaults();
            report.SetBodyFont(font, RGB(0, 0, 0), s.size);
            report.SetHeader("", "Korvex", "Pag. ", true);
            report.SetLines(store);
            EXPECT_EQ(report.BeginJob(pd.hDC), c.pages) << c.lines << " lines";
            report.EndJob();
        }
    }
    ::DeleteDC(pd.hDC);
    ::GlobalFree(pd.hDevMode);
    ::GlobalFree(pd.hDevNames);
}

// Each printing call that fails ends the job there: no page is started after it, the
// job is aborted, and the outcome names the call with the error the system gave at it
// (none when it gave none), which nothing after it replaces, and the pages that went out.
// A Cancel is no failure, and a failure is not taken for one.
TEST(PrintJob, AFailingCallEndsTheJobAndTheOutcomeSaysWhereWithItsErrorAndThePagesOut)
{
    using S = PrintOutcome;
    using P = ScriptedPrinter;
    const DWORD kNoError = 0;
    const struct {
        const char* what;
        S::Step at;
        int page;
        bool fails;
        DWORD error;
        P::Cancel cancel;
        S::Result result;
        int pagesOut;
        const char* calls;
    } rows[] = {
        {"every call works", S::NoStep, 0, false, 0, P::NoCancel, S::Done, 3,
         "D S1 p1 E1 S2 p2 E2 S3 p3 E3 F "},
        {"StartDoc fails", S::AtStartDoc, 0, true, ERROR_PATH_NOT_FOUND, P::NoCancel, S::Failed, 0, "D A"},
        {"StartPage fails on the first page", S::AtStartPage, 1, true, ERROR_NOT_ENOUGH_MEMORY, P::NoCancel,
         S::Failed, 0, "D S1 A"},
        {"StartPage fails after a page", S::AtStartPage, 2, true, ERROR_OUTOFMEMORY, P::NoCancel, S::Failed, 1,
         "D S1 p1 E1 S2 A"},
        {"EndPage fails without an error", S::AtEndPage, 1, true, kNoError, P::NoCancel, S::Failed, 0, "D S1 p1 E1 A"},
        {"EndPage fails on the last page", S::AtEndPage, 3, true, ERROR_HANDLE_DISK_FULL, P::NoCancel, S::Failed, 2,
         "D S1 p1 E1 S2 p2 E2 S3 p3 E3 A"},
        {"EndPage fails on the last page, a Cancel right behind", S::AtEndPage, 3, true, ERROR_WRITE_FAULT,
         P::CancelPosted, S::Failed, 2, "D S1 p1 E1 S2 p2 E2 S3 p3 E3 A"},
        {"EndDoc fails: the printer refused the document", S::AtEndDoc, 0, true, ERROR_INVALID_HANDLE, P::NoCancel,
         S::Failed, 0, "D S1 p1 E1 S2 p2 E2 S3 p3 E3 F "},
        {"Cancel stops EndPage", S::AtEndPage, 2, true, ERROR_PRINT_CANCELLED, P::CancelSent, S::Cancelled, 0,
         "D S1 p1 E1 S2 p2 E2 A"},
        {"Cancel while the last page goes out", S::AtEndPage, 3, false, 0, P::CancelPosted, S::Cancelled, 0,
         "D S1 p1 E1 S2 p2 E2 S3 p3 E3 A"},
    };
    const PrinterCalls scripted = {ScriptedStartDoc, ScriptedStartPage, ScriptedEndPage, ScriptedEndDoc,
                                   ScriptedAbortDoc};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        g_printer = {row.at, row.page, row.fails, row.error, row.cancel, 0, ""};
        ThreePages source;
        HDC dc = ::CreateCompatibleDC(nullptr);
        const PrintOutcome outcome = PrintDocument(source, dc, nullptr, scripted);
        ::DeleteDC(dc);
        const bool failed = row.result == S::Failed;
        EXPECT_EQ(outcome.result, row.result);
        EXPECT_EQ(outcome.step, failed ? row.at : S::NoStep);
        EXPECT_EQ(outcome.error, failed ? row.error : kNoError);
        EXPECT_EQ(outcome.pagesOut, row.pagesOut);
        EXPECT_EQ(g_printer.log, row.calls);
        EXPECT_EQ(source.m_open, 0) << "the source's job was not ended";
        EXPECT_FALSE(source.IsPrinting());
        EXPECT_EQ(PrintingBox(), nullptr);
    }

    // The system's words for the error, on a line of their own in the message.
    EXPECT_EQ(SystemErrorText(kNoError), "");
    const std::string reason = SystemErrorText(ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
    EXPECT_NE(reason.back(), ' ');
}

// The printing box speaks the text table's words: its title, the page being printed
// (the page and the count in place of the first two %s) and its Cancel, in a language
// file's words, characters of the code page beyond ASCII included, and in English.
TEST(PrintingBox, ShowsTheDocumentAndEachPageInTheTablesWords)
{
    const PrinterCalls scripted = {ScriptedStartDoc, ScriptedStartPage, ScriptedEndPage, ScriptedEndDoc,
                                   ScriptedAbortDoc};
    const struct {
        const char* title;
        const char* page;
        const char* cancel;
        std::vector<std::string> seen;
    } rows[] = {
        {nullptr, nullptr, nullptr,
         {"Printing|KvxScripted|Printing page 1 of 3|Cancel", "Printing|KvxScripted|Printing page 2 of 3|Cancel",
          "Printing|KvxScripted|Printing page 3 of 3|Cancel"}},
        {"Stampa in corso", "Pagina %s di %s (%s)", "Annulla",
         {"Stampa in corso|KvxScripted|Pagina 1 di 3 (%s)|Annulla",
          "Stampa in corso|KvxScripted|Pagina 2 di 3 (%s)|Annulla",
          "Stampa in corso|KvxScripted|Pagina 3 di 3 (%s)|Annulla"}},
        {"\xC8 in stampa", "%s/%s", "", {"\xC8 in stampa|KvxScripted|1/3|", "\xC8 in stampa|KvxScripted|2/3|",
                                       "\xC8 in stampa|KvxScripted|3/3|"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title ? row.title : "English");
        g_printer = {};
        ThreePages source;
        if (row.title) {
            source.m_texts[TXT_PRINTING_TITLE] = row.title;
            source.m_texts[TXT_PRINTING_PAGE] = row.page;
            source.m_texts[TXT_CANCEL] = row.cancel;
        }
        HDC dc = ::CreateCompatibleDC(nullptr);
        const PrintOutcome outcome = PrintDocument(source, dc, nullptr, scripted);
        ::DeleteDC(dc);
        EXPECT_EQ(outcome.result, PrintOutcome::Done);
        EXPECT_EQ(source.m_seen, row.seen);
        EXPECT_EQ(PrintingBox(), nullptr);
    }
}

namespace {
// Ten pages, or two when the job is the selection's.
class TenPagesAndASelection : public ThreePages {
public:
    bool HasSelection() const override { return true; }
    void UseSelection(bool on) override { m_selection = on; }
    int BeginJob(HDC dc) override { return ThreePages::BeginJob(dc), m_selection ? 2 : 10; }
    bool m_selection = false;
};
}  // namespace

// The pages a range of the printer dialog asks for go out, each drawn as the page of
// the whole report it is (so it keeps its label), while the box counts the pages
// printed; the Selection is a job of its own pages; a range beyond the last page starts
// no document and says so.
TEST(PrintJob, ARangePrintsItsOwnPagesAndTheBoxCountsThePagesPrinted)
{
    using R = ReportMath::PrintRange;
    const PrinterCalls scripted = {ScriptedStartDoc, ScriptedStartPage, ScriptedEndPage, ScriptedEndDoc,
                                   ScriptedAbortDoc};
    const struct {
        R range;
        PrintOutcome::Result result;
        const char* calls;
        std::vector<std::string> box;
        const char* told;
    } rows[] = {
        {{R::Pages, 3, 5}, PrintOutcome::Done, "D S1 p3 E1 S2 p4 E2 S3 p5 E3 F ",
         {"Printing page 1 of 3", "Printing page 2 of 3", "Printing page 3 of 3"}, ""},
        {{R::Pages, 9, 40}, PrintOutcome::Done, "D S1 p9 E1 S2 p10 E2 F ",
         {"Printing page 1 of 2", "Printing page 2 of 2"}, ""},
        {{R::Pages, 8, 7}, PrintOutcome::Done, "D S1 p7 E1 S2 p8 E2 F ",
         {"Printing page 1 of 2", "Printing page 2 of 2"}, ""},
        {{R::Selection, 4, 6}, PrintOutcome::Done, "D S1 p1 E1 S2 p2 E2 F ",
         {"Printing page 1 of 2", "Printing page 2 of 2"}, ""},
        {{R::Pages, 14, 11}, PrintOutcome::NotInReport, "", {},
         "Pages 11 to 14 are not in the report: it ends at page 10. Nothing was printed."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.calls);
        g_printer = {};
        TenPagesAndASelection source;
        HDC dc = ::CreateCompatibleDC(nullptr);
        const PrintOutcome outcome = PrintDocument(source, dc, nullptr, scripted, row.range);
        ::DeleteDC(dc);
        EXPECT_EQ(outcome.result, row.result);
        EXPECT_EQ(outcome.pages, row.range.kind == R::Selection ? 2 : 10);
        EXPECT_EQ(g_printer.log, row.calls);
        std::vector<std::string> box;
        for (const std::string& seen : source.m_seen) {  // title|document|page|cancel
            const size_t page = seen.find('|', seen.find('|') + 1) + 1;
            box.push_back(seen.substr(page, seen.find('|', page) - page));
        }
        EXPECT_EQ(box, row.box);
        EXPECT_EQ(PrintOutcomeText(outcome, EnglishUiText()), row.told);
        EXPECT_EQ(source.m_open, 0) << "the source's job was not ended";
        EXPECT_FALSE(source.IsPrinting());
    }
}

namespace {
// The spool folder of this prefix made unusable while it lives: a file takes its place.
const char kSpool[] = "C:\\windows\\system32\\spool\\printers", kSpoolAway[] = "C:\\windows\\system32\\spool\\away";
struct SpoolFolderAway {
    SpoolFolderAway() : moved(::MoveFileA(kSpool, kSpoolAway) && (WriteFileBytes(kSpool, ""), true)) {}
    ~SpoolFolderAway()
    {
        if (moved && ::DeleteFileA(kSpool))
            ::MoveFileA(kSpoolAway, kSpool);
    }
    const bool moved;
};
}  // namespace

// A print that fails says so in a message box over the window that printed (the main
// window, the preview), in the words of the program's text table with the system's
// reason on a line of its own, and the program prints as before afterwards. (A queue
// that refuses the job: tests/e2e/printing.sh.)
TEST_F(PrintProgressTest, AFailedPrintSaysSoOverTheWindowThatPrintedAndThePrintThatFollowsWorks)
{
    TestApp().m_uiText[TXT_ERR_PRINT] = "Stampa non riuscita.";
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 2);
    m_dlg->View().AddLines(Lines(perPage + 2), false);  // two pages
    HWND main = m_dlg->m_hWnd;
    // The table's text, then the system's reason on a line of its own.
    auto saysFailed = [&](const Told& told) {
        const std::string text = told.texts.size() == 1 ? told.texts[0] : "";
        const size_t end = text.find('\n');
        return text.substr(0, end) == "Stampa non riuscita." && end != std::string::npos && end + 1 < text.size() &&
               text.find('\n', end + 1) == std::string::npos;
    };
    {
        SpoolFolderAway away;
        ASSERT_TRUE(away.moved && FileExists(kSpool));
        Told told = PrintTold([&] { ::SendMessageA(::GetDlgItem(main, IDC_PRINT), BM_CLICK, 0, 0); });
        EXPECT_EQ(told.owner, main);
        EXPECT_TRUE(saysFailed(told)) << ::testing::PrintToString(told.texts);

        ::SendMessageA(::GetDlgItem(main, IDC_PRINT_PREVIEW), BM_CLICK, 0, 0);
        PumpFor(50);
        ASSERT_NE(CurrentPreview(), nullptr);
        HWND frame = CurrentPreview()->m_hWnd;
        told = PrintTold([&] { ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_PREVIEW_PRINT, BN_CLICKED), 0); });
        EXPECT_EQ(told.owner, frame);
        EXPECT_TRUE(saysFailed(told)) << ::testing::PrintToString(told.texts);
        EXPECT_FALSE(::IsWindow(frame));
    }
    EXPECT_TRUE(::IsWindowVisible(main) && ::IsWindowEnabled(main));
    EXPECT_EQ(m_app.m_pMainWnd, m_dlg.get());

    // The main window's Print to the default printer.
    for (const std::string& pdf : SpoolPdfs(m_spool))
        if (pdf.compare(m_spool.size(), 6, "Korvex") == 0)
            ::DeleteFileA(pdf.c_str());
    const BoxScene scene = PrintWatched(2, [&] { ::SendMessageA(::GetDlgItem(main, IDC_PRINT), BM_CLICK, 0, 0); });
    EXPECT_TRUE(scene.shown);
    const std::string pdf = WaitForPdf("Korvex", 60000);
    ASSERT_FALSE(pdf.empty()) << "the print after the failed ones printed nothing";
    EXPECT_EQ(PdfPages(pdf), 2);
    ::DeleteFileA(pdf.c_str());
    EXPECT_EQ(QueuedPrintJobs(), 0);
}

namespace {
// The cursor when the output path box is given its text (inside Load) and when a
// message box is made, seen on the window's thread.
HWND g_pathBox = nullptr;
HCURSOR g_cursorAtPath = nullptr, g_cursorAtBox = nullptr;

LRESULT CALLBACK SentHook(int code, WPARAM wp, LPARAM lp)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && sent->hwnd == g_pathBox && sent->message == WM_SETTEXT)
        g_cursorAtPath = ::GetCursor();
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK CreateHook(int code, WPARAM wp, LPARAM lp)
{
    char cls[16] = "";
    if (code == HCBT_CREATEWND && ::GetClassNameA(reinterpret_cast<HWND>(wp), cls, sizeof cls) &&
        std::string(cls) == "#32770")
        g_cursorAtBox = ::GetCursor();
    return ::CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

// Load and Save show the wait cursor while they work, and the cursor of before comes
// back, also before a message box says that they failed.
TEST_F(MainWindowWorkTest, LoadAndSaveWaitWithTheWaitCursorAndTellFailuresWithTheArrow)
{
    TempDir dir;
    const std::string lines = "first\r\nsecond\r\n";
    WriteFileBytes(dir.File("in.txt"), lines);
    HCURSOR wait = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    HCURSOR before = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
    g_pathBox = ::GetDlgItem(m_dlg->m_hWnd, IDC_OUTPUT_PATH);
    HHOOK sent = ::SetWindowsHookExA(WH_CALLWNDPROC, SentHook, nullptr, ::GetCurrentThreadId());
    HHOOK create = ::SetWindowsHookExA(WH_CBT, CreateHook, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(sent && create);

    ::SetCursor(before);
    m_dlg->LoadOutputFile(dir.File("in.txt"));
    EXPECT_EQ(g_cursorAtPath, wait);
    EXPECT_EQ(::GetCursor(), before);
    EXPECT_EQ(m_dlg->View().Lines().Count(), 2);

    {
        DialogWatcher watcher;
        m_dlg->LoadOutputFile(dir.File("missing.txt"));
        EXPECT_EQ(watcher.Count(), 1u);
    }
    EXPECT_EQ(g_cursorAtBox, before) << "the failed Load's message came with the wait cursor";
    EXPECT_NE(::GetCursor(), wait);  // the box may have shown its arrow meanwhile

    g_cursorAtBox = nullptr;
    ::SetCursor(before);
    TestApp().m_settings.outputFile = dir.File("no such folder\\out.txt");
    {
        DialogWatcher watcher;
        ::SendMessageA(m_dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED), 0);
        EXPECT_EQ(watcher.Count(), 1u);
    }
    EXPECT_EQ(g_cursorAtBox, before) << "the failed Save's message came with the wait cursor";
    EXPECT_NE(::GetCursor(), wait);
    ::UnhookWindowsHookEx(sent);
    ::UnhookWindowsHookEx(create);
}
