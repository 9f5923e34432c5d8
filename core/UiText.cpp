// The UI text table and the language file reader.
#include "core/UiText.h"

#include "core/AppSettings.h"
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

std::string UiText[TXT_COUNT] = {
    DEFAULT_TEXTS[0],  DEFAULT_TEXTS[1],  DEFAULT_TEXTS[2],  DEFAULT_TEXTS[3],  DEFAULT_TEXTS[4],
    DEFAULT_TEXTS[5],  DEFAULT_TEXTS[6],  DEFAULT_TEXTS[7],  DEFAULT_TEXTS[8],  DEFAULT_TEXTS[9],
    DEFAULT_TEXTS[10], DEFAULT_TEXTS[11], DEFAULT_TEXTS[12], DEFAULT_TEXTS[13], DEFAULT_TEXTS[14],
    DEFAULT_TEXTS[15], DEFAULT_TEXTS[16], DEFAULT_TEXTS[17], DEFAULT_TEXTS[18], DEFAULT_TEXTS[19],
    DEFAULT_TEXTS[20], DEFAULT_TEXTS[21],
};
static_assert(TXT_COUNT == 22, "one default per text");

std::string AboutTitle()
{
    return "Korvex v. " + g_Version;
}

void ResetUiText()
{
    for (int i = 0; i < TXT_COUNT; ++i)
        UiText[i] = DEFAULT_TEXTS[i];
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

void LoadLanguage(const std::string& path)
{
    std::vector<std::string> texts;
    if (!ReadMarkedEntries(path, texts) || texts.size() < size_t{TXT_BASE_COUNT} || texts.size() > size_t{TXT_COUNT})
        return;
    for (size_t i = 0; i < texts.size(); ++i)
        UiText[i].swap(texts[i]);
}

std::string UiTextWith(UiTextId id, const std::string& value)
{
    std::string text = UiText[id];
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}
