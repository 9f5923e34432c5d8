// Port and baud rate lists: filling, reading and selecting by number.
#include "ui/PortBaudSelector.h"

#include "core/DigitValue.h"

CPortBaudSelector::CPortBaudSelector()
    : m_ports{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"},
      m_bauds{"1200", "9600", "19200", "38400"}
{
}

void CPortBaudSelector::Fill(const CComboBox* combo, const std::vector<std::string>& items)
{
    if (!combo)
        return;
    combo->ResetContent();
    for (size_t i = 0; i < items.size(); ++i)
        combo->InsertString(static_cast<int>(i), items[i].c_str());
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
