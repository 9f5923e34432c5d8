// Loads and saves the settings record through the configuration file.
#include "core/AppSettings.h"

#include "core/SettingsFile.h"

#include <exception>

namespace {
// How a record's value is kept in the file.
enum class Field { Int, Long, Byte, Color, Text, Path };

// One record of the file and the member it holds. Loading and saving both walk the one
// table, so the file's records keep this order.
struct SettingRecord {
    const char* key;
    Field field;
    int32_t AppSettings::*number;
    uint8_t AppSettings::*byte;
    uint32_t AppSettings::*color;
    std::string AppSettings::*text;
};

constexpr SettingRecord Number(const char* key, Field field, int32_t AppSettings::*member)
{
    return {key, field, member, nullptr, nullptr, nullptr};
}
constexpr SettingRecord Text(const char* key, Field field, std::string AppSettings::*member)
{
    return {key, field, nullptr, nullptr, nullptr, member};
}

const SettingRecord kRecords[] = {
    Number("COM_PORT", Field::Int, &AppSettings::comPort),
    Number("BAUD_RATE", Field::Long, &AppSettings::baudRate),
    Text("LANGUAGE_FILE", Field::Path, &AppSettings::languageFile),
    Text("OUTPUT_FILE", Field::Path, &AppSettings::outputFile),
    Text("TAB_FILE", Field::Path, &AppSettings::tabFile),
    Text("INVALID_CHAR_FILE", Field::Path, &AppSettings::invalidCharFile),
    Number("UPDATE_LIST_POSITION", Field::Int, &AppSettings::updateListPosition),
    Text("LIST_FONT_NAME", Field::Text, &AppSettings::listFontName),
    Number("LIST_FONT_SIZE", Field::Int, &AppSettings::listFontSize),
    {"LIST_FONT_CHARSET", Field::Byte, nullptr, &AppSettings::listFontCharset, nullptr, nullptr},
    Number("LIST_FONT_BOLD", Field::Int, &AppSettings::listFontBold),
    Number("LIST_FONT_ITALIC", Field::Int, &AppSettings::listFontItalic),
    Number("LIST_FONT_UNDERLINE", Field::Int, &AppSettings::listFontUnderline),
    Number("LIST_FONT_STRIKEOUT", Field::Int, &AppSettings::listFontStrikeout),
    {"LIST_FONT_COLOR", Field::Color, nullptr, nullptr, &AppSettings::listFontColor, nullptr},
    Number("SHOW_DLGDATA_ONMOVE", Field::Int, &AppSettings::showDlgDataOnMove),
    Number("SHOW_DLGDATA_ONSIZE", Field::Int, &AppSettings::showDlgDataOnSize),
    Number("RIENTRY", Field::Int, &AppSettings::indent),
};
static_assert(sizeof kRecords / sizeof kRecords[0] == 18, "the file holds 18 records");

// The file's records over the defaults; false when the file can't be read.
bool LoadSettingsFrom(const std::string& path, AppSettings& s, const std::string& programDir,
                      const ConfigPathCodec& codec)
{
    CSettingsFile file;
    if (!file.Read(path))
        return false;
    for (const SettingRecord& r : kRecords) {
        switch (r.field) {
        case Field::Int:
            file.GetInt(r.key, s.*r.number);
            break;
        case Field::Long:
            file.GetLong(r.key, s.*r.number);
            break;
        case Field::Byte:
            file.GetByte(r.key, s.*r.byte);
            break;
        case Field::Color: {
            int32_t color = static_cast<int32_t>(s.*r.color);
            file.GetLong(r.key, color);
            s.*r.color = static_cast<uint32_t>(color);
            break;
        }
        case Field::Text:
            file.GetString(r.key, s.*r.text);
            break;
        case Field::Path: {
            // A file without one of the path keys clears that path: the file is the whole
            // truth. An empty path stays empty: the setting then names no file at all.
            std::string stored;
            file.GetString(r.key, stored);
            s.*r.text = PathFromConfig(stored, programDir, codec);
            break;
        }
        }
    }
    return true;
}

// The texts that keep the path settings. One the file cannot hold keeps what the file
// held before: a later start then opens the file it opened before, not a look-alike.
class StoredPaths {
public:
    StoredPaths(const std::string& configPath, const std::string& programDir, const ConfigPathCodec& codec,
                std::vector<std::string>* notKept)
        : m_configPath(configPath), m_programDir(programDir), m_codec(codec), m_notKept(notKept)
    {
    }
    std::string Text(const char* key, const std::string& path)
    {
        std::string stored;
        if (PathToConfig(path, m_programDir, m_codec, stored))
            return stored;
        stored.clear();  // no earlier value: none
        if (!m_readBefore) {
            m_readBefore = true;
            m_before.Read(m_configPath);
        }
        m_before.GetString(key, stored);
        if (m_notKept)
            m_notKept->push_back(key);
        return stored;
    }

private:
    const std::string& m_configPath;
    const std::string& m_programDir;
    const ConfigPathCodec& m_codec;
    std::vector<std::string>* m_notKept;
    bool m_readBefore = false;
    CSettingsFile m_before;
};

bool SaveSettingsTo(const std::string& path, const AppSettings& s, const std::string& programDir,
                    std::vector<std::string>* notKept, const ConfigPathCodec& codec)
{
    StoredPaths paths(path, programDir, codec, notKept);
    CSettingsFile file;
    for (const SettingRecord& r : kRecords) {
        switch (r.field) {
        case Field::Int:
            file.SetInt(r.key, s.*r.number);
            break;
        case Field::Long:
            file.SetLong(r.key, s.*r.number);
            break;
        case Field::Byte:
            file.SetByte(r.key, s.*r.byte);
            break;
        case Field::Color:
            file.SetLong(r.key, static_cast<int32_t>(s.*r.color));
            break;
        case Field::Text:
            file.SetString(r.key, s.*r.text);
            break;
        case Field::Path:
            file.SetString(r.key, paths.Text(r.key, s.*r.text));
            break;
        }
    }
    return file.Write(path);
}
}  // namespace

