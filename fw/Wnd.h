// The small window layer the program is built on: a window wrapper bound to its HWND,
// with a message map (one handler per message or command) and default handling.
#pragma once

#include <windows.h>

class CWnd;

// A message map is a static table of entries; a class's table chains to its base's.
// Handlers are stored in one member-pointer type and called back through the
// signature recorded beside them.
enum class MsgSig { Raw, Void, Size, Mouse, NoErase, SetCursor, Wheel, Scroll, Key, Timer };
typedef void (CWnd::*AnyHandler)();

struct MsgMapEntry {
    UINT message;   // 0 ends the table
    UINT id;        // WM_COMMAND: control or command id
    UINT code;      // WM_COMMAND: notification code
    MsgSig sig;
    AnyHandler handler;
};

struct MsgMap {
    const MsgMap* base;
    const MsgMapEntry* entries;
};

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Binds this object to an existing window (a control from a dialog template).
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(UINT id, CWnd* parent)
    {
        return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
    }
    // Gives the window back its own procedure and forgets it.
    HWND UnsubclassWindow();
    static CWnd* FromHandle(HWND hwnd);
    // Creates a window of a class made by RegisterWndClass, bound to this object from
    // its first message on.
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                  HWND parent, HMENU menuOrId);
    // A window class whose windows are created by CreateEx; registered once per set of
    // arguments. Returns the class name.
    static const char* RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr);
    bool DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wp, lp);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The handling the window had before it was bound (the control's own procedure).
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Default handling of the message being dispatched right now.
    LRESULT Default() { return DefWindowProc(m_current.msg, m_current.wp, m_current.lp); }
    // The thumb's position of the scroll message being dispatched, in full: the message
    // carries 16 bits, the bar knows all 32 while the thumb is dragged.
    int ThumbTrackPosition() const;
    // Called when a window has just been bound, before its messages come here.
    virtual void PreSubclassWindow() {}
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}
    // Sees the window's own mouse messages before they are handled; true ends them
    // there. The dialogs run in the system's modal loop, which has no such step.
    virtual bool PreTranslateMessage(MSG*) { return false; }
    // WM_DRAWITEM and friends are sent to the parent; the parent hands them back to
    // the child's wrapper here. Return true when handled.
    virtual bool OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

    virtual const MsgMap* GetMessageMap() const { return GetThisMessageMap(); }
    static const MsgMap* GetThisMessageMap();

    // Every window of ours gets its messages here; no C++ exception leaves it.
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // The answer to a message whose handling ended in an exception; the operator hears
    // of it once, from a message posted to the window's top-level window.
    static LRESULT CaughtInWindowProc(HWND hwnd, UINT msg, bool outOfMemory);

private:
    static LRESULT RouteMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool Attach(HWND hwnd);
    const MsgMapEntry* FindEntry(UINT msg, WPARAM wp) const;
    static LRESULT Dispatch(CWnd* wnd, const MsgMapEntry* entry, WPARAM wp, LPARAM lp);

    WNDPROC m_pfnSuper = nullptr;
    struct CurrentMsg { UINT msg; WPARAM wp; LPARAM lp; };
    CurrentMsg m_current{};
};

#define DECLARE_MESSAGE_MAP()                                  \
protected:                                                     \
    static const MsgMap* GetThisMessageMap();                  \
    const MsgMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const MsgMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const MsgMap* theClass::GetThisMessageMap()                                       \
    {                                                                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        static const MsgMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                             \
            {0, 0, 0, MsgSig::Raw, nullptr}                                           \
        };                                                                            \
        static const MsgMap map = {TheBaseClass::GetThisMessageMap(), entries};       \
        return &map;                                                                  \
    }

#define KORVEX_HANDLER(type, fn) \
    reinterpret_cast<AnyHandler>(static_cast<type>(&ThisClass::fn))

// LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, fn) \
    {msg, 0, 0, MsgSig::Raw, KORVEX_HANDLER(LRESULT (CWnd::*)(WPARAM, LPARAM), fn)},
// void fn() for a button click, menu or accelerator command
#define ON_COMMAND(id, fn) \
    {WM_COMMAND, id, 0, MsgSig::Void, KORVEX_HANDLER(void (CWnd::*)(), fn)},
// void fn() for a control notification
#define ON_CONTROL(code, id, fn) \
    {WM_COMMAND, id, code, MsgSig::Void, KORVEX_HANDLER(void (CWnd::*)(), fn)},
#define ON_CBN_SELENDOK(id, fn) ON_CONTROL(CBN_SELENDOK, id, fn)
// void fn()
#define ON_MESSAGE_VOID(msg, fn) \
    {msg, 0, 0, MsgSig::Void, KORVEX_HANDLER(void (CWnd::*)(), fn)},
#define ON_WM_PAINT() ON_MESSAGE_VOID(WM_PAINT, OnPaint)
#define ON_WM_DESTROY() ON_MESSAGE_VOID(WM_DESTROY, OnDestroy)
// void OnSize(UINT type, int cx, int cy)
#define ON_WM_SIZE() \
    {WM_SIZE, 0, 0, MsgSig::Size, KORVEX_HANDLER(void (CWnd::*)(UINT, int, int), OnSize)},
// void fn(UINT flags, POINT point)
#define ON_MOUSE_MESSAGE(msg, fn) \
    {msg, 0, 0, MsgSig::Mouse, KORVEX_HANDLER(void (CWnd::*)(UINT, POINT), fn)},
#define ON_WM_MOUSEMOVE() ON_MOUSE_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEHOVER() ON_MOUSE_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_MOUSELEAVE() ON_MESSAGE_VOID(WM_MOUSELEAVE, OnMouseLeave)
// No handler: painting covers the whole client area, so erasing it first only flickers.
#define ON_WM_ERASEBKGND_NONE() {WM_ERASEBKGND, 0, 0, MsgSig::NoErase, nullptr},
// bool OnSetCursor(HWND wnd, UINT hitTest, UINT mouseMsg): true when a cursor was set
#define ON_WM_SETCURSOR() \
    {WM_SETCURSOR, 0, 0, MsgSig::SetCursor, KORVEX_HANDLER(bool (CWnd::*)(HWND, UINT, UINT), OnSetCursor)},
// void OnMouseWheel(UINT keys, short delta, POINT screenPoint)
#define ON_WM_MOUSEWHEEL() \
    {WM_MOUSEWHEEL, 0, 0, MsgSig::Wheel, KORVEX_HANDLER(void (CWnd::*)(UINT, short, POINT), OnMouseWheel)},
// void fn(UINT code, HWND bar): the bar is null for the window's own scroll bar; the
// thumb's position is ThumbTrackPosition()
#define ON_SCROLL_MESSAGE(msg, fn) \
    {msg, 0, 0, MsgSig::Scroll, KORVEX_HANDLER(void (CWnd::*)(UINT, HWND), fn)},
#define ON_WM_VSCROLL() ON_SCROLL_MESSAGE(WM_VSCROLL, OnVScroll)
#define ON_WM_HSCROLL() ON_SCROLL_MESSAGE(WM_HSCROLL, OnHScroll)
// void OnKeyDown(UINT key)
#define ON_WM_KEYDOWN() \
    {WM_KEYDOWN, 0, 0, MsgSig::Key, KORVEX_HANDLER(void (CWnd::*)(UINT), OnKeyDown)},
// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER() {WM_TIMER, 0, 0, MsgSig::Timer, KORVEX_HANDLER(void (CWnd::*)(UINT_PTR), OnTimer)},
