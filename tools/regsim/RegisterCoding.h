// The register's own single-byte character coding: letters, digits and punctuation live
// above 0x7F, so a dump is unreadable until translated through the table that
// Korvex_Tab.txt holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CRegisterCoding {
public:
    // Register byte for a display character; false when the register cannot print it.
    static bool Encode(char display, uint8_t* registerByte);
    // Encodes a whole text; characters the register cannot print become '?'.
    static std::string EncodeText(const std::string& display);
    // Display character for every register byte, as the translation table states it:
    // 0x00 stays 0, other control bytes show as a space, unused codes as '?'.
    static const std::array<uint8_t, 256>& DisplayTable();
    // Control bytes the register mixes into its output (bell, wide print on/off,
    // XON/XOFF, escape); the invalid-character file lists them so they are dropped.
    static const std::vector<uint8_t>& NoiseBytes();
};
