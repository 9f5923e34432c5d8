// Direct printing of a page source, with the printing box while the pages go out.
#include "fw/PrintJob.h"

#include "fw/App.h"

#include <commdlg.h>
#include <cstdio>
#include <vector>

namespace {
const char kBoxTitle[] = "Printing";
const char kPageFormat[] = "Printing page %d of %d";
const char kCancelText[] = "Cancel";

// A job being printed by this thread, for the abort procedure, which only has the
// device context. Jobs nest only when one is started from the messages of another.
struct PrintingJob {
    HDC dc;
    HWND owner = nullptr;
    HWND box = nullptr;
    bool cancelled = false;
    std::weak_ptr<bool> sourceAlive;
    PrintingJob* outer = nullptr;
};
thread_local PrintingJob* t_jobs = nullptr;

// The job stops at the next page: Cancel, the window it was asked from closed or
// hidden (the program is ending), its box gone with it, or the page source gone.
bool Stopped(const PrintingJob& job)
{
    return job.cancelled || job.sourceAlive.expired() || (job.box && !::IsWindow(job.box)) ||
           (job.owner && (!::IsWindow(job.owner) || !::IsWindowVisible(job.owner)));
}

// The messages waiting for this thread: the box repaints and takes its keys (Esc and
// Enter are Cancel), the other windows repaint.
void PumpMessages(PrintingJob& job)
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // For the loop that waits for it; the program is ending.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            job.cancelled = true;
            return;
        }
        if (job.box && ::IsWindow(job.box) && ::IsDialogMessageA(job.box, &msg))
            continue;
        if (AfxPreTranslateModeless(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Called by the system while it spools: keeps the program answering and says whether
// the job goes on.
BOOL CALLBACK AbortProc(HDC dc, int)
{
    for (PrintingJob* job = t_jobs; job; job = job->outer)
        if (job->dc == dc) {
            PumpMessages(*job);
            return !Stopped(*job);
        }
    return TRUE;
}

// The box as an in-memory dialog template: title, the two lines and Cancel.
class BoxTemplate {
public:
    BoxTemplate()
    {
        Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        Dword(0);
        m_words.push_back(3);  // controls
        Rect(0, 0, 186, 68);
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // the dialog class
        Text(kBoxTitle);
        m_words.push_back(8);
        Text("MS Shell Dlg");
        Item(WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 8, 8, 170, 9, IDC_PRINTING_DOCUMENT, 0x0082, "");
        Item(WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 8, 22, 170, 9, IDC_PRINTING_PAGE, 0x0082, "");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 68, 44, 50, 14, IDCANCEL, 0x0080, kCancelText);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void Dword(DWORD d)
    {
        m_words.push_back(LOWORD(d));
        m_words.push_back(HIWORD(d));
    }
    void Rect(short x, short y, short cx, short cy)
    {
        for (short v : {x, y, cx, cy})
            m_words.push_back(static_cast<WORD>(v));
    }
    void Text(const char* text)  // plain ASCII
    {
        while (*text)
            m_words.push_back(static_cast<unsigned char>(*text++));
        m_words.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, int id, WORD atom, const char* text)
    {
        if (m_words.size() % 2)
            m_words.push_back(0);  // every item starts on a DWORD
        Dword(style);
        Dword(0);
        Rect(x, y, cx, cy);
        m_words.push_back(static_cast<WORD>(id));
        m_words.push_back(0xFFFF);
        m_words.push_back(atom);
        Text(text);
        m_words.push_back(0);  // no creation data
    }
    std::vector<WORD> m_words;
};

INT_PTR CALLBACK BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrA(box, DWLP_USER, lp);
        return TRUE;  // the focus on Cancel
    }
    auto* job = reinterpret_cast<PrintingJob*>(::GetWindowLongPtrA(box, DWLP_USER));
    const bool cancel = msg == WM_CLOSE || (msg == WM_COMMAND && (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK));
    if (cancel && job) {
        job->cancelled = true;
        ::EnableWindow(::GetDlgItem(box, IDCANCEL), FALSE);
        return TRUE;
    }
    return FALSE;
}

