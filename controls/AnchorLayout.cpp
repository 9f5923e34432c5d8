// Control anchoring on resize: registration against the window, moves from the maths.
#include "controls/AnchorLayout.h"

CAnchorLayout::~CAnchorLayout()
{
    Reset();
}

void CAnchorLayout::Init(CWnd* parent)
{
    m_pParent = parent;
    m_initialWidth = m_initialHeight = 0;
    RECT rc;
    if (parent && parent->m_hWnd && ::GetClientRect(parent->m_hWnd, &rc)) {
        m_initialWidth = rc.right - rc.left;
        m_initialHeight = rc.bottom - rc.top;
    }
}

AnchorRecord* CAnchorLayout::AddControl(UINT id, int leftRule, int rightRule, int topRule, int bottomRule)
{
    if (!m_pParent)
        return nullptr;
    auto found = m_records.find(id);
    if (found != m_records.end()) {
        AnchorRecord& record = found->second;
        record.leftRule = leftRule;
        record.rightRule = rightRule;
        record.topRule = topRule;
        record.bottomRule = bottomRule;
        return &record;
    }
    HWND parent = m_pParent->m_hWnd;
    HWND control = parent ? ::GetDlgItem(parent, static_cast<int>(id)) : nullptr;
    RECT rc;
    if (!control || !::GetWindowRect(control, &rc))
        return nullptr;
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    AnchorRecord record = {control, rc.left, rc.top, rc.right, rc.bottom, leftRule, rightRule, topRule, bottomRule};
    return &m_records.emplace(id, record).first->second;
}

void CAnchorLayout::ApplyLayout(int width, int height)
{
    if (!m_pParent || width == 0 || height == 0)
        return;
    for (const auto& entry : m_records) {
        const AnchorRecord& r = entry.second;
        if (!::IsWindow(r.control))
            continue;
        AnchorRect initial;
        initial.left = r.left;
        initial.top = r.top;
        initial.right = r.right;
        initial.bottom = r.bottom;
        const AnchorRect rc = ApplyAnchor(initial, r.leftRule, r.rightRule, r.topRule, r.bottomRule,
                                          m_initialWidth, m_initialHeight, width, height);
        ::MoveWindow(r.control, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        ::InvalidateRect(r.control, nullptr, FALSE);
    }
}

void CAnchorLayout::Reset()
{
    m_pParent = nullptr;
    m_records.clear();
}
