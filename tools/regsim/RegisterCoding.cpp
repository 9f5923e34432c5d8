// The register's character coding, in one place for the simulator and the sample tool.
#include "tools/regsim/RegisterCoding.h"

namespace {
// Punctuation the register prints, in the order of its codes from 0xC1 on (0xC0 is the
// space); letters are 0x80.. (upper) and 0xA0.. (lower), digits 0xD0..0xD9.
const char kPunctuation[] = "!\"#%&'()*+,-./:";      // 0xC1..0xCF
const char kMorePunctuation[] = ";<=>?@_$[]";         // 0xDA..0xE3

int CodeOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return 0x80 + (c - 'A');
    if (c >= 'a' && c <= 'z')
        return 0xA0 + (c - 'a');
    if (c >= '0' && c <= '9')
        return 0xD0 + (c - '0');
    if (c == ' ')
        return 0xC0;
    for (int i = 0; kPunctuation[i]; ++i) {
        if (kPunctuation[i] == c)
            return 0xC1 + i;
    }
    for (int i = 0; kMorePunctuation[i]; ++i) {
        if (kMorePunctuation[i] == c)
            return 0xDA + i;
    }
    return -1;
}
}  // namespace

bool CRegisterCoding::Encode(char display, uint8_t* registerByte)
{
    const int code = CodeOf(display);
    if (code < 0)
        return false;
    *registerByte = static_cast<uint8_t>(code);
    return true;
}

std::string CRegisterCoding::EncodeText(const std::string& display)
{
    std::string out;
    out.reserve(display.size());
    for (char c : display) {
        uint8_t b = 0;
        if (!Encode(c, &b))
            Encode('?', &b);
        out.push_back(static_cast<char>(b));
    }
    return out;
}

const std::array<uint8_t, 256>& CRegisterCoding::DisplayTable()
{
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (int b = 1; b < 0x20; ++b)
            t[b] = ' ';
        for (int b = 0x20; b < 0x100; ++b)
            t[b] = '?';
        for (int c = 0x20; c < 0x7F; ++c) {
            const int code = CodeOf(static_cast<char>(c));
            if (code >= 0)
                t[code] = static_cast<uint8_t>(c);
        }
        return t;
    }();
    return table;
}

const std::vector<uint8_t>& CRegisterCoding::NoiseBytes()
{
    static const std::vector<uint8_t> bytes = {0x07, 0x0E, 0x0F, 0x11, 0x13, 0x1B};
    return bytes;
}
