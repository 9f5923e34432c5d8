// About box: binds the credits scroller and gives it the credits.
#include "skin/AboutDlg.h"

#include "core/DpiScale.h"
#include "core/UiText.h"
#include "fw/Gdi.h"
#include "res/resource.h"

namespace {
// The box as its template lays it out at 100 %, in pixels: the client area, the picture
// and the OK button (left, top, right, bottom).
const SIZE kClient = {695, 327};
const RECT kPicture = {5, 5, 581, 320};
const RECT kOk = {597, 13, 672, 36};
}  // namespace

CAboutDlg::CAboutDlg(const std::string& title, CWnd* parent) : CDialog(IDD_ABOUTBOX, parent), m_title(title) {}

std::string CAboutDlg::CreditsText(const std::string& title)
{
    return "\t" + title + "\n"
           "\n"
           "\rProgrammed by:\n"
           "Velto software team\n"
           "\n"
           "Korvex fiscal tools (C) 2026\n"
           "All rights reserved.\n"
           "\n"
           "\rweb:\n"
           "www.velto.example\n"
           "\n"
           "\re-mail:\n"
           "support@velto.example";
}

void CAboutDlg::ScaleLayout()
{
    // The template grows with its font, and a font drawn in a few fixed sizes does not
    // grow as the scale does: the picture would not fill its place. At a larger scale
    // the box takes its 100 % layout, scaled.
    const int dpi = WindowDpi(m_hWnd);
    if (dpi == kDefaultDpi)
        return;
    const auto place = [dpi](HWND window, const RECT& r) {
        ::MoveWindow(window, ScaleForDpi(r.left, dpi), ScaleForDpi(r.top, dpi),
                     ScaleForDpi(r.right, dpi) - ScaleForDpi(r.left, dpi),
                     ScaleForDpi(r.bottom, dpi) - ScaleForDpi(r.top, dpi), TRUE);
    };
    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    // The frame and caption keep their own size.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0,
                   window.right - window.left - client.right + ScaleForDpi(kClient.cx, dpi),
                   window.bottom - window.top - client.bottom + ScaleForDpi(kClient.cy, dpi),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (HWND picture = ::GetDlgItem(m_hWnd, IDC_ABOUT_PICTURE))
        place(picture, kPicture);
    if (HWND ok = ::GetDlgItem(m_hWnd, IDOK))
        place(ok, kOk);
}

BOOL CAboutDlg::OnInitDialog()
{
    m_credits.SubclassDlgItem(IDC_ABOUT_PICTURE, this);
    CDialog::OnInitDialog();
    ScaleLayout();
    SetWindowText(ABOUT_CAPTION);
    m_credits.SetCreditsText(CreditsText(m_title));
    return TRUE;
}
