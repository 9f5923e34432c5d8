// The application object: start-up and shutdown virtuals, the registry profile, and
// the message box that carries the application's name.
#pragma once

#include <windows.h>
#include <string>

#include "core/UiText.h"

class CWnd;

class CWinApp {
public:
    // With no name given, the application name is the executable's file name
    // without its extension.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up; returning false skips the message loop and goes to shutdown.
    virtual BOOL StartUp() { return FALSE; }
    // Shutdown; the result is the process exit code.
    virtual int ExitInstance() { return 0; }
    // What the program's entry point runs.
    int Run(HINSTANCE instance);

    // Profile values live under HKCU\Software\<key>\<application name>\<section>.
    void SetRegistryKey(const char* key);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
    bool WriteProfileInt(const char* section, const char* entry, int value) const;

    const std::string& AppName() const { return m_appName; }
    // The table the window layer takes its texts from; the program installs its own at
    // start-up, and keeps it for as long as this object lives.
    void SetTexts(const UiTextTable* texts) { m_pTexts = texts; }
    const UiTextTable* Texts() const { return m_pTexts; }

    CWnd* m_pMainWnd = nullptr;

private:
    std::string ProfileSubKey(const char* section) const;
    std::string m_appName;
    std::string m_registryKey;
    const UiTextTable* m_pTexts = nullptr;
};

CWinApp* AfxGetApp();
// The application's texts, or the English ones when it has installed none.
const UiTextTable& AfxGetUiText();
// The running executable's full path, wide (no length limit, nothing lost to a code
// page); empty when the system gives none.
std::wstring AfxModulePath();
// The system's own text for an error code, in the user's language, without its line
// end; empty when it has none.
std::string SystemErrorText(DWORD error);
HINSTANCE AfxGetResourceHandle();
// The window that should own a modal dialog or message box opened now by this thread:
// the top-level window of `preferred`, else of the active window, else the main window,
// the first that is a visible window of this thread. When a modal dialog of its own keeps
// it disabled, that dialog owns the new box, so closing the box never enables it. Or null.
HWND AfxGetModalOwner(HWND preferred = nullptr);
// A modal message box captioned with the application name, owned by AfxGetModalOwner().
int AfxMessageBox(HWND preferredOwner, const char* text, UINT type);
inline int AfxMessageBox(const char* text, UINT type = MB_OK) { return AfxMessageBox(nullptr, text, type); }

// Modeless dialogs of the calling thread (the Find box, say) get their keyboard input
// through IsDialogMessage in every message loop of ours; one that is gone drops out.
void AfxAddModelessDialog(HWND dialog);
void AfxRemoveModelessDialog(HWND dialog);
// The loops' step before dispatching: true when a registered modeless dialog took it.
bool AfxPreTranslateModeless(MSG* msg);
