// The C library's atoi rule for the numbers in the program's text files, without its
// overflow: leading white space, an optional sign, digits up to the first non-digit.
#pragma once

#include <cstdint>

// No digits give 0; a number beyond the 32-bit range is held at its limit.
int32_t DecimalValue(const char* begin, const char* end);
