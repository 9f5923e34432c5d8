// Everything the program remembers between runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ConfigPath.h"

struct AppSettings
{
    int32_t comPort = 1;
    int32_t baudRate = 9600;
    std::string outputFile;
    std::string tabFile;
    std::string invalidCharFile;
    std::string languageFile;
    int32_t updateListPosition = 0;
    std::string listFontName = "Courier New";
    int32_t listFontSize = 10;
    uint8_t listFontCharset = 1;
    int32_t listFontBold = 400;
    int32_t listFontItalic = 0;
    int32_t listFontUnderline = 0;
    int32_t listFontStrikeout = 0;
    uint32_t listFontColor = 0;  // 0x00BBGGRR
    int32_t showDlgDataOnMove = 1;
    int32_t showDlgDataOnSize = 1;
    int32_t indent = 0;  // spaces before every received line (the file's RIENTRY)
};

// False (settings untouched) when the file can't be read. Stored relative paths are made
// absolute against programDir (the program's folder, ending in a backslash); stored
// paths are turned into UTF-8 by the codec.
bool LoadSettings(const std::string& path, AppSettings& s, const std::string& programDir,
                  const ConfigPathCodec& codec = SystemConfigPathCodec());
// Writes all 18 records; paths under programDir are stored relative to it. A path that
// the file cannot hold (ConfigPath.h) keeps the text the file held for it before, and
// its key is added to notKept.
bool SaveSettings(const std::string& path, const AppSettings& s,
                  const std::string& programDir, std::vector<std::string>* notKept = nullptr,
                  const ConfigPathCodec& codec = SystemConfigPathCodec());

// The sizes the font dialog offers, in points.
const int32_t kMinChosenFontPoints = 4;
const int32_t kMaxChosenFontPoints = 400;
// The largest font size, either way: points, or a negative character height as the font
// dialog gives it (400 points on a screen of 288 dots per inch).
const int32_t kMaxFontHeight = 1600;

// A font size that the view and the report can show (0 is the default size). A larger
// one from the configuration file loads as the default; every other value is kept as
// read and handled where it is used.
bool IsSaneFontSize(int32_t size);

void MakeAbsolutePath(std::string& path, const std::string& dir);
std::string MakeRelativePath(const std::string& path, const std::string& dir);
