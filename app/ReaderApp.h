// The application object: start-up (directory, settings, language, communication
// library, port list, main window) and shutdown (close the port, save the settings).
#pragma once

#include "fw/App.h"
#include <string>
#include <vector>

extern std::string g_ConfigFilePath;
extern std::vector<std::string> g_ComPortList;
extern std::vector<std::string> g_BaudRateList;

class CReaderApp : public CWinApp {
public:
    CReaderApp();

    BOOL StartUp() override;
    int ExitInstance() override;

    // Drive and directory of the running executable, ending in a backslash.
    static std::string GetProgramDirectory();
    // Fills g_ComPortList through the library; false when it could not ask it.
    static bool EnumerateComPorts();
};

extern CReaderApp theApp;
