// Control wrappers that need more than a message: the tooltip window.
#include "fw/Controls.h"

#include "fw/App.h"

namespace {
// The tool information every common-controls version accepts (the larger current
// structure is refused without the version 6 manifest).
TOOLINFOA ToolInfo(HWND tool, const char* text)
{
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = ::GetParent(tool);
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = const_cast<char*>(text);
    return ti;
}
}  // namespace

bool CToolTipCtrl::Create(HWND owner)
{
    DestroyWindow();
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, AfxGetResourceHandle(),
                               nullptr);
    return m_hWnd != nullptr;
}

void CToolTipCtrl::DestroyWindow()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CToolTipCtrl::AddTool(HWND tool, const char* text) const
{
    TOOLINFOA ti = ToolInfo(tool, text);
    ::SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::DelTool(HWND tool) const
{
    TOOLINFOA ti = ToolInfo(tool, nullptr);
    ::SendMessageA(m_hWnd, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string CToolTipCtrl::GetText(HWND tool) const
{
    char text[256] = "";
    TOOLINFOA ti = ToolInfo(tool, text);
    ::SendMessageA(m_hWnd, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
    return text;
}
