// Thin wrappers of the standard controls the program binds from its templates.
#pragma once

#include "fw/Wnd.h"
#include <commctrl.h>
#include <string>

class CStatic : public CWnd {};

// A push button; an owner-drawn one draws itself in DrawItem, which its parent's
// WM_DRAWITEM reaches through the child notification.
class CButton : public CWnd {
protected:
    virtual void DrawItem(const DRAWITEMSTRUCT* item) { (void)item; }
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override
    {
        if (msg != WM_DRAWITEM)
            return CWnd::OnChildNotify(msg, wp, lp, result);
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *result = TRUE;
        return true;
    }
};

// A tooltip window whose tools are whole windows (id 0: the window itself), fed with
// their mouse messages through RelayEvent.
class CToolTipCtrl {
public:
    CToolTipCtrl() = default;
    ~CToolTipCtrl() { DestroyWindow(); }
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;

    bool Create(HWND owner);
    void DestroyWindow();
    void AddTool(HWND tool, const char* text) const;
    void DelTool(HWND tool) const;
    void RelayEvent(MSG* msg) const { ::SendMessageA(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    std::string GetText(HWND tool) const;

    HWND m_hWnd = nullptr;
};

class CComboBox : public CWnd {
public:
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    int InsertString(int index, const char* text) const
    {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    std::string GetLBText(int index) const
    {
        LRESULT len = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (len == CB_ERR)
            return std::string();
        std::string text(static_cast<size_t>(len) + 1, '\0');
        SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(len));
        return text;
    }
};
