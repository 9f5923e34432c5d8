// The COM port list of the main window: the port names, and the list brought up to date
// with the ports the library lists as present.
#pragma once

#include <string>
#include <vector>

// "COM" and the number: 3 gives "COM3".
std::string ComPortName(int number);

// The list to show once the library has listed the ports present again: those ports,
// in its order, and the selected port (empty: none) even when it is no longer there,
// before the first port of a higher number. An adapter pulled out comes back under the
// same name and a run on it waits for it, so the operator's choice stays; once another
// port is chosen, the missing one leaves the list.
std::vector<std::string> FollowedPortList(const std::vector<std::string>& present, const std::string& selected);