// Out of memory while loading or saving is a failed load or save, never an exception
// out of start-up or shutdown.
bool LoadSettings(const std::string& path, AppSettings& s, const std::string& programDir,
                  const ConfigPathCodec& codec)
{
    try {
        if (!LoadSettingsFrom(path, s, programDir, codec))
            return false;
        if (!IsSaneFontSize(s.listFontSize))
            s.listFontSize = AppSettings().listFontSize;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool SaveSettings(const std::string& path, const AppSettings& s, const std::string& programDir,
                  std::vector<std::string>* notKept, const ConfigPathCodec& codec)
{
    try {
        return SaveSettingsTo(path, s, programDir, notKept, codec);
    } catch (const std::exception&) {
        return false;
    }
}

bool IsSaneFontSize(int32_t size)
{
    return size >= -kMaxFontHeight && size <= kMaxFontHeight;
}

void MakeAbsolutePath(std::string& path, const std::string& dir)
{
    // A network path is absolute already.
    if (path.compare(0, 2, "\\\\") == 0)
        return;
    // Without a drive letter the path is taken as relative to the directory.
    if (path.find(':') == std::string::npos) {
        const bool endsInBackslash = !dir.empty() && dir.back() == '\\';
        path = dir + (endsInBackslash ? "" : "\\") + path;
    }
    if (path.size() >= 2 && path.compare(path.size() - 2, 2, "\\\\") == 0)
        path.pop_back();
}

std::string MakeRelativePath(const std::string& path, const std::string& dir)
{
    // Letter case counts: a path spelt differently is kept as it is.
    if (path.size() < dir.size() || path.compare(0, dir.size(), dir) != 0)
        return path;
    std::string rest = path.substr(dir.size());
    if (!rest.empty() && rest.front() == '\\')
        rest.erase(0, 1);
    return rest;
}
