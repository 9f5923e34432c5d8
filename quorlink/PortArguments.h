// The one check of GetCOM_Installed's arguments, shared by every build of the library.
#pragma once

// False for a null array or count, or a negative capacity; the count is then 0 where it
// can be written. Otherwise the capacity is taken from *count, which is reset to 0 until
// the ports are written.
inline bool TakePortCapacity(int* ports, int* count, int& capacity)
{
    if (count) {
        capacity = *count;
        *count = 0;
    }
    return ports && count && capacity >= 0;
}
