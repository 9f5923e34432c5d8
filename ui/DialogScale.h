// The main window's display scale: the DPI it is laid out for, the one its template was
// made at with the client size it had then, the controls' font for the current scale,
// and the size grip drawn in the client area's corner.
#pragma once

#include <windows.h>

#include "core/DpiScale.h"

class CDialogScale {
public:
    CDialogScale() = default;
    ~CDialogScale();
    CDialogScale(const CDialogScale&) = delete;
    CDialogScale& operator=(const CDialogScale&) = delete;

    // Once the dialog's controls exist: its scale and font now are its natural ones,
    // and the system is asked to leave a change of scale to the window.
    void Attach(HWND dialog);
    // The client size the template laid the window out in, at the natural scale.
    void SetNaturalClient(int width, int height) { m_naturalClient = {width, height}; }

    // 0 until Attach.
    int Dpi() const { return m_dpi; }
    int NaturalDpi() const { return m_naturalDpi; }
    // The smallest window for the current scale (the template's layout may grow more than
    // the scale: its font comes in fixed sizes).
    TrackSize MinTrackSize(int currentDpi) const;
    // A new scale from WM_DPICHANGED: the controls' font for it, on every child but
    // `except` (the view makes its own). Nothing before Attach.
    void SetDpi(int dpi, HWND except);

    // The skinned buttons wait for their pictures when the scale changed while minimized.
    bool SkinScaleDue() const { return m_bSkinScaleDue; }
    void SetSkinScaleDue(bool due) { m_bSkinScaleDue = due; }

    // The size grip: the client area's bottom-right corner, a scroll bar wide and high.
    void UpdateGripRect(int currentDpi, bool invalidate);
    void InvalidateGrip() const;
    const RECT& GripRect() const { return m_gripRect; }

    // A minimized window's size is its icon's; this sets the rectangle it comes back to.
    static void SetRestoredRect(HWND window, const RECT& onScreen);

private:
    HWND m_hDialog = nullptr;
    int m_dpi = 0;                   // 0 until the window exists
    int m_naturalDpi = 0;            // the scale the window was made at
    SIZE m_naturalClient = {0, 0};   // its client size as the template laid it out
    HFONT m_hNaturalFont = nullptr;  // the dialog's font from its template (not ours)
    HFONT m_hScaledFont = nullptr;   // ours, for a scale other than the window's first
    bool m_bSkinScaleDue = false;
    RECT m_gripRect = {-1, -1, -1, -1};
};
