// Byte translation table and invalid-character table of the register's character coding,
// loaded from ';'-separated value files.
#include "core/TranslationTables.h"

#include "core/DecimalText.h"
#include "core/SafeFile.h"

#include <climits>
#include <cstring>

namespace {

// One hex digit: code - 48, and 7 less again above 9, so '0'..'9' and 'A'..'F' come out right.
// Lower-case 'a'..'f' are taken as their upper-case letters, which the bare rule gets wrong in
// the low digit.
int HexDigit(unsigned char c)
{
    if (c >= 'a' && c <= 'f')
        c = static_cast<unsigned char>(c - 'a' + 'A');
    int digit = c - 48;
    if (digit > 9)
        digit -= 7;
    return digit;
}

uint8_t FieldValue(const char* p, const char* end)
{
    while (p < end && *p == ' ')
        ++p;
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        if (end - p < 2)
            return 0;
        const int high = HexDigit(static_cast<unsigned char>(p[0]));
        const int low = HexDigit(static_cast<unsigned char>(p[1]));
        return static_cast<uint8_t>(((high & 0x0F) << 4) | low);
    }
    // The table keeps the low 8 bits: 256 becomes 0, -1 becomes 255.
    return static_cast<uint8_t>(static_cast<unsigned int>(DecimalValue(p, end)));
}

}  // namespace

TranslationTables::TranslationTables() : m_nTranslationCount(0), m_nInvalidCount(0)
{
    // Translate looks up any byte whatever the count, so never leave it reading stale memory.
    std::memset(m_translation, 0, sizeof m_translation);
    std::memset(m_invalid, 0, sizeof m_invalid);
}

TranslationTables::~TranslationTables() = default;

bool TranslationTables::LoadTranslationFile(const std::string& path)
{
    return LoadValueFile(path, m_translation, m_nTranslationCount, true, true);
}

bool TranslationTables::LoadInvalidCharFile(const std::string& path)
{
    return LoadValueFile(path, m_invalid, m_nInvalidCount, false, false);
}

bool TranslationTables::LoadValueFile(const std::string& path, uint8_t* table, int& count,
                                      bool skipHeaderLine, bool skipRowLabel)
{
    std::memset(table, 0, kTableSize);
    count = 0;
    try {
        if (path.empty())
            return false;
        // Only a disk file of a table's size, read whole: a device or a huge file would
        // hold up the start. Only LF and CR LF end lines.
        std::string data;
        if (!ReadRegularFile(path, SMALL_FILE_LIMIT, data))
            return false;
        int stored = 0;
        std::string line;
        size_t next = 0;
        for (long lineIndex = 0; next < data.size(); ++lineIndex) {
            const size_t lf = data.find('\n', next);
            const bool ended = lf != std::string::npos;
            line.assign(data, next, (ended ? lf : data.size()) - next);
            next = ended ? lf + 1 : data.size();
            // A CR before the LF belongs to the line end; one at the very end stays.
            if (ended && !line.empty() && line.back() == '\r')
                line.pop_back();
            if (lineIndex == 0 && skipHeaderLine)
                continue;
            const char* text = line.data();
            size_t pos = 0;
            for (int field = 0;; ++field) {
                const size_t semicolon = line.find(';', pos);
                if (semicolon == std::string::npos)
                    break;
                if (field > 0 || !skipRowLabel) {
                    if (stored == kTableSize)
                        return false;
                    table[stored++] = FieldValue(text + pos, text + semicolon);
                }
                pos = semicolon + 1;
            }
            if (pos < line.size()) {
                if (stored == kTableSize)
                    return false;
                table[stored++] = FieldValue(text + pos, text + line.size());
            }
        }
        count = stored;
        return stored > 0;
    } catch (...) {
        count = 0;
        return false;
    }
}

bool TranslationTables::CopyTranslationTable(std::vector<uint8_t>& out) const
{
    out.resize(0);
    out.assign(m_translation, m_translation + m_nTranslationCount);
    return true;
}

bool TranslationTables::SetTranslationTable(const uint8_t* data, int count)
{
    if (data == nullptr || count < 0 || count > kTableSize)
        return false;
    std::memcpy(m_translation, data, static_cast<size_t>(count));
    m_nTranslationCount = count;
    return true;
}

std::string TranslationTables::Translate(const char* text) const
{
    std::string result;
    if (text == nullptr)
        return result;
    const size_t length = std::strlen(text);
    result.resize(length);
    for (size_t i = 0; i < length; ++i)
        result[i] = static_cast<char>(m_translation[static_cast<unsigned char>(text[i])]);
    return result;
}

bool TranslationTables::IsInvalidChar(uint8_t byte) const
{
    const int count = m_nInvalidCount < kTableSize ? m_nInvalidCount : kTableSize;
    return count > 0 && std::memchr(m_invalid, byte, static_cast<size_t>(count)) != nullptr;
}

void LoadTranslationTable(TranslationTables& loaded, const std::string& path, std::vector<uint8_t>& table)
{
    if (loaded.LoadTranslationFile(path)) {
        try {
            loaded.CopyTranslationTable(table);
        } catch (...) {
        }
    }
}

TranslationTables TranslationWith(const TranslationTables& loaded, const std::vector<uint8_t>& table)
{
    TranslationTables copy = loaded;
    if (!table.empty() && table.size() <= static_cast<size_t>(TranslationTables::kTableSize))
        copy.SetTranslationTable(table.data(), static_cast<int>(table.size()));
    return copy;
}

std::string TranslateText(const TranslationTables& loaded, const char* text, const std::vector<uint8_t>& table)
{
    try {
        return TranslationWith(loaded, table).Translate(text);
    } catch (...) {
        return std::string();
    }
}
