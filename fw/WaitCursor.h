// The wait cursor for a piece of work that keeps the thread from its messages.
#pragma once

#include <windows.h>

// Shows the wait cursor from construction; the cursor shown before comes back at
// Restore (before a message box, which should show the arrow) or at the end of the
// scope, whichever is first.
class CWaitCursor {
public:
    CWaitCursor() : m_old(::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
    ~CWaitCursor() { Restore(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    void Restore()
    {
        if (m_bShown)
            ::SetCursor(m_old);
        m_bShown = false;
    }

private:
    HCURSOR m_old;
    bool m_bShown = true;
};
