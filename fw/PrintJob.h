// Printing a document of pages: a page source draws any one of its pages on a device
// context; the same drawing goes to the printer and into the print preview.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

// How a print ended, for the window that asked for it to tell the operator.
struct PrintOutcome {
    // Cancelled: nothing printed and nothing to tell (the printer dialog or the printing
    // box cancelled, the window closed, or a print already under way).
    enum Result { Done, Cancelled, Failed };
    // The call that failed.
    enum Step { NoStep, AtCreateDC, AtStartDoc, AtStartPage, AtEndPage, AtEndDoc };
    Result result = Cancelled;
    Step step = NoStep;
    DWORD error = 0;   // the system's error at the failing call; 0 when it gave none
    // Pages that went out before the failure; none when the printer refused the
    // document at its end.
    int pagesOut = 0;
};

// The system's printing calls, as a print job makes them; tests put failures in.
struct PrinterCalls {
    int(WINAPI* startDoc)(HDC, const DOCINFOA*);
    int(WINAPI* startPage)(HDC);
    int(WINAPI* endPage)(HDC);
    int(WINAPI* endDoc)(HDC);
    int(WINAPI* abortDoc)(HDC);
};
extern const PrinterCalls kSystemPrinterCalls;

class CPageSource {
public:
    CPageSource() = default;
    virtual ~CPageSource() = default;
    CPageSource(const CPageSource&) = delete;
    CPageSource& operator=(const CPageSource&) = delete;

    // Begins a job laid out for the printer `dc`; returns the page count (at least 1).
    virtual int BeginJob(HDC dc) = 0;
    // Draws page `page` (from 1) on `dc`: the printer, or a recording of a page made for it.
    virtual void PrintPage(HDC dc, int page) = 0;
    virtual void EndJob() = 0;
    virtual const std::string& DocumentName() const = 0;

    // From the printer dialog's opening to the end of the job it starts.
    bool IsPrinting() const { return m_bPrinting; }
    // Whether a print shows the printing box (page count and Cancel) while it runs;
    // not where nobody is there to see it.
    void ShowPrintingBox(bool show) { m_bPrintingBox = show; }

private:
    friend PrintOutcome PrintDocument(CPageSource& source, HDC dc, HWND owner, const PrinterCalls& calls);
    friend PrintOutcome PrintDirect(CPageSource& source, HWND owner);
    bool m_bPrinting = false;
    bool m_bPrintingBox = true;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The printer dialog (printer and copies), owned by AfxGetModalOwner(owner), then
// every page of the source to the chosen printer (PrintDocument). Nothing while the
// source is printing already; the source may be gone when it returns.
PrintOutcome PrintDirect(CPageSource& source, HWND owner);
// Every page of the source to the printer `dc` as one document, through `calls`.
// While the pages go out the printing box shows the document and the page, owned by
// AfxGetModalOwner(owner), which stays disabled meanwhile; the messages of the thread
// are handled between pages. Cancel, the owner closed or hidden, or the source gone stop
// the job after the page being printed, and nothing of it is printed. A call that fails
// ends the job too, and the outcome says which, with the system's error at that call.
PrintOutcome PrintDocument(CPageSource& source, HDC dc, HWND owner, const PrinterCalls& calls = kSystemPrinterCalls);
// The system's text for an error code, without its line end; empty when it has none.
std::string SystemErrorText(DWORD error);

// The printing box's controls: the document's name and the page being printed; its
// button is IDCANCEL.
constexpr int IDC_PRINTING_DOCUMENT = 100;
constexpr int IDC_PRINTING_PAGE = 101;
