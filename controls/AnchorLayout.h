// Keeps a window's controls in place while it is resized: every registered control is
// laid out from its rectangle and the window's client size at registration time. When
// the window's display scale changes, the registration's layout is scaled for it and
// the controls are laid out from that.
#pragma once

#include "core/AnchorMath.h"
#include "fw/Wnd.h"

#include <map>

struct AnchorRecord {
    HWND control;  // the window itself: the record outlives any temporary wrapper
    int left;      // rectangle in the parent's client coordinates at registration
    int top;
    int right;
    int bottom;
    AnchorRule leftRule;
    AnchorRule rightRule;
    AnchorRule topRule;
    AnchorRule bottomRule;
};

class CAnchorLayout {
public:
    CAnchorLayout() = default;
    virtual ~CAnchorLayout();
    CAnchorLayout(const CAnchorLayout&) = delete;
    CAnchorLayout& operator=(const CAnchorLayout&) = delete;

    // Takes the parent and, when there is one, its current client size as the reference.
    void Init(CWnd* parent);
    // Registers the parent's child with this id, or gives an already registered one new
    // rules (keeping its first rectangle). None without a parent or without such a child.
    AnchorRecord* AddControl(UINT id, AnchorRule leftRule, AnchorRule rightRule, AnchorRule topRule,
                             AnchorRule bottomRule);
    // Moves every registered control for the new client size; 0 in either direction
    // (a minimised window) leaves them where they are.
    void ApplyLayout(int width, int height);
    bool IsInitialized() const { return m_pParent != nullptr; }
    void Reset();
    // The reference for a new display scale: every control's rectangle and the client
    // size as registered, scaled by xNum / xDen across and yNum / yDen down (from the
    // first layout, not the one before: scaling there and back loses nothing).
    // ApplyLayout then lays the controls out for the window's new client size.
    void Rescale(int xNum, int xDen, int yNum, int yDen);

    int InitialWidth() const { return m_initialWidth; }
    int InitialHeight() const { return m_initialHeight; }

private:
    CWnd* m_pParent = nullptr;
    int m_initialWidth = 0;
    int m_initialHeight = 0;
    std::map<UINT, AnchorRecord> m_records;
    // The registration's layout; the records hold it scaled by m_scale.
    int m_scale[4] = {1, 1, 1, 1};  // xNum, xDen, yNum, yDen
    int m_naturalWidth = 0;
    int m_naturalHeight = 0;
    std::map<UINT, AnchorRect> m_natural;
};
