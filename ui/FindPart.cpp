// The main window's Find box and its search over the document.
#include "ui/FindPart.h"

#include "controls/DataView.h"
#include "core/LineFind.h"
#include "core/LineStore.h"
#include "core/UiText.h"
#include "fw/App.h"

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

CFindPart::CFindPart(const CLineStore& lines, CDataView& view, const UiTextTable& texts)
    : m_lines(lines), m_view(view), m_texts(texts)
{
}

CFindPart::~CFindPart()
{
    Close();
}

UINT CFindPart::Message()
{
    // Registered messages lie in 0xC000-0xFFFF; should registration fail, the entry
    // names a message that is never sent (0 would end the message map).
    static const UINT message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return message ? message : 0xFFFFFFFFu;
}

void CFindPart::Close()
{
    if (m_hBox) {
        AfxRemoveModelessDialog(m_hBox);
        if (::IsWindow(m_hBox))
            ::DestroyWindow(m_hBox);
        m_hBox = nullptr;
    }
}

void CFindPart::Open(HWND owner)
{
    if (m_hBox && ::IsWindow(m_hBox)) {
        ::SetActiveWindow(m_hBox);
        return;
    }
    // The box starts with the last search.
    const size_t kept = m_lastFind.copy(m_findWhat, sizeof m_findWhat - 1);
    m_findWhat[kept] = '\0';
    m_request = FINDREPLACEA();
    m_request.lStructSize = sizeof m_request;
    m_request.hwndOwner = owner;
    m_request.Flags = FR_HIDEWHOLEWORD | (m_bDown ? FR_DOWN : 0) | (m_bMatchCase ? FR_MATCHCASE : 0);
    m_request.lpstrFindWhat = m_findWhat;
    m_request.wFindWhatLen = sizeof m_findWhat;
    m_hBox = ::FindTextA(&m_request);
    AfxAddModelessDialog(m_hBox);
}

void CFindPart::Again(HWND owner, bool down)
{
    if (m_lastFind.empty())
        Open(owner);
    else
        Search(down);
}

void CFindPart::OnMessage(const FINDREPLACEA* request)
{
    if (!request)
        return;
    if (request->Flags & FR_DIALOGTERM) {
        AfxRemoveModelessDialog(m_hBox);
        m_hBox = nullptr;
        return;
    }
    if (request->Flags & FR_FINDNEXT) {
        m_lastFind = m_findWhat;
        m_bMatchCase = (request->Flags & FR_MATCHCASE) != 0;
        m_bDown = (request->Flags & FR_DOWN) != 0;
        if (!m_lastFind.empty())
            Search(m_bDown);
    }
}

void CFindPart::Search(bool down)
{
    // From the line after the mark (before it, going up), or from the first line shown.
    const int marked = m_view.GetFirstMark();
    const int start = marked >= 0 ? marked + (down ? 1 : -1) : m_view.GetTopLine();
    const CLineFinder finder(m_lastFind, m_bMatchCase, SystemCaseFold());
    const int found = finder.Find(m_lines, start, down);
    if (found < 0) {
        AfxMessageBox(m_texts.With(TXT_FIND_NOT_FOUND, m_lastFind).c_str(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_view.ShowMarkedLine(found);
}
