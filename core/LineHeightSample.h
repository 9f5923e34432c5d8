// The text whose drawn height is the height of a row, on the screen and on the printed
// page alike: capitals, small letters, digits and the accented and other characters of
// Italian text (Windows-1252).
#pragma once

inline constexpr char kLineHeightSample[] =
    "ABCDEFGHILMNOPQRSTUVZJKXYabcdefghilmnopqrstuvzjkxy0123456789!\xA3$/()=?^\xE8+\xF9\xE0\xF2-.,*"
    "\xE9\xA7\xB0\xE7_:;";
