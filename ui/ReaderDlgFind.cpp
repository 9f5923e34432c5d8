// The main window's Find: Ctrl+F opens the system's Find box, F3 and Shift+F3 look for
// the last search's text again, down and up. A match marks its line alone and scrolls it
// into view, so that Ctrl+C copies it.
//
// The search runs on the window's thread over the view's own lines; a running
// acquisition goes on meanwhile and its lines are searched as soon as the view has them.
#include "ui/ReaderDlg.h"

#include <iterator>

#include "core/LineFind.h"
#include "core/UiText.h"
#include "ui/AppContext.h"
#include "fw/App.h"
#include "res/resource.h"

namespace {
// Letter case as the system's code page has it: each byte's lower-case form.
const CaseFold& SystemCaseFold()
{
    static const CaseFold fold = [] {
        CaseFold f{};
        for (size_t b = 0; b < f.size(); ++b) {
            char c[2] = {static_cast<char>(b), '\0'};
            if (b != 0)
                ::CharLowerBuffA(c, 1);
            f[b] = static_cast<unsigned char>(c[0]);
        }
        return f;
    }();
    return fold;
}
}  // namespace

UINT CReaderDlg::FindMessage()
{
    // Registered messages lie in 0xC000-0xFFFF; should registration fail, the entry
    // names a message that is never sent (0 would end the message map).
    static const UINT message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return message ? message : 0xFFFFFFFFu;
}

void CReaderDlg::SetupFind()
{
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'F', ID_FIND},
        {FVIRTKEY, VK_F3, ID_FIND_NEXT},
        {FVIRTKEY | FSHIFT, VK_F3, ID_FIND_PREVIOUS},
    };
    if (!m_hFindKeys)
        m_hFindKeys = ::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));
    SetAccelerators(m_hFindKeys);
}

void CReaderDlg::CloseFind()
{
    if (m_hFindBox) {
        AfxRemoveModelessDialog(m_hFindBox);
        if (::IsWindow(m_hFindBox))
            ::DestroyWindow(m_hFindBox);
        m_hFindBox = nullptr;
    }
    SetAccelerators(nullptr);
    if (m_hFindKeys) {
        ::DestroyAcceleratorTable(m_hFindKeys);
        m_hFindKeys = nullptr;
    }
}

void CReaderDlg::OnFind()
{
    if (m_hFindBox && ::IsWindow(m_hFindBox)) {
        ::SetActiveWindow(m_hFindBox);
        return;
    }
    // The box starts with the last search.
    const size_t kept = m_lastFind.copy(m_findWhat, sizeof m_findWhat - 1);
    m_findWhat[kept] = '\0';
    m_findRequest = FINDREPLACEA();
    m_findRequest.lStructSize = sizeof m_findRequest;
    m_findRequest.hwndOwner = m_hWnd;
    m_findRequest.Flags = FR_HIDEWHOLEWORD | (m_bFindDown ? FR_DOWN : 0) | (m_bFindMatchCase ? FR_MATCHCASE : 0);
    m_findRequest.lpstrFindWhat = m_findWhat;
    m_findRequest.wFindWhatLen = sizeof m_findWhat;
    m_hFindBox = ::FindTextA(&m_findRequest);
    AfxAddModelessDialog(m_hFindBox);
}

void CReaderDlg::OnFindNext()
{
    if (m_lastFind.empty())
        OnFind();
    else
        FindInView(true);
}

void CReaderDlg::OnFindPrevious()
{
    if (m_lastFind.empty())
        OnFind();
    else
        FindInView(false);
}

LRESULT CReaderDlg::OnFindMessage(WPARAM, LPARAM lp)
{
    const auto* request = reinterpret_cast<const FINDREPLACEA*>(lp);
    if (!request)
        return 0;
    if (request->Flags & FR_DIALOGTERM) {
        AfxRemoveModelessDialog(m_hFindBox);
        m_hFindBox = nullptr;
        return 0;
    }
    if (request->Flags & FR_FINDNEXT) {
        m_lastFind = m_findWhat;
        m_bFindMatchCase = (request->Flags & FR_MATCHCASE) != 0;
        m_bFindDown = (request->Flags & FR_DOWN) != 0;
        if (!m_lastFind.empty())
            FindInView(m_bFindDown);
    }
    return 0;
}

void CReaderDlg::FindInView(bool down)
{
    // From the line after the mark (before it, going up), or from the first line shown.
    const int marked = m_view.GetFirstMark();
    const int start = marked >= 0 ? marked + (down ? 1 : -1) : m_view.GetTopLine();
    const CLineFinder finder(m_lastFind, m_bFindMatchCase, SystemCaseFold());
    const int found = finder.Find(m_view.Lines(), start, down);
    if (found < 0) {
        AfxMessageBox(m_context.m_uiText.With(TXT_FIND_NOT_FOUND, m_lastFind).c_str(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_view.ShowMarkedLine(found);
}
