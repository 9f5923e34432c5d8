// The UI text table and the language file reader.
#include "core/UiText.h"

#include "core/SafeFile.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {
const char* const DEFAULT_TEXTS[TXT_COUNT] = {
    "COM Port",
    "Baud Rate",
    "Update bar position",
    "Font",
    "Rientry",
    "Output",
    "Save",
    "Save As...",
    "Load",
    "Clear",
    "Print Preview",
    "Print",
    "Start",
    "Stop",
    "",
    "Exit program",
    "ATTENTION! Communication is start!\nContinue?",
    "Clear all data?",
    "ERROR open COM port.",
    "ERROR load file.",
    "ERROR save file.",
    "Cannot find \"%s\".",
    "The document could not be printed.",
    "The document could not be printed to the end: %s page(s) went out.",
    "No COM port is present.\nConnect the register's adapter, then open the COM Port list.",
};

const char OPEN_MARKER[] = ":>\"";
const char CLOSE_MARKER[] = "\"<:";
const size_t MARKER_SIZE = 3;

bool MarkerAt(const std::string& data, size_t pos, const char* marker)
{
    return data.size() - pos >= MARKER_SIZE && std::memcmp(data.data() + pos, marker, MARKER_SIZE) == 0;
}

// Decodes the escape whose backslash is at pos; returns the position after what it took.
size_t DecodeEscape(const std::string& data, size_t pos, std::string& text)
{
    size_t next = pos + 1;
    if (next < data.size() && data[next] == 'n') {
        text += '\n';
        ++next;
    }
    if (next < data.size() && data[next] == 'r') {
        text += '\r';
        ++next;
    }
    if (next < data.size() && data[next] == 't') {
        text += '\t';
        ++next;
    }
    // Any other letter leaves the backslash as it is and is read on its own.
    if (next == pos + 1)
        text += '\\';
    return next;
}
}  // namespace

UiTextTable::UiTextTable()
{
    Reset();
}

void UiTextTable::Reset()
{
    for (int i = 0; i < TXT_COUNT; ++i)
        m_texts[i] = DEFAULT_TEXTS[i];
}

void UiTextTable::LoadLanguage(const std::string& path)
{
    std::vector<std::string> texts;
    if (!ReadMarkedEntries(path, texts) || texts.size() < size_t{TXT_BASE_COUNT} || texts.size() > size_t{TXT_COUNT})
        return;
    for (size_t i = 0; i < texts.size(); ++i)
        m_texts[i].swap(texts[i]);
}

std::string UiTextTable::With(UiTextId id, const std::string& value) const
{
    std::string text = m_texts[id];
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

std::string UiTextTable::PrintFailed(int pagesOut, const std::string& reason) const
{
    std::string text = pagesOut > 0 ? With(TXT_ERR_PRINT_PARTIAL, std::to_string(pagesOut)) : m_texts[TXT_ERR_PRINT];
    if (!reason.empty())
        text += "\n" + reason;
    return text;
}

std::string AboutTitle(const std::string& version)
{
    return "Korvex v. " + version;
}

bool ReadMarkedEntries(const std::string& path, std::vector<std::string>& out)
{
    out.clear();
    try {
        // Only a disk file of a language file's size: a device or a huge file would
        // hold up the start.
        std::string data;
        if (!ReadRegularFile(path, SMALL_FILE_LIMIT, data))
            return false;
        bool inside = false;
        std::string text;
        size_t pos = 0;
        while (pos < data.size()) {
            if (!inside) {
                if (MarkerAt(data, pos, OPEN_MARKER)) {
                    inside = true;
                    pos += MARKER_SIZE;
                } else {
                    ++pos;
                }
            } else if (MarkerAt(data, pos, CLOSE_MARKER)) {
                out.push_back(text);
                text.clear();
                inside = false;
                pos += MARKER_SIZE;
            } else if (data[pos] == '\\') {
                pos = DecodeEscape(data, pos, text);
            } else {
                text += data[pos++];
            }
        }
        // A text still open at the end of the file is dropped.
        return true;
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
}