// The box for `job`, over its owner, which it keeps disabled (as a modal dialog would)
// until it closes.
class PrintingBox {
public:
    PrintingBox(PrintingJob& job, const std::string& document) : m_job(job)
    {
        static const BoxTemplate kTemplate;
        job.box = ::CreateDialogIndirectParamA(AfxGetResourceHandle(), kTemplate.Get(), job.owner, BoxProc,
                                               reinterpret_cast<LPARAM>(&job));
        if (!job.box)
            return;  // printed all the same, without a box and without a wait
        m_ownerDisabled = job.owner && ::IsWindowEnabled(job.owner);
        if (m_ownerDisabled)
            ::EnableWindow(job.owner, FALSE);
        ::SetDlgItemTextA(job.box, IDC_PRINTING_DOCUMENT, document.c_str());
        CentreOverOwner();
        ::ShowWindow(job.box, SW_SHOW);
        ::UpdateWindow(job.box);
    }
    ~PrintingBox()
    {
        // The owner comes back before the box goes, so that it is the one activated.
        if (m_ownerDisabled && ::IsWindow(m_job.owner))
            ::EnableWindow(m_job.owner, TRUE);
        if (m_job.box && ::IsWindow(m_job.box))
            ::DestroyWindow(m_job.box);
    }
    PrintingBox(const PrintingBox&) = delete;
    PrintingBox& operator=(const PrintingBox&) = delete;

    void ShowPage(int page, int pages) const
    {
        if (!m_job.box || !::IsWindow(m_job.box))
            return;
        char text[64];
        std::snprintf(text, sizeof text, kPageFormat, page, pages);
        ::SetDlgItemTextA(m_job.box, IDC_PRINTING_PAGE, text);
    }

private:
    void CentreOverOwner() const
    {
        RECT area, box;
        if (!m_job.owner || !::GetWindowRect(m_job.owner, &area))
            ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        ::GetWindowRect(m_job.box, &box);
        const int cx = box.right - box.left, cy = box.bottom - box.top;
        ::SetWindowPos(m_job.box, nullptr, area.left + (area.right - area.left - cx) / 2,
                       area.top + (area.bottom - area.top - cy) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    PrintingJob& m_job;
    bool m_ownerDisabled = false;
};

// Registers the job for the abort procedure while it lives.
class JobRegistration {
public:
    explicit JobRegistration(PrintingJob& job) : m_job(job)
    {
        job.outer = t_jobs;
        t_jobs = &job;
    }
    ~JobRegistration()
    {
        for (PrintingJob** link = &t_jobs; *link; link = &(*link)->outer)
            if (*link == &m_job) {
                *link = m_job.outer;
                break;
            }
    }
    JobRegistration(const JobRegistration&) = delete;
    JobRegistration& operator=(const JobRegistration&) = delete;

private:
    PrintingJob& m_job;
};

// Makes one of the system's printing calls; true when it worked. A failure becomes the
// outcome, with the error the system gave at that call (0 when it gave none, never one
// left from before), read before anything else can change it.
template <typename Call>
bool Succeeds(PrintOutcome& outcome, PrintOutcome::Step step, Call call)
{
    ::SetLastError(0);
    if (call())
        return true;
    outcome.error = ::GetLastError();
    outcome.result = PrintOutcome::Failed;
    outcome.step = step;
    return false;
}

// The printer chosen in the printer dialog, or null: the dialog cancelled (the outcome
// stays Cancelled) or the printer not to be had (Failed).
HDC ChoosePrinter(HWND owner, const std::weak_ptr<bool>& alive, PrintOutcome& outcome)
{
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    // Owned, so that the window it was asked from stays disabled while it is open.
    pd.hwndOwner = AfxGetModalOwner(owner);
    pd.Flags = PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
    pd.nCopies = 1;
    const BOOL chosen = ::PrintDlgA(&pd);
    HDC dc = nullptr;
    // The dialog ran a message loop of its own: the source may have gone meanwhile.
    if (chosen && !alive.expired() && pd.hDevNames) {
        const auto* names = static_cast<const DEVNAMES*>(::GlobalLock(pd.hDevNames));
        const auto* mode = pd.hDevMode ? static_cast<const DEVMODEA*>(::GlobalLock(pd.hDevMode)) : nullptr;
        if (names) {
            const char* base = reinterpret_cast<const char*>(names);
            Succeeds(outcome, PrintOutcome::AtCreateDC, [&] {
                return (dc = ::CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset,
                                         base + names->wOutputOffset, mode)) != nullptr;
            });
        }
        if (mode)
            ::GlobalUnlock(pd.hDevMode);
        ::GlobalUnlock(pd.hDevNames);
    }
    if (pd.hDevMode)
        ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        ::GlobalFree(pd.hDevNames);
    return dc;
}

// Every page of the source to the job's printer, under the box, while the outcome is
// Done: it stays so when all went out. The box closes when it returns.
void PrintPages(CPageSource& source, PrintingJob& job, PrintOutcome& outcome, const PrinterCalls& calls,
                bool withBox)
{
    std::unique_ptr<PrintingBox> box;
    const std::string name = source.DocumentName();
    const int pages = source.BeginJob(job.dc);
    if (outcome.result == PrintOutcome::Done && withBox)
        box = std::make_unique<PrintingBox>(job, name);
    for (int page = 1; outcome.result == PrintOutcome::Done && page <= pages; ++page) {
        if (box)
            box->ShowPage(page, pages);
        PumpMessages(job);
        if (Stopped(job)) {
            outcome = PrintOutcome();
            return;  // the source may be gone: it is not touched again
        }
        if (Succeeds(outcome, PrintOutcome::AtStartPage, [&] { return calls.startPage(job.dc) > 0; })) {
            source.PrintPage(job.dc, page);
            if (Succeeds(outcome, PrintOutcome::AtEndPage, [&] { return calls.endPage(job.dc) > 0; }))
                ++outcome.pagesOut;
        }
        // The system fails the call whose abort procedure stopped the job: not a fault.
        if (outcome.result == PrintOutcome::Failed && Stopped(job))
            outcome = PrintOutcome();
    }
    // A Cancel pressed while the last page went out is heeded too; it does not hide a
    // failure.
    PumpMessages(job);
    if (outcome.result == PrintOutcome::Done && Stopped(job))
        outcome = PrintOutcome();
}
}  // namespace

