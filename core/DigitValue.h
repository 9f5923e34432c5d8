// The number a list item such as "COM8" or "115200" stands for.
#pragma once

#include <string>

// The number made of the digits of the text, all other characters removed ("COM8"
// gives 8, "C1O2" gives 12); a text without digits gives 0. Saturates at INT_MAX.
int DigitValue(const std::string& text);
