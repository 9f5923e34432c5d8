// About box: binds the credits scroller and gives it the credits.
#include "skin/AboutDlg.h"

#include "core/UiText.h"
#include "res/resource.h"

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

BOOL CAboutDlg::OnInitDialog()
{
    m_credits.SubclassDlgItem(IDC_ABOUT_PICTURE, this);
    CDialog::OnInitDialog();
    SetWindowText(ABOUT_CAPTION);
    m_credits.SetCreditsText(CreditsText(m_title));
    return TRUE;
}