const PrinterCalls kSystemPrinterCalls = {::StartDocA, ::StartPage, ::EndPage, ::EndDoc, ::AbortDoc};

PrintOutcome PrintDirect(CPageSource& source, HWND owner)
{
    // One job at a time: a second request while the dialog or the box is open (a
    // command sent to a window they have disabled) is not a second job.
    if (source.m_bPrinting)
        return PrintOutcome();
    const std::weak_ptr<bool> alive = source.m_alive;
    source.m_bPrinting = true;
    PrintOutcome outcome;
    HDC dc = ChoosePrinter(owner, alive, outcome);
    if (!dc) {
        if (!alive.expired())
            source.m_bPrinting = false;
        return outcome;
    }
    outcome = PrintDocument(source, dc, owner);
    ::DeleteDC(dc);
    return outcome;
}

PrintOutcome PrintDocument(CPageSource& source, HDC dc, HWND owner, const PrinterCalls& calls)
{
    const std::weak_ptr<bool> alive = source.m_alive;
    source.m_bPrinting = true;
    const std::string name = source.DocumentName();
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    PrintingJob job{dc};
    job.sourceAlive = alive;
    // The box belongs to the window the dialog belonged to, when that is still there.
    job.owner = AfxGetModalOwner(owner);
    PrintOutcome outcome{PrintOutcome::Done};
    {
        JobRegistration registered(job);
        ::SetAbortProc(dc, AbortProc);
        Succeeds(outcome, PrintOutcome::AtStartDoc, [&] { return calls.startDoc(dc, &doc) > 0; });
        PrintPages(source, job, outcome, calls, source.m_bPrintingBox);
    }
    if (!alive.expired()) {
        source.EndJob();
        source.m_bPrinting = false;
    }
    if (outcome.result != PrintOutcome::Done)
        calls.abortDoc(dc);
    else if (!Succeeds(outcome, PrintOutcome::AtEndDoc, [&] { return calls.endDoc(dc) > 0; }))
        outcome.pagesOut = 0;  // the printer refused the document as a whole
    return outcome;
}

std::string SystemErrorText(DWORD error)
{
    char text[512] = "";
    DWORD n = error ? ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                       text, sizeof text, nullptr)
                    : 0;
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    return std::string(text, n);
}
