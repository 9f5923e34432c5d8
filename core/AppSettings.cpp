// Loads and saves the settings record through the configuration file.
#include "core/AppSettings.h"

#include "core/SettingsFile.h"
#include "res/version.h"

#include <exception>

AppSettings g_Settings;
std::string g_Version = KORVEX_VERSION_TEXT;

namespace {
// The file's records over the defaults; false when the file can't be read.
bool LoadSettingsFrom(const std::string& path, AppSettings& s, const std::string& programDir,
                      const ConfigPathCodec& codec)
{
    std::string languageFile;
    std::string outputFile;
    std::string tabFile;
    std::string invalidCharFile;
    CSettingsFile file;
    if (!file.Read(path))
        return false;

    int32_t color = static_cast<int32_t>(s.listFontColor);
    file.GetInt("COM_PORT", s.comPort);
    file.GetLong("BAUD_RATE", s.baudRate);
    file.GetString("LANGUAGE_FILE", languageFile);
    file.GetString("OUTPUT_FILE", outputFile);
    file.GetString("TAB_FILE", tabFile);
    file.GetString("INVALID_CHAR_FILE", invalidCharFile);
    file.GetInt("UPDATE_LIST_POSITION", s.updateListPosition);
    file.GetString("LIST_FONT_NAME", s.listFontName);
    file.GetInt("LIST_FONT_SIZE", s.listFontSize);
    file.GetByte("LIST_FONT_CHARSET", s.listFontCharset);
    file.GetInt("LIST_FONT_BOLD", s.listFontBold);
    file.GetInt("LIST_FONT_ITALIC", s.listFontItalic);
    file.GetInt("LIST_FONT_UNDERLINE", s.listFontUnderline);
    file.GetInt("LIST_FONT_STRIKEOUT", s.listFontStrikeout);
    file.GetLong("LIST_FONT_COLOR", color);
    s.listFontColor = static_cast<uint32_t>(color);
    file.GetInt("SHOW_DLGDATA_ONMOVE", s.showDlgDataOnMove);
    file.GetInt("SHOW_DLGDATA_ONSIZE", s.showDlgDataOnSize);
    file.GetInt("RIENTRY", s.rientry);

    // A file without one of the path keys clears that path: the file is the whole truth.
    // An empty path stays empty: the setting then names no file at all.
    s.languageFile = PathFromConfig(languageFile, programDir, codec);
    s.outputFile = PathFromConfig(outputFile, programDir, codec);
    s.tabFile = PathFromConfig(tabFile, programDir, codec);
    s.invalidCharFile = PathFromConfig(invalidCharFile, programDir, codec);
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
    file.SetInt("COM_PORT", s.comPort);
    file.SetLong("BAUD_RATE", s.baudRate);
    file.SetString("LANGUAGE_FILE", paths.Text("LANGUAGE_FILE", s.languageFile));
    file.SetString("OUTPUT_FILE", paths.Text("OUTPUT_FILE", s.outputFile));
    file.SetString("TAB_FILE", paths.Text("TAB_FILE", s.tabFile));
    file.SetString("INVALID_CHAR_FILE", paths.Text("INVALID_CHAR_FILE", s.invalidCharFile));
    file.SetInt("UPDATE_LIST_POSITION", s.updateListPosition);
    file.SetString("LIST_FONT_NAME", s.listFontName);
    file.SetInt("LIST_FONT_SIZE", s.listFontSize);
    file.SetByte("LIST_FONT_CHARSET", s.listFontCharset);
    file.SetInt("LIST_FONT_BOLD", s.listFontBold);
    file.SetInt("LIST_FONT_ITALIC", s.listFontItalic);
    file.SetInt("LIST_FONT_UNDERLINE", s.listFontUnderline);
    file.SetInt("LIST_FONT_STRIKEOUT", s.listFontStrikeout);
    file.SetLong("LIST_FONT_COLOR", static_cast<int32_t>(s.listFontColor));
    file.SetInt("SHOW_DLGDATA_ONMOVE", s.showDlgDataOnMove);
    file.SetInt("SHOW_DLGDATA_ONSIZE", s.showDlgDataOnSize);
    file.SetInt("RIENTRY", s.rientry);
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
