// Window wrapper: binding to an HWND, message-map dispatch, default handling.
#include "fw/Wnd.h"

#include "fw/App.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <tuple>
#include <unordered_map>

namespace {
// Which object each bound window has: our own table, as every message looks its window
// up and under Wine a window property read is a round trip to the server.
std::mutex g_bindingLock;
std::unordered_map<HWND, CWnd*>& Bindings()
{
    static std::unordered_map<HWND, CWnd*> bindings;
    return bindings;
}
// The object whose window this thread is creating, bound at the window's first message.
thread_local CWnd* t_creating = nullptr;

// A C++ exception must never unwind through the system's code that called a window
// procedure: it would end the process there. The procedures catch everything, give the
// message a harmless answer and tell the operator once, from a message of its own.

UINT FaultNoticeMessage()
{
    static const UINT message = ::RegisterWindowMessageA("Korvex.FaultNotice");
    return message;
}

// The window that will show the notice, while one is on its way (this thread's windows).
thread_local HWND t_noticeWindow = nullptr;

void ShowFaultNotice(HWND hwnd, WPARAM outOfMemory)
{
    t_noticeWindow = nullptr;
    // Texts and caption without allocating: memory may still be short.
    const CWinApp* app = AfxGetApp();
    const UiTextTable& texts = AfxGetUiText();
    const char* caption = app && !app->AppName().empty() ? app->AppName().c_str() : texts[TXT_FAULT_CAPTION].c_str();
    ::MessageBoxA(::IsWindowVisible(hwnd) ? hwnd : nullptr, texts[outOfMemory ? TXT_NO_MEMORY : TXT_FAULT].c_str(),
                  caption, MB_OK | MB_ICONEXCLAMATION);
}
}  // namespace

CWnd::~CWnd()
{
    // A wrapper that dies before its window gives the window its procedure back, so
    // no message can reach freed memory.
    if (m_hWnd)
        UnsubclassWindow();
}

const MsgMap* CWnd::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {{0, 0, 0, MsgSig::Raw, nullptr}};
    static const MsgMap map = {nullptr, entries};
    return &map;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_bindingLock);
    const auto it = Bindings().find(hwnd);
    return it == Bindings().end() ? nullptr : it->second;
}

bool CWnd::Attach(HWND hwnd)
{
    if (!hwnd || m_hWnd || !::IsWindow(hwnd))
        return false;
    std::lock_guard<std::mutex> lock(g_bindingLock);
    if (!Bindings().emplace(hwnd, this).second)
        return false;
    m_hWnd = hwnd;
    return true;
}

bool CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd))
        return false;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    return true;
}

const char* CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background)
{
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH>, std::string> names;
    std::string& name = names[std::make_tuple(classStyle, cursor, background)];
    if (name.empty()) {
        char text[64];
        std::snprintf(text, sizeof text, "Korvex.Wnd:%x:%p:%p", classStyle, static_cast<void*>(cursor),
                      static_cast<void*>(background));
        WNDCLASSA wc = {};
        wc.style = classStyle;
        wc.lpfnWndProc = &CWnd::StaticWndProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.lpszClassName = text;
        if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        name = text;
    }
    return name.c_str();
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& r,
                    HWND parent, HMENU menuOrId)
{
    if (m_hWnd || !className)
        return false;
    t_creating = this;
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, parent, menuOrId, ::GetModuleHandleA(nullptr), nullptr);
    t_creating = nullptr;
    return hwnd != nullptr && m_hWnd == hwnd;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    if (m_pfnSuper)
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    std::lock_guard<std::mutex> lock(g_bindingLock);
    Bindings().erase(hwnd);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hwnd;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

