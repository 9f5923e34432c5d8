// Dialogs: the dialog window is bound to its wrapper when it is initialised, so that
// the wrapper's message map sees every later message and the dialog manager's own
// handling is the default.
#include "fw/Dialog.h"
#include "fw/App.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOKCommand)
    ON_COMMAND(IDCANCEL, OnCancelCommand)
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
    auto* dlg = reinterpret_cast<CDialog*>(lp);
    if (!dlg->SubclassWindow(hwnd))
        return TRUE;
    return dlg->OnInitDialog();
}

INT_PTR CDialog::DoModal()
{
    m_bModal = true;
    m_result = -1;
    HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
    INT_PTR r = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                                  &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return r;
}

bool CDialog::Create(CWnd* parent)
{
    if (parent)
        m_pParent = parent;
    m_bModal = false;
    m_result = -1;
    HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
    HWND hwnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    if (m_bModal)
        ::EndDialog(m_hWnd, result);
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

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(bool) {}

void DDX_Check(CWnd* dlg, bool save, int id, int& value)
{
    HWND ctl = dlg->GetDlgItem(id);
    if (save)
        value = ::SendMessageA(ctl, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageA(ctl, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
