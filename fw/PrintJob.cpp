// Direct printing of a page source.
#include "fw/PrintJob.h"

#include "fw/App.h"

#include <commdlg.h>

void PrintDirect(CPageSource& source, HWND owner)
{
    // One printer dialog at a time: a second request while it is open (a command sent
    // to a window the dialog has disabled) is not a second job.
    if (source.m_bInPrinterDialog)
        return;
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    // Owned, so that the window it was asked from stays disabled while it is open.
    pd.hwndOwner = AfxGetModalOwner(owner);
    pd.Flags = PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
    pd.nCopies = 1;
    const std::weak_ptr<bool> alive = source.m_alive;
    source.m_bInPrinterDialog = true;
    const BOOL chosen = ::PrintDlgA(&pd);
    // The dialog ran a message loop of its own: the source may have gone meanwhile.
    const bool stillHere = !alive.expired();
    if (stillHere)
        source.m_bInPrinterDialog = false;
    HDC dc = nullptr;
    if (chosen && stillHere && pd.hDevNames) {
        const auto* names = static_cast<const DEVNAMES*>(::GlobalLock(pd.hDevNames));
        const auto* mode = pd.hDevMode ? static_cast<const DEVMODEA*>(::GlobalLock(pd.hDevMode)) : nullptr;
        if (names) {
            const char* base = reinterpret_cast<const char*>(names);
            dc = ::CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, base + names->wOutputOffset,
                             mode);
        }
        if (mode)
            ::GlobalUnlock(pd.hDevMode);
        ::GlobalUnlock(pd.hDevNames);
    }
    if (pd.hDevMode)
        ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        ::GlobalFree(pd.hDevNames);
    if (!dc)
        return;

    const std::string name = source.DocumentName();
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    bool ok = ::StartDocA(dc, &doc) > 0;
    const int pages = source.BeginJob(dc);
    for (int page = 1; ok && page <= pages; ++page) {
        ok = ::StartPage(dc) > 0;
        if (ok) {
            source.PrintPage(dc, page);
            ok = ::EndPage(dc) > 0;
        }
    }
    source.EndJob();
    if (ok)
        ::EndDoc(dc);
    else
        ::AbortDoc(dc);
    ::DeleteDC(dc);
}
