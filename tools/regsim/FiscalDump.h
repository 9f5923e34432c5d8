// Text of an Italian-style fiscal memory dump (daily closures with VAT totals) and its
// bytes as the register sends them. Deterministic for a given seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class LineEnd { Cr, CrLf, LfCr };

class CFiscalDump {
public:
    explicit CFiscalDump(uint32_t seed);

    // A whole dump: heading, `closures` daily closures, grand totals.
    std::vector<std::string> Lines(int closures);
    // Exactly `count` lines: a dump long enough for them, cut after line `count`.
    std::vector<std::string> FirstLines(size_t count);

    // Every line in the register's coding followed by the line end.
    static std::string Encode(const std::vector<std::string>& lines, LineEnd end);
    // As a register really sends it: CR line ends with now and then CR LF, NUL padding
    // after some line ends, and control bytes (wide print, XON/XOFF, escape, bell)
    // that the invalid-character file removes.
    std::string EncodeAsRegister(const std::vector<std::string>& lines);

    static constexpr int kWidth = 36;

private:
    uint32_t Next();
    int Range(int low, int high);
    static std::string Money(long long cents);
    static std::string Row(const std::string& left, const std::string& right);
    static std::string Centre(const std::string& text);

    uint32_t m_state;
};
