// Printing a document of pages: a page source draws any one of its pages on a device
// context; the same drawing goes to the printer and into the print preview.
#pragma once

#include "core/ReportMath.h"
#include "core/UiText.h"

#include <windows.h>

#include <memory>
#include <string>

// How a print ended, for the window that asked for it to tell the operator.
struct PrintOutcome {
    // Cancelled: nothing printed and nothing to tell (the printer dialog or the printing
    // box cancelled, the window closed, or a print already under way). NotInReport: the
    // pages asked for are none of the report's, and nothing was printed.
    enum Result { Done, Cancelled, Failed, NotInReport };
    // The call that failed.
    enum Step { NoStep, AtCreateDC, AtStartDoc, AtStartPage, AtEndPage, AtEndDoc };
    Result result = Cancelled;
    Step step = NoStep;
    DWORD error = 0;   // the system's error at the failing call; 0 when it gave none
    // Pages that went out before the failure; none when the printer refused the
    // document at its end.
    int pagesOut = 0;
    // What the printer dialog asked for, and the report's pages laid out for its printer.
    ReportMath::PrintRange range = {};
    int pages = 0;
};
// What the operator is told of a print that ended so, in the table's words; empty when
// there is nothing to tell.
std::string PrintOutcomeText(const PrintOutcome& outcome, const UiTextTable& texts);

// The system's printing calls, as a print job makes them; tests put failures in.
struct PrinterCalls {
    int(WINAPI* startDoc)(HDC, const DOCINFOA*);
    int(WINAPI* startPage)(HDC);
    int(WINAPI* endPage)(HDC);
    int(WINAPI* endDoc)(HDC);
    int(WINAPI* abortDoc)(HDC);
};
extern const PrinterCalls kSystemPrinterCalls;

// What the operator sees of a job while its pages go out (the printing box): its window
// takes its keys from the job's message loop; it is told each page and says whether
// Cancel was pressed. The job stops when it is cancelled or its window is gone.
class CPrintProgress {
public:
    virtual ~CPrintProgress() = default;
    virtual HWND Window() const = 0;
    virtual void ShowPage(int page, int pages) = 0;
    virtual bool Cancelled() const = 0;
};

class CPageSource {
public:
    CPageSource() = default;
    virtual ~CPageSource() = default;
    CPageSource(const CPageSource&) = delete;
    CPageSource& operator=(const CPageSource&) = delete;

    // Whether the source has a selection of its own to print (the marked lines), which
    // the printer dialog then offers.
    virtual bool HasSelection() const { return false; }
    // The next job lays out the selection alone (on, when there is one) or everything.
    virtual void UseSelection(bool /*on*/) {}
    // Begins a job laid out for the printer `dc`; returns the page count (at least 1).
    virtual int BeginJob(HDC dc) = 0;
    // Draws page `page` (from 1) on `dc`: the printer, or a recording of a page made for it.
    virtual void PrintPage(HDC dc, int page) = 0;
    virtual void EndJob() = 0;
    virtual const std::string& DocumentName() const = 0;
    // The progress of a job of this source, shown over `owner` from its first page until
    // it ends; none by default, or when it cannot be had. It may outlive the source.
    virtual std::unique_ptr<CPrintProgress> OpenProgress(HWND /*owner*/) { return nullptr; }

    // From the printer dialog's opening to the end of the job it starts.
    bool IsPrinting() const { return m_bPrinting; }

private:
    friend PrintOutcome PrintDocument(CPageSource& source, HDC dc, HWND owner, const PrinterCalls& calls,
                                      const ReportMath::PrintRange& range);
    friend PrintOutcome PrintDirect(CPageSource& source, HWND owner, int pagesKnown);
    bool m_bPrinting = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The printer dialog (printer, copies, and All, Pages From-To or the source's Selection),
// owned by AfxGetModalOwner(owner), then the pages asked for to the chosen printer
// (PrintDocument). The report's pages are known only once it is laid out for the printer
// chosen there, so the dialog takes any page number it can hold and the range is cut to
// the report's pages afterwards; `pagesKnown` (0: not known), the count for the default
// printer, fills its To. Nothing while the source is printing already; the source may be
// gone when it returns.
PrintOutcome PrintDirect(CPageSource& source, HWND owner, int pagesKnown = 0);
// The pages of the source that `range` asks for (PagesToPrint; all of them by default)
// to the printer `dc` as one document, through `calls`; none, and no document, when the
// range holds none of them (NotInReport). Each keeps its own label and the progress
// counts the pages printed.
// While the pages go out the source's progress shows, owned by AfxGetModalOwner(owner),
// and the messages of the thread are handled between pages. Cancel, the owner closed or
// hidden, the progress window gone or the source gone stop the job after the page being
// printed, and nothing of it is printed. A call that fails ends the job too, and the
// outcome says which, with the system's error at that call.
PrintOutcome PrintDocument(CPageSource& source, HDC dc, HWND owner, const PrinterCalls& calls = kSystemPrinterCalls,
                           const ReportMath::PrintRange& range = {});
