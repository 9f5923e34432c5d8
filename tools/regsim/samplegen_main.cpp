// korvex-samplegen: writes the sample fiscal memory dump in the register's coding, the
// translation and invalid-character tables for it, and the text the program must show,
// checked by a decoder that reads only the table files it has just written.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/regsim/FiscalDump.h"
#include "tools/regsim/RegisterCoding.h"

namespace {
const uint32_t kSeed = 2024;
const int kClosures = 28;

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

std::string Hex(int value)
{
    char s[8];
    std::snprintf(s, sizeof s, "0x%02X", value);
    return s;
}

// A 16 x 16 grid with a header and row labels; the control rows in decimal, the rest
// in hex, as hand-made tables tend to be.
std::string TranslationFile()
{
    const auto& table = CRegisterCoding::DisplayTable();
    std::string out = "REG";
    for (int c = 0; c < 16; ++c)
        out += ";_" + std::string(1, "0123456789ABCDEF"[c]);
    out += "\r\n";
    for (int row = 0; row < 16; ++row) {
        out += Hex(row * 16);
        for (int c = 0; c < 16; ++c) {
            const int v = table[static_cast<size_t>(row * 16 + c)];
            out += ";" + (row < 2 ? std::to_string(v) : Hex(v));
        }
        out += "\r\n";
    }
    return out;
}

std::string InvalidFile()
{
    std::string out;
    for (uint8_t b : CRegisterCoding::NoiseBytes())
        out += (out.empty() ? "" : ";") + Hex(b);
    return out + "\r\n";
}

// --- The independent decoder: reads the two table files back and decodes the dump
// the way the program does (NUL and LF dropped, invalid bytes dropped, CR ends a line,
// a table entry of 0 ends the visible text).

int FieldValue(std::string field)
{
    field.erase(0, field.find_first_not_of(' '));
    if (field.size() >= 2 && field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) {
        if (field.size() < 4)
            return 0;
        return static_cast<int>(std::strtol(field.substr(2, 2).c_str(), nullptr, 16));
    }
    return std::atoi(field.c_str()) & 0xFF;
}

std::vector<int> ReadValues(const std::string& path, bool table)
{
    std::ifstream f(path, std::ios::binary);
    std::vector<int> values;
    std::string line;
    for (int index = 0; std::getline(f, line); ++index) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (table && index == 0)
            continue;
        std::stringstream fields(line);
        std::string field;
        for (int n = 0; std::getline(fields, field, ';'); ++n) {
            if (!(table && n == 0))
                values.push_back(FieldValue(field));
        }
    }
    return values;
}

std::vector<std::string> Decode(const std::string& bytes, const std::vector<int>& table,
                                const std::vector<int>& invalid)
{
    std::vector<std::string> lines;
    std::string raw;
    for (unsigned char b : bytes) {
        bool dropped = b == 0x00 || b == 0x0A;
        for (int v : invalid)
            dropped = dropped || v == b;
        if (dropped)
            continue;
        if (b != 0x0D) {
            raw.push_back(static_cast<char>(b));
            continue;
        }
        std::string text;
        for (unsigned char r : raw) {
            const int shown = r < table.size() ? table[r] : 0;
            if (shown == 0)
                break;
            text.push_back(static_cast<char>(shown));
        }
        lines.push_back(text);
        raw.clear();
    }
    return lines;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvex-samplegen OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    CFiscalDump dump(kSeed);
    const std::vector<std::string> lines = dump.Lines(kClosures);
    const std::string bytes = dump.EncodeAsRegister(lines);

    if (!WriteFile(dir + "fiscal_dump.bin", bytes) || !WriteFile(dir + "Korvex_Tab.txt", TranslationFile()) ||
        !WriteFile(dir + "Korvex_Invalid.txt", InvalidFile())) {
        std::fprintf(stderr, "korvex-samplegen: cannot write into %s\n", dir.c_str());
        return 1;
    }

    const std::vector<int> table = ReadValues(dir + "Korvex_Tab.txt", true);
    const std::vector<int> invalid = ReadValues(dir + "Korvex_Invalid.txt", false);
    const std::vector<std::string> decoded = Decode(bytes, table, invalid);
    if (table.size() != 256 || decoded != lines) {
        std::fprintf(stderr, "korvex-samplegen: the tables do not decode the dump (%zu entries, %zu/%zu lines)\n",
                     table.size(), decoded.size(), lines.size());
        return 1;
    }
    std::string expected;
    for (const std::string& line : decoded)
        expected += line + "\r\n";
    if (!WriteFile(dir + "fiscal_dump.expected.txt", expected)) {
        std::fprintf(stderr, "korvex-samplegen: cannot write into %s\n", dir.c_str());
        return 1;
    }
    std::printf("%zu lines, %zu bytes\n", lines.size(), bytes.size());
    return 0;
}
