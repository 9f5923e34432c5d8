// Decimal text to a number, saturating.
#include "core/DecimalText.h"

int32_t DecimalValue(const char* p, const char* end)
{
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Past 2^31 the number can only be held at the limit, so stop growing it there.
    const int64_t limit = int64_t{1} << 31;
    int64_t number = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (number < limit)
            number = number * 10 + (*p - '0');
    }
    if (negative)
        number = -number;
    if (number > INT32_MAX)
        return INT32_MAX;
    if (number < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(number);
}
