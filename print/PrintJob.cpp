// Direct printing of a page source: the printer dialog, then the job, page by page.
#include "print/PrintJob.h"

#include "fw/App.h"

#include <commdlg.h>

#include <algorithm>

namespace {
// A job being printed by this thread, for the abort procedure, which only has the
// device context. Jobs nest only when one is started from the messages of another.
struct PrintingJob {
    HDC dc = nullptr;
    HWND owner = nullptr;
    CPrintProgress* progress = nullptr;
    bool cancelled = false;  // the program is ending
    std::weak_ptr<bool> sourceAlive;
    PrintingJob* outer = nullptr;
};
thread_local PrintingJob* t_jobs = nullptr;

// The job stops at the next page: Cancel, the window it was asked from closed or
// hidden (the program is ending), its progress window gone with it, or the source gone.
bool Stopped(const PrintingJob& job)
{
    return job.cancelled || job.sourceAlive.expired() ||
           (job.progress && (job.progress->Cancelled() || !::IsWindow(job.progress->Window()))) ||
           (job.owner && (!::IsWindow(job.owner) || !::IsWindowVisible(job.owner)));
}

// The messages waiting for this thread: the progress window repaints and takes its keys,
// the other windows repaint.
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
        if (job.progress && ::IsDialogMessageA(job.progress->Window(), &msg))
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

// The printer chosen in the printer dialog and the pages asked for, or null: the dialog
// cancelled (the outcome stays Cancelled) or the printer not to be had (Failed).
HDC ChoosePrinter(HWND owner, const std::weak_ptr<bool>& alive, bool selection, int pagesKnown,
                  ReportMath::PrintRange& range, PrintOutcome& outcome)
{
    // The largest page number the dialog holds.
    const WORD kLastDialogPage = 0xFFFF;
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    // Owned, so that the window it was asked from stays disabled while it is open.
    pd.hwndOwner = AfxGetModalOwner(owner);
    pd.Flags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
    if (!selection)
        pd.Flags |= PD_NOSELECTION;
    pd.nCopies = 1;
    pd.nMinPage = pd.nFromPage = 1;
    pd.nMaxPage = kLastDialogPage;
    pd.nToPage = static_cast<WORD>(pagesKnown < 1 ? 1 : pagesKnown < kLastDialogPage ? pagesKnown : kLastDialogPage);
    const BOOL chosen = ::PrintDlgA(&pd);
    HDC dc = nullptr;
    range.kind = (pd.Flags & PD_SELECTION)  ? ReportMath::PrintRange::Selection
                 : (pd.Flags & PD_PAGENUMS) ? ReportMath::PrintRange::Pages
                                            : ReportMath::PrintRange::All;
    range.from = pd.nFromPage;
    range.to = pd.nToPage;
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

// The pages of the span to the job's printer, under the progress, which counts them,
// while the outcome is Done: it stays so when all went out. The progress closes when it
// returns.
void PrintPages(CPageSource& source, PrintingJob& job, ReportMath::PageSpan span, PrintOutcome& outcome,
                const PrinterCalls& calls)
{
    std::unique_ptr<CPrintProgress> progress = source.OpenProgress(job.owner);
    job.progress = progress.get();
    const int count = span.Count();
    for (int n = 1; outcome.result == PrintOutcome::Done && n <= count; ++n) {
        const int page = span.first + n - 1;
        if (progress)
            progress->ShowPage(n, count);
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

std::string PrintOutcomeText(const PrintOutcome& outcome, const UiTextTable& texts)
{
    if (outcome.result == PrintOutcome::Failed)
        return texts.PrintFailed(outcome.pagesOut, SystemErrorText(outcome.error));
    if (outcome.result != PrintOutcome::NotInReport)
        return std::string();
    const int from = outcome.range.from, to = outcome.range.to;
    return texts.Format(TXT_PAGES_NOT_IN_REPORT, {std::to_string(std::min(from, to)), std::to_string(std::max(from, to)),
                                                  std::to_string(outcome.pages)});
}

PrintOutcome PrintDirect(CPageSource& source, HWND owner, int pagesKnown)
{
    // One job at a time: a second request while the dialog or the box is open (a
    // command sent to a window they have disabled) is not a second job.
    if (source.m_bPrinting)
        return PrintOutcome();
    const std::weak_ptr<bool> alive = source.m_alive;
    source.m_bPrinting = true;
    PrintOutcome outcome;
    ReportMath::PrintRange range;
    HDC dc = ChoosePrinter(owner, alive, source.HasSelection(), pagesKnown, range, outcome);
    if (!dc) {
        if (!alive.expired())
            source.m_bPrinting = false;
        return outcome;
    }
    outcome = PrintDocument(source, dc, owner, kSystemPrinterCalls, range);
    ::DeleteDC(dc);
    return outcome;
}

PrintOutcome PrintDocument(CPageSource& source, HDC dc, HWND owner, const PrinterCalls& calls,
                           const ReportMath::PrintRange& range)
{
    const std::weak_ptr<bool> alive = source.m_alive;
    source.m_bPrinting = true;
    const std::string name = source.DocumentName();
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    PrintingJob job;
    job.dc = dc;
    job.sourceAlive = alive;
    // The progress belongs to the window the dialog belonged to, when that is still there.
    job.owner = AfxGetModalOwner(owner);
    PrintOutcome outcome{PrintOutcome::Done};
    outcome.range = range;
    {
        JobRegistration registered(job);
        ::SetAbortProc(dc, AbortProc);
        // Laid out first: a range that holds none of the pages begins no document.
        source.UseSelection(range.kind == ReportMath::PrintRange::Selection);
        outcome.pages = source.BeginJob(dc);
        const ReportMath::PageSpan span = ReportMath::PagesToPrint(range, outcome.pages);
        if (span.Count() == 0)
            outcome.result = PrintOutcome::NotInReport;
        else if (Succeeds(outcome, PrintOutcome::AtStartDoc, [&] { return calls.startDoc(dc, &doc) > 0; }))
            PrintPages(source, job, span, outcome, calls);
    }
    if (!alive.expired()) {
        source.EndJob();
        source.m_bPrinting = false;
    }
    if (outcome.result == PrintOutcome::NotInReport)
        return outcome;
    if (outcome.result != PrintOutcome::Done)
        calls.abortDoc(dc);
    else if (!Succeeds(outcome, PrintOutcome::AtEndDoc, [&] { return calls.endDoc(dc) > 0; }))
        outcome.pagesOut = 0;  // the printer refused the document as a whole
    return outcome;
}
