// Application object and the process-wide helpers that reach it.
#include "fw/App.h"
#include "fw/Wnd.h"

#include <algorithm>
#include <vector>

namespace {
CWinApp* g_app = nullptr;
// Each thread's modeless dialogs: windows belong to the thread that made them.
thread_local std::vector<HWND> t_modeless;

std::string ExeBaseName()
{
    // The wide name in a long buffer: a folder name outside the code page or a path
    // beyond MAX_PATH must not spoil the file's own name. The name serves ANSI calls
    // (registry key, caption), so it is given in the ANSI code page.
    std::wstring path = AfxModulePath();
    path.erase(0, path.find_last_of(L"\\/") + 1);  // npos + 1: nothing
    path.resize(std::min(path.rfind(L'.'), path.size()));
    // Room for the widest code page (UTF-8: three bytes for a UTF-16 unit).
    std::string name(path.size() * 3, '\0');
    const int size = ::WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &name[0],
                                           static_cast<int>(name.size()), nullptr, nullptr);
    name.resize(size > 0 ? size : 0);
    return name;
}

bool OfThisThread(HWND hwnd)
{
    return ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId();
}

HWND UsableOwner(HWND candidate)
{
    if (!candidate || !::IsWindow(candidate))
        return nullptr;
    HWND root = ::GetAncestor(candidate, GA_ROOT);
    if (!root || !OfThisThread(root) || !::IsWindowVisible(root))
        return nullptr;
    if (::IsWindowEnabled(root))
        return root;
    HWND popup = ::GetLastActivePopup(root);
    if (popup && popup != root && OfThisThread(popup) && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup))
        return popup;
    return nullptr;
}
}  // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "")
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Run(HINSTANCE)
{
    if (m_appName.empty())
        m_appName = ExeBaseName();
    if (StartUp()) {
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (AfxPreTranslateModeless(&msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

void CWinApp::SetRegistryKey(const char* key)
{
    m_registryKey = key ? key : "";
    if (m_appName.empty())
        m_appName = ExeBaseName();
}

std::string CWinApp::ProfileSubKey(const char* section) const
{
    return "Software\\" + m_registryKey + "\\" + m_appName + "\\" + section;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const
{
    HKEY key;
    if (m_registryKey.empty() ||
        ::RegOpenKeyExA(HKEY_CURRENT_USER, ProfileSubKey(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return static_cast<UINT>(defaultValue);
    DWORD value = 0, type = 0, size = sizeof value;
    LONG rc = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD)
        return static_cast<UINT>(defaultValue);
    return value;
}

bool CWinApp::WriteProfileInt(const char* section, const char* entry, int value) const
{
    HKEY key;
    if (m_registryKey.empty() ||
        ::RegCreateKeyExA(HKEY_CURRENT_USER, ProfileSubKey(section).c_str(), 0, nullptr, 0, KEY_WRITE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD v = static_cast<DWORD>(value);
    LONG rc = ::RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

const UiTextTable& AfxGetUiText()
{
    const CWinApp* app = AfxGetApp();
    return app && app->Texts() ? *app->Texts() : EnglishUiText();
}

std::wstring AfxModulePath()
{
    // A long buffer: a path beyond MAX_PATH would otherwise come back cut off.
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return path;
}

std::string SystemErrorText(DWORD error)
{
    char text[512] = "";
    DWORD n = error ? ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                       text, sizeof text, nullptr)
                    : 0;
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    return std::string(text, n);
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

HWND AfxGetModalOwner(HWND preferred)
{
    if (HWND owner = UsableOwner(preferred))
        return owner;
    if (HWND owner = UsableOwner(::GetActiveWindow()))
        return owner;
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd ? UsableOwner(app->m_pMainWnd->m_hWnd) : nullptr;
}

int AfxMessageBox(HWND preferredOwner, const char* text, UINT type)
{
    CWinApp* app = AfxGetApp();
    std::string caption = app ? app->AppName() : std::string();
    if (caption.empty())
        caption = ExeBaseName();
    return ::MessageBoxA(AfxGetModalOwner(preferredOwner), text, caption.c_str(), type);
}

void AfxAddModelessDialog(HWND dialog)
{
    if (dialog && std::find(t_modeless.begin(), t_modeless.end(), dialog) == t_modeless.end())
        t_modeless.push_back(dialog);
}

void AfxRemoveModelessDialog(HWND dialog)
{
    t_modeless.erase(std::remove(t_modeless.begin(), t_modeless.end(), dialog), t_modeless.end());
}

bool AfxPreTranslateModeless(MSG* msg)
{
    if (t_modeless.empty() || !msg->hwnd)
        return false;
    t_modeless.erase(std::remove_if(t_modeless.begin(), t_modeless.end(), [](HWND d) { return !::IsWindow(d); }),
                     t_modeless.end());
    // Only for a message to the dialog or one of its controls: IsDialogMessage would
    // take other windows' keys as the dialog's too.
    for (HWND dialog : t_modeless)
        if ((msg->hwnd == dialog || ::IsChild(dialog, msg->hwnd)) && ::IsDialogMessageA(dialog, msg))
            return true;
    return false;
}
