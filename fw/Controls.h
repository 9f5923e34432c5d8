// Thin wrappers of the standard controls the program binds from its templates.
#pragma once

#include "fw/Wnd.h"
#include <string>

class CStatic : public CWnd {};

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
