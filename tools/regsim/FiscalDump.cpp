// Fiscal memory dump text and the register's byte stream for it.
#include "tools/regsim/FiscalDump.h"

#include <cstdio>

#include "tools/regsim/RegisterCoding.h"

namespace {
const int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};  // 2024

struct Date {
    int day = 2, month = 1, year = 2024;
    void Advance(int days)
    {
        for (day += days; day > kDaysInMonth[month - 1];) {
            day -= kDaysInMonth[month - 1];
            if (++month > 12)
                month = 1, ++year;
        }
    }
    std::string Text() const
    {
        char s[16];
        std::snprintf(s, sizeof s, "%02d-%02d-%04d", day, month, year);
        return s;
    }
};

std::string Format(const char* format, long long value)
{
    char s[48];
    std::snprintf(s, sizeof s, format, value);
    return s;
}

const char* const kRule = "------------------------------------";
const char* const kDoubleRule = "====================================";
}  // namespace

CFiscalDump::CFiscalDump(uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}

uint32_t CFiscalDump::Next()
{
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

int CFiscalDump::Range(int low, int high)
{
    return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low + 1));
}

std::string CFiscalDump::Money(long long cents)
{
    std::string whole = Format("%lld", cents / 100);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(static_cast<size_t>(i), ".");
    return whole + Format(",%02lld", cents % 100);
}

std::string CFiscalDump::Row(const std::string& left, const std::string& right)
{
    const int gap = kWidth - static_cast<int>(left.size()) - static_cast<int>(right.size());
    return left + std::string(gap > 1 ? static_cast<size_t>(gap) : 1, ' ') + right;
}

std::string CFiscalDump::Centre(const std::string& text)
{
    const int pad = (kWidth - static_cast<int>(text.size())) / 2;
    return std::string(pad > 0 ? static_cast<size_t>(pad) : 0, ' ') + text;
}

std::vector<std::string> CFiscalDump::Lines(int closures)
{
    const std::string serial = "72MX" + Format("%07lld", Range(0, 9999999));
    Date date;
    Date last = date;
    last.Advance(closures + closures / 6);
    std::vector<std::string> out = {
        kDoubleRule,
        Centre("MEMORIA FISCALE"),
        kDoubleRule,
        Centre("BAR TRATTORIA DA MARIO S.N.C."),
        Centre("Via Garibaldi 12 - 40124 Bologna"),
        Centre("P.IVA 01234567890"),
        kRule,
        Row("MATRICOLA", serial),
        "LETTURA COMPLETA DA DATA A DATA",
        Row("DAL " + date.Text(), "AL " + last.Text()),
        kRule,
        "",
    };

    struct Rate {
        const char* label;
        int percent;
    };
    const Rate rates[] = {{"IVA 22%", 22}, {"IVA 10%", 10}, {"IVA  4%", 4}};
    long long grandTotal = 0;
    for (int n = 1; n <= closures; ++n) {
        out.push_back("CHIUSURA GIORNALIERA N. " + Format("%04lld", n));
        out.push_back(Row("DATA " + date.Text(),
                          "ORA " + Format("%02lld", Range(19, 23)) + ":" + Format("%02lld", Range(0, 59))));
        out.push_back(Row("DOC. COMMERCIALI N.", Format("%lld", Range(12, 240))));
        long long dayTotal = 0;
        for (const Rate& rate : rates) {
            if (rate.percent == 4 && Range(0, 2) != 0)
                continue;  // few days sell anything at 4%
            const long long taxable = Range(1500, 180000);
            const long long tax = (taxable * rate.percent + 50) / 100;
            out.push_back(Row(std::string(rate.label) + "  IMPONIBILE", Money(taxable)));
            out.push_back(Row("         IMPOSTA", Money(tax)));
            dayTotal += taxable + tax;
        }
        const long long voided = Range(0, 5) == 0 ? Range(150, 4500) : 0;
        out.push_back(Row("ANNULLI", Money(voided)));
        out.push_back(Row("RESI", Money(0)));
        grandTotal += dayTotal;
        out.push_back(Row("TOTALE GIORNALIERO EUR", Money(dayTotal)));
        out.push_back(Row("TOTALE GENERALE EUR", Money(grandTotal)));
        out.push_back(kRule);
        date.Advance(n % 6 == 0 ? 2 : 1);  // closed on Sundays
    }
    out.push_back(Row("NUMERO CHIUSURE", Format("%04lld", closures)));
    out.push_back(Row("TOTALE GENERALE EUR", Money(grandTotal)));
    out.push_back(Row("MATRICOLA", serial));
    out.push_back(Centre("FINE MEMORIA FISCALE"));
    out.push_back(kDoubleRule);
    return out;
}

std::vector<std::string> CFiscalDump::FirstLines(size_t count)
{
    // A closure takes at least ten lines; heading and totals take seventeen.
    std::vector<std::string> lines = Lines(static_cast<int>(count / 10 + 1));
    lines.resize(count);
    return lines;
}

std::string CFiscalDump::Encode(const std::vector<std::string>& lines, LineEnd end)
{
    const char* endBytes = end == LineEnd::Cr ? "\r" : end == LineEnd::CrLf ? "\r\n" : "\n\r";
    std::string out;
    for (const std::string& line : lines)
        out += CRegisterCoding::EncodeText(line) + endBytes;
    return out;
}

std::string CFiscalDump::EncodeAsRegister(const std::vector<std::string>& lines)
{
    const std::vector<uint8_t>& noise = CRegisterCoding::NoiseBytes();
    std::string out(3, '\0');  // the line settles after power-up
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string encoded = CRegisterCoding::EncodeText(line);
        if (line.find("MEMORIA FISCALE") != std::string::npos)
            encoded = "\x0E" + encoded + "\x0F";  // printed wide
        if (line.compare(0, 8, "CHIUSURA") == 0)
            encoded = "\x1B" + encoded;
        if (!encoded.empty() && Range(0, 24) == 0) {
            const uint8_t b = noise[static_cast<size_t>(Range(0, static_cast<int>(noise.size()) - 1))];
            encoded.insert(static_cast<size_t>(Range(0, static_cast<int>(encoded.size()))), 1,
                           static_cast<char>(b));
        }
        out += encoded;
        out += Range(0, 6) == 0 ? "\r\n" : "\r";
        if (Range(0, 9) == 0)
            out.append(static_cast<size_t>(Range(1, 3)), '\0');
    }
    out += '\x07';  // the register beeps when the dump is done
    return out;
}
