// The COM port and baud rate drop-down lists of the main window.
#pragma once

#include <string>
#include <vector>

#include "fw/Controls.h"

// It shows the lists of the program's state (SetPortList, SetBaudList) and has none of
// its own.
class CPortBaudSelector {
public:
    void AttachPortCombo(CComboBox* combo) { m_pPortCombo = combo; }
    void AttachBaudCombo(CComboBox* combo) { m_pBaudCombo = combo; }
    void SetPortList(const std::vector<std::string>& ports) { m_ports = ports; }
    void SetBaudList(const std::vector<std::string>& bauds) { m_bauds = bauds; }
    void FillPortCombo() const { Fill(m_pPortCombo, m_ports); }
    void FillBaudCombo() const { Fill(m_pBaudCombo, m_bauds); }
    // Shows the ports present now, keeping the selected one (see FollowedPortList);
    // false, with nothing touched, when the list stays as it is.
    bool FollowPorts(const std::vector<std::string>& present);

    // -1 without a list; the default (1 or 9600) when nothing is selected;
    // otherwise the digits of the selected item.
    int SelectedPort() const { return Selected(m_pPortCombo, 1); }
    int SelectedBaud() const { return Selected(m_pBaudCombo, 9600); }
    // Selects the first item whose digits equal the number; none when no item does.
    void SelectPort(int port) const { Select(m_pPortCombo, port); }
    void SelectBaud(int baud) const { Select(m_pBaudCombo, baud); }

private:
    static void Fill(const CComboBox* combo, const std::vector<std::string>& items);
    static int Selected(const CComboBox* combo, int none);
    static void Select(const CComboBox* combo, int value);

    CComboBox* m_pPortCombo = nullptr;
    CComboBox* m_pBaudCombo = nullptr;
    std::vector<std::string> m_ports;
    std::vector<std::string> m_bauds;
};
