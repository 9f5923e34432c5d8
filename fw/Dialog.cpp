// Dialogs: the dialog window is bound to its wrapper when it is initialised, so that
// the wrapper's message map sees every later message and the dialog manager's own
// handling is the default.
#include "fw/Dialog.h"
#include "fw/App.h"

#include <new>

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)  // virtual: a dialog's own OnOK runs
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParent(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd && !m_bModal)
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    // No exception may leave for the dialog manager: the dialog then opens as far as
    // its initialisation got.
    try {
        auto* dlg = reinterpret_cast<CDialog*>(lp);
        if (!dlg->SubclassWindow(hwnd))
            return TRUE;
        return dlg->OnInitDialog();
    } catch (const std::bad_alloc&) {
        CaughtInWindowProc(hwnd, msg, true);
    } catch (...) {
        CaughtInWindowProc(hwnd, msg, false);
    }
    return TRUE;
}

// The modal run has its own loop rather than DialogBox's, so that it shows the dialog
// when the queue first goes idle only if the initialisation left it hidden: a dialog
// that its initialisation showed maximized (a restored placement) stays maximized.
// (Wine's DialogBox shows it normal there whatever its state.)
INT_PTR CDialog::DoModal()
{
    m_bModal = true;
    m_bEnded = false;
    m_result = -1;
    HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);
    HWND dialog = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    bool idleSeen = false;
    MSG msg;
    while (dialog && !m_bEnded && ::IsWindow(dialog)) {
        if (!idleSeen && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            idleSeen = true;
            if (!::IsWindowVisible(dialog))
                ::ShowWindow(dialog, SW_SHOWNORMAL);
            continue;
        }
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!TranslateDialogInput(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // The owner comes back before the dialog goes, so that it is the one activated.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (dialog && ::IsWindow(dialog))
        ::DestroyWindow(dialog);
    m_bModal = false;
    return m_result;
}

bool CDialog::TranslateDialogInput(MSG* msg)
{
    const bool ours = m_hWnd && msg->hwnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd));
    if (ours && m_hAccel && ::TranslateAcceleratorA(m_hWnd, m_hAccel, msg))
        return true;
    if (AfxPreTranslateModeless(msg))
        return true;
    return m_hWnd && ::IsDialogMessageA(m_hWnd, msg);
}

bool CDialog::Create(CWnd* parent)
{
    if (parent)
        m_pParent = parent;
    m_bModal = false;
    m_result = -1;
    HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
    return ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                                &CDialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    if (m_bModal) {
        m_bEnded = true;
        ::EndDialog(m_hWnd, result);  // hides it and wakes the modal loop
    }
    else if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

bool CDialog::UpdateData(bool save)
{
    if (!IsWindow())
        return false;
    DoDataExchange(save);
    return true;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void DDX_Check(CWnd* dlg, bool save, int id, int& value)
{
    HWND ctl = dlg->GetDlgItem(id);
    if (save)
        value = ::SendMessageA(ctl, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageA(ctl, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
