// Port names and the port list that follows the adapters.
#include "core/PortList.h"

#include <algorithm>
#include <cstdio>

#include "core/DigitValue.h"

std::string ComPortName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "COM%d", number);
    return name;
}

std::vector<std::string> FollowedPortList(const std::vector<std::string>& present, const std::string& selected)
{
    std::vector<std::string> list = present;
    if (selected.empty() || std::find(list.begin(), list.end(), selected) != list.end())
        return list;
    const int number = DigitValue(selected);
    const auto higher = std::find_if(list.begin(), list.end(),
                                     [number](const std::string& port) { return DigitValue(port) > number; });
    list.insert(higher, selected);
    return list;
}
