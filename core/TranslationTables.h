// Byte translation table and invalid-character table of the register's character coding,
// loaded from ';'-separated value files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TranslationTables {
public:
    static const int kTableSize = 512;

    TranslationTables();
    virtual ~TranslationTables();

    // Translation file: the first line is a header and the first field of each line a row label.
    bool LoadTranslationFile(const std::string& path);
    // Invalid-character file: every line and every field is a value.
    bool LoadInvalidCharFile(const std::string& path);

    // Resizes the array to the translation count and copies the entries; always true.
    bool CopyTranslationTable(std::vector<uint8_t>& out) const;
    // False and nothing changed for a null pointer or a count outside 0..512.
    bool SetTranslationTable(const uint8_t* data, int count);

    // Maps every byte through the translation table; null text gives an empty string.
    std::string Translate(const char* text) const;
    bool IsInvalidChar(uint8_t byte) const;

    int GetTranslationCount() const { return m_nTranslationCount; }
    int GetInvalidCount() const { return m_nInvalidCount; }

private:
    static bool LoadValueFile(const std::string& path, uint8_t* table, int& count,
                              bool skipHeaderLine, bool skipRowLabel);

    uint8_t m_translation[kTableSize];
    int m_nTranslationCount;
    uint8_t m_invalid[kTableSize];
    int m_nInvalidCount;
};

// Loads a translation file into the loaded tables; only on success the array receives
// a copy of the loaded entries, otherwise it is left as it was.
void LoadTranslationTable(TranslationTables& loaded, const std::string& path, std::vector<uint8_t>& table);
// A copy of the loaded tables with the array installed over their first entries (an
// empty array, or one longer than 512, installs nothing): the table that a thread of its
// own translates through, sharing nothing with the thread that loads the tables.
TranslationTables TranslationWith(const TranslationTables& loaded, const std::vector<uint8_t>& table);
// Translates the text through TranslationWith(loaded, table); the loaded tables are only
// read. Empty string if the string cannot be built.
std::string TranslateText(const TranslationTables& loaded, const char* text, const std::vector<uint8_t>& table);
