// Dialogs from resource templates, run modally (or modeless, which the tests use),
// with a simple data exchange between controls and members.
#pragma once

#include "fw/WaitCursor.h"
#include "fw/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the result given to EndDialog, or -1.
    INT_PTR DoModal();
    // Creates the dialog modeless; EndDialog then destroys it.
    bool Create(CWnd* parent = nullptr);
    void EndDialog(int result);
    int Result() const { return m_result; }

    // Moves values between controls and members (save: from the controls); false without a window.
    bool UpdateData(bool save = true);

    // Accelerator keys for input to the dialog and its controls; the caller keeps the
    // table alive while the dialog has it.
    void SetAccelerators(HACCEL accel) { m_hAccel = accel; }
    // The modal loop's step before dispatching: the accelerators, the registered modeless
    // dialogs, then the dialog's own keyboard handling. True when the message was taken.
    bool TranslateDialogInput(MSG* msg);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void DoDataExchange(bool) {}

    UINT m_templateId;
    CWnd* m_pParent;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool m_bModal = false;
    bool m_bEnded = false;
    int m_result = -1;
    HACCEL m_hAccel = nullptr;
};

// Check box <-> integer member (0 or 1).
void DDX_Check(CWnd* dlg, bool save, int id, int& value);
