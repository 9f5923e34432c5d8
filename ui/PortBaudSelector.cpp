// Port and baud rate lists: filling, reading and selecting by number.
#include "ui/PortBaudSelector.h"

#include <algorithm>

#include "core/DigitValue.h"
#include "core/PortList.h"

void CPortBaudSelector::Fill(const CComboBox* combo, const std::vector<std::string>& items)
{
    if (!combo)
        return;
    combo->ResetContent();
    for (size_t i = 0; i < items.size(); ++i)
        combo->InsertString(static_cast<int>(i), items[i].c_str());
}

bool CPortBaudSelector::FollowPorts(const std::vector<std::string>& present)
{
    const int sel = m_pPortCombo ? m_pPortCombo->GetCurSel() : -1;
    const std::string selected = sel >= 0 ? m_pPortCombo->GetLBText(sel) : std::string();
    std::vector<std::string> ports = FollowedPortList(present, selected);
    if (ports == m_ports)
        return false;
    m_ports.swap(ports);
    FillPortCombo();
    if (!selected.empty())
        m_pPortCombo->SetCurSel(static_cast<int>(std::find(m_ports.begin(), m_ports.end(), selected) - m_ports.begin()));
    return true;
}

int CPortBaudSelector::Selected(const CComboBox* combo, int none)
{
    if (!combo)
        return -1;
    int sel = combo->GetCurSel();
    if (sel < 0)
        return none;
    return DigitValue(combo->GetLBText(sel));
}

void CPortBaudSelector::Select(const CComboBox* combo, int value)
{
    if (!combo)
        return;
    const int count = combo->GetCount();
    for (int i = 0; i < count; ++i) {
        if (DigitValue(combo->GetLBText(i)) == value) {
            combo->SetCurSel(i);
            return;
        }
    }
    combo->SetCurSel(-1);
}
