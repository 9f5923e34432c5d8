// Reads and writes the SOH key STX CR LF value ETX CR LF CR LF record file.
#include "core/SettingsFile.h"

#include "core/DecimalText.h"

#include "core/SafeFile.h"

#include <cstdio>
#include <new>

namespace {
const char SOH = 0x01;
const char STX = 0x02;
const char ETX = 0x03;
const char* const SEPARATOR = "\r\n";

// Texts were zero-terminated fixed fields: a zero byte ends them, the field size cuts them.
std::string StoredText(const std::string& text, size_t limit)
{
    const size_t end = text.find('\0');
    return text.substr(0, end < limit ? end : limit);
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameKey(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}
}  // namespace

bool CSettingsFile::Read(const std::string& path)
{
    if (path.empty())
        return false;
    // Opened for update like the file it will be written back to: a read-only file fails here.
    std::FILE* file = OpenCFile(path, "r+b");
    if (!file)
        return false;
    m_entries.clear();
    bool ok = std::fseek(file, 0, SEEK_SET) == 0;

    enum { OUTSIDE, IN_KEY, IN_VALUE } state = OUTSIDE;
    std::string key;
    std::string value;
    // Only the bytes that can still reach the stored text are kept, so a file without
    // terminators can't make the buffers grow; the value keeps two more for its CR LF.
    const size_t keyKeep = MAX_KEY;
    const size_t valueKeep = MAX_VALUE + 2;
    char chunk[4096];
    try {
        while (ok) {
            const size_t got = std::fread(chunk, 1, sizeof chunk, file);
            for (size_t i = 0; i < got; ++i) {
                const char c = chunk[i];
                if (state == OUTSIDE) {
                    if (c == SOH)
                        state = IN_KEY;
                } else if (state == IN_KEY) {
                    if (c == STX)
                        state = IN_VALUE;
                    else if (key.size() < keyKeep)
                        key += c;
                } else if (c != ETX) {
                    if (value.size() < valueKeep)
                        value += c;
                } else {
                    if (value.compare(0, 2, SEPARATOR) == 0)
                        value.erase(0, 2);
                    m_entries.push_back({StoredText(key, MAX_KEY), StoredText(value, MAX_VALUE)});
                    key.clear();
                    value.clear();
                    state = OUTSIDE;
                }
            }
            if (got < sizeof chunk) {
                ok = !std::ferror(file);
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    std::fclose(file);
    return ok;
}

bool CSettingsFile::Write(const std::string& path) const
{
    if (path.empty())
        return false;
    CSafeFileWriter file;
    if (!file.Open(path))
        return false;
    for (const SettingsEntry& entry : m_entries) {
        if (entry.key.empty())
            continue;
        const std::string record = SOH + entry.key + STX + SEPARATOR + entry.value + ETX +
                                   SEPARATOR + SEPARATOR;
        if (!file.Write(record))
            return false;
    }
    return file.Commit();
}

size_t CSettingsFile::IndexOf(const std::string& key) const
{
    const std::string wanted = StoredText(key, std::string::npos);
    size_t i = 0;
    while (i < m_entries.size() && !SameKey(m_entries[i].key, wanted))
        ++i;
    return i;
}

const SettingsEntry* CSettingsFile::Find(const std::string& key) const
{
    const size_t i = IndexOf(key);
    return i < m_entries.size() ? &m_entries[i] : nullptr;
}

bool CSettingsFile::GetString(const std::string& key, std::string& value) const
{
    const SettingsEntry* entry = Find(key);
    if (!entry)
        return false;
    value = entry->value;
    return true;
}

bool CSettingsFile::GetInt(const std::string& key, int32_t& value) const
{
    const SettingsEntry* entry = Find(key);
    if (!entry)
        return false;
    value = ToNumber(entry->value);
    return true;
}

bool CSettingsFile::GetLong(const std::string& key, int32_t& value) const
{
    return GetInt(key, value);
}

bool CSettingsFile::GetByte(const std::string& key, uint8_t& value) const
{
    int32_t number = 0;
    if (!GetInt(key, number))
        return false;
    value = static_cast<uint8_t>(static_cast<uint32_t>(number) & 0xFF);
    return true;
}

bool CSettingsFile::SetString(const std::string& key, const std::string& value)
{
    const size_t i = IndexOf(key);
    if (i < m_entries.size())
        m_entries[i].value = StoredText(value, MAX_VALUE);
    else
        m_entries.push_back({StoredText(key, MAX_KEY), StoredText(value, MAX_VALUE)});
    return true;
}

bool CSettingsFile::SetInt(const std::string& key, int32_t value)
{
    return SetString(key, std::to_string(value));
}

bool CSettingsFile::SetLong(const std::string& key, int32_t value)
{
    return SetInt(key, value);
}

bool CSettingsFile::SetByte(const std::string& key, uint8_t value)
{
    return SetString(key, std::to_string(static_cast<unsigned>(value)));
}

int32_t CSettingsFile::ToNumber(const std::string& text)
{
    return DecimalValue(text.data(), text.data() + text.size());
}
