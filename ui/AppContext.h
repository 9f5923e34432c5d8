// What the program keeps for as long as it runs: the settings, the texts, the port and
// baud rate lists, the loaded tables and the communication library. The application
// object owns the one instance and hands it to the main window, which reads and changes
// it on its own thread; an acquisition run takes copies of what it reads.
#pragma once

#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/TranslationTables.h"
#include "core/UiText.h"
#include "link/CommLibrary.h"
#include "res/version.h"

struct AppContext {
    AppSettings m_settings;
    std::string m_version = KORVEX_VERSION_TEXT;
    std::string m_programDir;  // ends in a backslash
    std::string m_configFilePath;
    std::vector<std::string> m_comPortList;
    std::vector<std::string> m_baudRateList{"1200",  "2400",  "4800",   "9600",  "19200",
                                            "38400", "57600", "115200", "250000"};
    UiTextTable m_uiText;
    // The translation file as it was last loaded; the window keeps its array apart.
    TranslationTables m_sharedTranslation;
    CommLibrary m_commLibrary;
};
