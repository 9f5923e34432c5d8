// Ordered key/value records in a file where control bytes, not lines, frame every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SettingsEntry
{
    std::string key;    // at most MAX_KEY bytes, never a zero byte
    std::string value;  // at most MAX_VALUE bytes, never a zero byte
};

class CSettingsFile
{
public:
    static const size_t MAX_KEY = 50;
    static const size_t MAX_VALUE = 2048;

    // Replaces the records by those of the file; false (records kept) when it can't be opened.
    bool Read(const std::string& path);
    // Replaces the file; on false the old file is still there (unless it had to be
    // written in place).
    bool Write(const std::string& path) const;

    // First record whose key matches regardless of ASCII letter case; null when none.
    const SettingsEntry* Find(const std::string& key) const;
    const std::vector<SettingsEntry>& Entries() const { return m_entries; }

    // Getters leave the output alone and return false when the key is absent.
    bool GetString(const std::string& key, std::string& value) const;
    bool GetInt(const std::string& key, int32_t& value) const;
    bool GetLong(const std::string& key, int32_t& value) const;
    bool GetByte(const std::string& key, uint8_t& value) const;

    // Setters replace the value of a found record or append a new one.
    bool SetString(const std::string& key, const std::string& value);
    bool SetInt(const std::string& key, int32_t value);
    bool SetLong(const std::string& key, int32_t value);
    bool SetByte(const std::string& key, uint8_t value);

    // Leading decimal number of a text (white space and sign allowed, 0 when none),
    // held to the 32-bit range.
    static int32_t ToNumber(const std::string& text);

private:
    size_t IndexOf(const std::string& key) const;  // m_entries.size() when absent

    std::vector<SettingsEntry> m_entries;
};
