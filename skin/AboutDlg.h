// The About box: the program's name and version with scrolling credits over a picture.
#pragma once

#include <string>

#include "fw/Dialog.h"
#include "skin/CreditsStatic.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    // The marked-up credits: title, programmer, notice, web address, e-mail.
    static std::string CreditsText();
    CCreditsStatic& Credits() { return m_credits; }

protected:
    BOOL OnInitDialog() override;

private:
    CCreditsStatic m_credits;
};
