// Control anchoring on resize: registration against the window, moves from the maths.
#include "controls/AnchorLayout.h"

#include "core/DpiScale.h"

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
    m_scale[0] = m_scale[1] = m_scale[2] = m_scale[3] = 1;
    m_naturalWidth = m_initialWidth;
    m_naturalHeight = m_initialHeight;
}

AnchorRecord* CAnchorLayout::AddControl(UINT id, AnchorRule leftRule, AnchorRule rightRule, AnchorRule topRule,
                                         AnchorRule bottomRule)
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
    // Registered after a change of scale: the rectangle is in the current scale, the
    // natural layout keeps it in the first one.
    AnchorRect natural;
    natural.left = MulDivRound(rc.left, m_scale[1], m_scale[0]);
    natural.top = MulDivRound(rc.top, m_scale[3], m_scale[2]);
    natural.right = MulDivRound(rc.right, m_scale[1], m_scale[0]);
    natural.bottom = MulDivRound(rc.bottom, m_scale[3], m_scale[2]);
    m_natural[id] = natural;
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
        // A control already in place is not moved: a drop-down list box would take the
        // height given as its list's.
        RECT now;
        ::GetWindowRect(r.control, &now);
        ::MapWindowPoints(nullptr, m_pParent->m_hWnd, reinterpret_cast<POINT*>(&now), 2);
        if (now.left != rc.left || now.top != rc.top || now.right != rc.right || now.bottom != rc.bottom)
            ::MoveWindow(r.control, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        ::InvalidateRect(r.control, nullptr, FALSE);
    }
}

void CAnchorLayout::Reset()
{
    m_pParent = nullptr;
    m_records.clear();
    m_natural.clear();
    m_scale[0] = m_scale[1] = m_scale[2] = m_scale[3] = 1;
}

void CAnchorLayout::Rescale(int xNum, int xDen, int yNum, int yDen)
{
    if (xNum <= 0 || xDen <= 0 || yNum <= 0 || yDen <= 0)
        return;
    m_scale[0] = xNum;
    m_scale[1] = xDen;
    m_scale[2] = yNum;
    m_scale[3] = yDen;
    const auto across = [&](int v) { return MulDivRound(v, xNum, xDen); };
    const auto down = [&](int v) { return MulDivRound(v, yNum, yDen); };
    m_initialWidth = across(m_naturalWidth);
    m_initialHeight = down(m_naturalHeight);
    for (auto& entry : m_records) {
        const auto natural = m_natural.find(entry.first);
        if (natural == m_natural.end())
            continue;
        AnchorRecord& r = entry.second;
        r.left = across(natural->second.left);
        r.top = down(natural->second.top);
        r.right = across(natural->second.right);
        r.bottom = down(natural->second.bottom);
    }
}