int CWnd::ThumbTrackPosition() const
{
    const int reported = HIWORD(m_current.wp);
    HWND bar = reinterpret_cast<HWND>(m_current.lp);
    const int which = bar ? SB_CTL : m_current.msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
    SCROLLINFO si = {sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    // A bar that is not being dragged may hold an old track position: taken only when
    // it agrees with the message.
    if (::GetScrollInfo(bar ? bar : m_hWnd, which, &si) && (si.nTrackPos & 0xFFFF) == reported)
        return si.nTrackPos;
    return reported;
}

const MsgMapEntry* CWnd::FindEntry(UINT msg, WPARAM wp) const
{
    for (const MsgMap* map = GetMessageMap(); map; map = map->base) {
        for (const MsgMapEntry* e = map->entries; e->message; ++e) {
            if (e->message != msg)
                continue;
            if (msg == WM_COMMAND && (e->id != LOWORD(wp) || e->code != HIWORD(wp)))
                continue;
            return e;
        }
    }
    return nullptr;
}

LRESULT CWnd::Dispatch(CWnd* wnd, const MsgMapEntry* e, WPARAM wp, LPARAM lp)
{
    const POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (e->sig) {
    case MsgSig::Raw:
        return (wnd->*reinterpret_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(e->handler))(wp, lp);
    case MsgSig::Void:
        (wnd->*e->handler)();
        return 0;
    case MsgSig::Size:
        (wnd->*reinterpret_cast<void (CWnd::*)(UINT, int, int)>(e->handler))(
            static_cast<UINT>(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    case MsgSig::Mouse:
        (wnd->*reinterpret_cast<void (CWnd::*)(UINT, POINT)>(e->handler))(static_cast<UINT>(wp), pt);
        return 0;
    case MsgSig::NoErase:
        return 1;
    case MsgSig::SetCursor:
        if ((wnd->*reinterpret_cast<bool (CWnd::*)(HWND, UINT, UINT)>(e->handler))(
                reinterpret_cast<HWND>(wp), LOWORD(lp), HIWORD(lp)))
            return TRUE;
        return wnd->DefWindowProc(WM_SETCURSOR, wp, lp);
    case MsgSig::Wheel:
        (wnd->*reinterpret_cast<void (CWnd::*)(UINT, short, POINT)>(e->handler))(
            LOWORD(wp), static_cast<short>(HIWORD(wp)), pt);
        return 0;
    case MsgSig::Scroll:
        (wnd->*reinterpret_cast<void (CWnd::*)(UINT, HWND)>(e->handler))(LOWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case MsgSig::Key:
        (wnd->*reinterpret_cast<void (CWnd::*)(UINT)>(e->handler))(static_cast<UINT>(wp));
        return 0;
    case MsgSig::Timer:
        (wnd->*reinterpret_cast<void (CWnd::*)(UINT_PTR)>(e->handler))(static_cast<UINT_PTR>(wp));
        return 0;
    }
    return 0;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    // Notifications that a child should handle itself.
    HWND child = nullptr;
    if (msg == WM_DRAWITEM)
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
    else if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC)
        child = reinterpret_cast<HWND>(lp);
    if (CWnd* wnd = FromHandle(child)) {
        LRESULT result = 0;
        if (wnd->OnChildNotify(msg, wp, lp, &result))
            return result;
    }

    const MsgMapEntry* entry = FindEntry(msg, wp);
    if (!entry)
        return DefWindowProc(msg, wp, lp);
    return Dispatch(this, entry, wp, lp);
}

LRESULT CWnd::CaughtInWindowProc(HWND hwnd, UINT msg, bool outOfMemory)
{
    if (msg == WM_PAINT)
        ::ValidateRect(hwnd, nullptr);  // else the paint would come back at once, for ever
    if (!t_noticeWindow || !::IsWindow(t_noticeWindow)) {
        HWND top = ::GetAncestor(hwnd, GA_ROOT);
        if (!top)
            top = hwnd;
        if (::PostMessageA(top, FaultNoticeMessage(), outOfMemory ? 1 : 0, 0))
            t_noticeWindow = top;
    }
    return msg == WM_CREATE ? -1 : 0;  // creation fails (FALSE for WM_NCCREATE)
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    try {
        if (msg == FaultNoticeMessage() && msg != 0) {
            ShowFaultNotice(hwnd, wp);
            return 0;
        }
        return RouteMessage(hwnd, msg, wp, lp);
    } catch (const std::bad_alloc&) {
        return CaughtInWindowProc(hwnd, msg, true);
    } catch (...) {
        return CaughtInWindowProc(hwnd, msg, false);
    }
}

LRESULT CWnd::RouteMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd && t_creating) {
        // A window of a class of ours being created by CreateEx: bind it now, so that
        // its creation messages already reach the object.
        wnd = t_creating;
        t_creating = nullptr;
        if (!wnd->Attach(hwnd))
            wnd = nullptr;
    }
    if (!wnd)
        return ::DefWindowProcA(hwnd, msg, wp, lp);

    // The message being dispatched goes back to the one before however this one ends,
    // unless a handler destroyed the window (and with it a wrapper that deletes itself).
    struct CurrentGuard {
        HWND hwnd;
        CWnd* wnd;
        CurrentMsg saved;
        ~CurrentGuard()
        {
            if (FromHandle(hwnd) == wnd)
                wnd->m_current = saved;
        }
    } guard{hwnd, wnd, wnd->m_current};
    wnd->m_current = {msg, wp, lp};
    if (msg == WM_NCDESTROY) {
        const LRESULT result = wnd->DefWindowProc(msg, wp, lp);
        wnd->UnsubclassWindow();
        wnd->PostNcDestroy();
        return result;
    }
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        MSG input = {hwnd, msg, wp, lp, static_cast<DWORD>(::GetMessageTime()), {}};
        ::GetCursorPos(&input.pt);
        if (wnd->PreTranslateMessage(&input))
            return 0;
    }
    return wnd->WindowProc(msg, wp, lp);
}
