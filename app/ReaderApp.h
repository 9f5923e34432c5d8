// The application object: start-up (directory, settings, language, communication
// library, port list, main window) and shutdown (close the port, save the settings).
// It owns everything the program keeps while it runs and hands it to the main window.
#pragma once

#include "fw/App.h"
#include "ui/AppContext.h"
#include <string>
#include <vector>

class CReaderApp : public CWinApp {
public:
    CReaderApp() = default;

    BOOL StartUp() override;
    int ExitInstance() override;

    // Drive and directory of the running executable, ending in a backslash.
    static std::string GetProgramDirectory();

    AppContext& Context() { return m_context; }

private:
    AppContext m_context;
    // Started with /exit: no box may wait for an operator.
    bool m_unattended = false;
    // The process exit code, as the command line's run left it.
    int m_exitCode = 0;
};

extern CReaderApp theApp;

// The port list the window starts with: the ports the library lists, or COM1 to COM50
// where they cannot be listed (no library, no room for the list).
std::vector<std::string> PortListAtStart(CommLibrary& library);
