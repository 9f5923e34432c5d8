#include "support/ExpectedGeometry.h"

#include <commdlg.h>

#include <cstring>

namespace wintest {

int ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE DefaultPaper()
{
    PAGESETUPDLGA psd = {};
    psd.lStructSize = sizeof psd;
    psd.Flags = PSD_RETURNDEFAULT | PSD_INHUNDREDTHSOFMILLIMETERS | PSD_NOWARNING;
    if (!::PageSetupDlgA(&psd))
        return {0, 0};
    ::GlobalFree(psd.hDevMode);
    ::GlobalFree(psd.hDevNames);
    return {psd.ptPaperSize.x, psd.ptPaperSize.y};
}

int ReportLinesPerPage(const LOGFONTA& body, int points)
{
    const SIZE paper = DefaultPaper();
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (paper.cy <= 0 || !::PrintDlgA(&pd))
        return 0;
    HDC dc = pd.hDC;
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, paper.cx, paper.cy, nullptr);
    ::SetViewportExtEx(dc, ::GetDeviceCaps(dc, HORZRES), ::GetDeviceCaps(dc, VERTRES), nullptr);
    // The sample's height in a font of `font` made `pt` points tall on the printer.
    auto textHeight = [dc](LOGFONTA font, int pt) {
        POINT ends[2] = {{0, 0}, {0, pt * ::GetDeviceCaps(dc, LOGPIXELSY) / 72}};
        ::DPtoLP(dc, ends, 2);
        font.lfHeight = -(ends[1].y - ends[0].y);
        HFONT made = ::CreateFontIndirectA(&font);
        HGDIOBJ old = ::SelectObject(dc, made);
        RECT r = {0, 0, 0, 0};
        ::DrawTextA(dc,
                    "ABCDEFGHILMNOPQRSTUVZJKXYabcdefghilmnopqrstuvzjkxy0123456789!\xA3$/()=?^\xE8+\xF9\xE0\xF2-.,*"
                    "\xE9\xA7\xB0\xE7_:;",
                    -1, &r, DT_CALCRECT);
        ::SelectObject(dc, old);
        ::DeleteObject(made);
        return r.bottom - r.top;
    };
    LOGFONTA header = {};
    header.lfWeight = 500;
    header.lfCharSet = ANSI_CHARSET;
    std::strcpy(header.lfFaceName, "Courier New");
    const int margin = 1000, band = textHeight(header, 10);
    const int bodyHeight = (paper.cy - margin) - (margin + band + 5 + band);
    const int lines = bodyHeight / (textHeight(body, points) + 6);
    ::DeleteDC(dc);
    ::GlobalFree(pd.hDevMode);
    ::GlobalFree(pd.hDevNames);
    return lines;
}

}  // namespace wintest
