// The About box: the program's name and version with scrolling credits over a picture.
#pragma once

#include <string>

#include "fw/Dialog.h"
#include "skin/CreditsStatic.h"

class CAboutDlg : public CDialog {
public:
    // The title heads the credits: the program's name and version.
    explicit CAboutDlg(const std::string& title, CWnd* parent = nullptr);

    // The marked-up credits: title, programmer, notice, web address, e-mail.
    static std::string CreditsText(const std::string& title);
    CCreditsStatic& Credits() { return m_credits; }

protected:
    BOOL OnInitDialog() override;

private:
    // The 100 % layout at the window's display scale.
    void ScaleLayout();

    std::string m_title;
    CCreditsStatic m_credits;
};
