// The printing box: the document and the page being printed, and a Cancel that stops
// the job, over the window that printed, which it keeps disabled while it is open.
#pragma once

#include "core/UiText.h"
#include "print/PrintJob.h"

#include <memory>
#include <string>

// The box's controls; its button is IDCANCEL.
constexpr int IDC_PRINTING_DOCUMENT = 100;
constexpr int IDC_PRINTING_PAGE = 101;

class CPrintingBox : public CPrintProgress {
public:
    // The box, shown over `owner` in the words of `texts`; null when it cannot be made
    // (the job then prints without it).
    static std::unique_ptr<CPrintingBox> Open(HWND owner, const std::string& document, const UiTextTable& texts);
    ~CPrintingBox() override;
    CPrintingBox(const CPrintingBox&) = delete;
    CPrintingBox& operator=(const CPrintingBox&) = delete;

    HWND Window() const override { return m_hWnd; }
    void ShowPage(int page, int pages) override;
    bool Cancelled() const override { return m_bCancelled; }

private:
    CPrintingBox(HWND owner, const std::string& pageText) : m_owner(owner), m_pageText(pageText) {}
    static INT_PTR CALLBACK BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp);
    void CentreOverOwner() const;

    HWND m_hWnd = nullptr;
    HWND m_owner;
    std::string m_pageText;  // "page %s of %s"
    bool m_bOwnerDisabled = false;
    bool m_bCancelled = false;
};
