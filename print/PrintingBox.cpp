// The printing box, made from an in-memory template: it has no resource of its own.
#include "print/PrintingBox.h"

#include "fw/App.h"

#include <vector>

namespace {
// The box's template: the two lines and Cancel, their texts set once it exists (in the
// code page's characters, which a template's wide text would not take as they are).
class BoxTemplate {
public:
    BoxTemplate()
    {
        Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        Dword(0);
        m_words.push_back(3);  // controls
        Rect(0, 0, 186, 68);
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // the dialog class
        Text("");
        m_words.push_back(8);
        Text("MS Shell Dlg");
        Item(WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 8, 8, 170, 9, IDC_PRINTING_DOCUMENT, 0x0082);
        Item(WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 8, 22, 170, 9, IDC_PRINTING_PAGE, 0x0082);
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 68, 44, 50, 14, IDCANCEL, 0x0080);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void Dword(DWORD d)
    {
        m_words.push_back(LOWORD(d));
        m_words.push_back(HIWORD(d));
    }
    void Rect(short x, short y, short cx, short cy)
    {
        for (short v : {x, y, cx, cy})
            m_words.push_back(static_cast<WORD>(v));
    }
    void Text(const char* text)  // plain ASCII
    {
        while (*text)
            m_words.push_back(static_cast<unsigned char>(*text++));
        m_words.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, int id, WORD atom)
    {
        if (m_words.size() % 2)
            m_words.push_back(0);  // every item starts on a DWORD
        Dword(style);
        Dword(0);
        Rect(x, y, cx, cy);
        m_words.push_back(static_cast<WORD>(id));
        m_words.push_back(0xFFFF);
        m_words.push_back(atom);
        Text("");
        m_words.push_back(0);  // no creation data
    }
    std::vector<WORD> m_words;
};
}  // namespace

std::unique_ptr<CPrintingBox> CPrintingBox::Open(HWND owner, const std::string& document, const UiTextTable& texts)
{
    static const BoxTemplate kTemplate;
    std::unique_ptr<CPrintingBox> box(new CPrintingBox(owner, texts[TXT_PRINTING_PAGE]));
    box->m_hWnd = ::CreateDialogIndirectParamA(AfxGetResourceHandle(), kTemplate.Get(), owner, BoxProc,
                                               reinterpret_cast<LPARAM>(box.get()));
    if (!box->m_hWnd)
        return nullptr;
    box->m_bOwnerDisabled = owner && ::IsWindowEnabled(owner);
    if (box->m_bOwnerDisabled)
        ::EnableWindow(owner, FALSE);
    ::SetWindowTextA(box->m_hWnd, texts[TXT_PRINTING_TITLE].c_str());
    ::SetDlgItemTextA(box->m_hWnd, IDC_PRINTING_DOCUMENT, document.c_str());
    ::SetDlgItemTextA(box->m_hWnd, IDCANCEL, texts[TXT_CANCEL].c_str());
    box->CentreOverOwner();
    ::ShowWindow(box->m_hWnd, SW_SHOW);
    ::UpdateWindow(box->m_hWnd);
    return box;
}

CPrintingBox::~CPrintingBox()
{
    // The owner comes back before the box goes, so that it is the one activated.
    if (m_bOwnerDisabled && ::IsWindow(m_owner))
        ::EnableWindow(m_owner, TRUE);
    if (::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CPrintingBox::BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrA(box, DWLP_USER, lp);
        return TRUE;  // the focus on Cancel
    }
    auto* self = reinterpret_cast<CPrintingBox*>(::GetWindowLongPtrA(box, DWLP_USER));
    // Esc and Enter are Cancel too.
    const bool cancel = msg == WM_CLOSE || (msg == WM_COMMAND && (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK));
    if (cancel && self) {
        self->m_bCancelled = true;
        ::EnableWindow(::GetDlgItem(box, IDCANCEL), FALSE);
        return TRUE;
    }
    return FALSE;
}

void CPrintingBox::ShowPage(int page, int pages)
{
    if (::IsWindow(m_hWnd))
        ::SetDlgItemTextA(m_hWnd, IDC_PRINTING_PAGE,
                          UiTextTable::Fill(m_pageText, {std::to_string(page), std::to_string(pages)}).c_str());
}

void CPrintingBox::CentreOverOwner() const
{
    RECT area, box;
    if (!m_owner || !::GetWindowRect(m_owner, &area))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(m_hWnd, &box);
    const int cx = box.right - box.left, cy = box.bottom - box.top;
    ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - cx) / 2,
                   area.top + (area.bottom - area.top - cy) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
