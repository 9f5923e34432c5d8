// Helpers of the Windows tests.
#include "WinTestSupport.h"
#include "core/PathText.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace wintest {

std::string ExeDir()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.rfind('\\') + 1);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempDir::TempDir()
{
    char base[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, base);
    static std::atomic<int> counter{0};
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%skorvex-%lu-%d\\", base, ::GetCurrentProcessId(), counter++);
    m_path = name;
    ::CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir()
{
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((m_path + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name != "." && name != "..") {
                ::SetFileAttributesA((m_path + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA((m_path + name).c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(m_path.c_str());
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

std::string MessageWithReason(const std::string& first, const std::string& subject, DWORD error)
{
    char text[512] = "";
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                               sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        --n;
    return first + "\n" + subject + ": " + std::string(text, n);
}

std::string MessageBoxText(HWND dialog)
{
    char text[1024] = "";
    ::GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    return text;
}

DialogWatcher::DialogWatcher(DWORD processId) : m_processId(processId), m_thread([this] { Run(); }) {}

DialogWatcher::~DialogWatcher()
{
    m_stop = true;
    m_thread.join();
}

void DialogWatcher::QueueAnswer(int buttonId)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(buttonId);
}

void DialogWatcher::SetHandler(std::function<bool(HWND)> handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = std::move(handler);
}

std::vector<std::string> DialogWatcher::Texts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}

size_t DialogWatcher::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts.size();
}

bool DialogWatcher::WaitForCount(size_t n, DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    while (Count() < n) {
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

void DialogWatcher::Answer(HWND dialog)
{
    std::function<bool(HWND)> handler;
    int answer = IDOK;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (HWND seen : m_seen)
            if (seen == dialog)
                return;
        m_seen.push_back(dialog);
        m_texts.push_back(MessageBoxText(dialog));
        handler = m_handler;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.erase(m_answers.begin());
        }
    }
    if (handler && handler(dialog))
        return;
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

void DialogWatcher::Run()
{
    while (!m_stop) {
        struct Ctx {
            DWORD pid;
            std::vector<HWND> found;
        } ctx{m_processId, {}};
        struct Finder {
            static BOOL CALLBACK Proc(HWND hwnd, LPARAM lp)
            {
                auto* c = reinterpret_cast<Ctx*>(lp);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                char cls[32] = "";
                ::GetClassNameA(hwnd, cls, sizeof cls);
                if (pid == c->pid && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) &&
                    ::GetDlgItem(hwnd, 0xFFFF))
                    c->found.push_back(hwnd);
                return TRUE;
            }
        };
        ::EnumWindows(&Finder::Proc, reinterpret_cast<LPARAM>(&ctx));
        for (HWND h : ctx.found)
            Answer(h);
        {
            // A handle can come back for a later box once the answered one is gone.
            std::lock_guard<std::mutex> lock(m_mutex);
            std::vector<HWND> still;
            for (HWND seen : m_seen)
                for (HWND h : ctx.found)
                    if (h == seen)
                        still.push_back(seen);
            m_seen.swap(still);
        }
        ::Sleep(20);
    }
}

}  // namespace wintest

namespace wintest {

namespace {
const int kFileNameCombo = 0x47C;  // cmb13 of the explorer-style dialogs
const int kFileNameEdit = 0x480;   // edt1

struct FileDialogSearch {
    DWORD pid;
    int keyControl;
    HWND found;
};

BOOL CALLBACK FindFileDialog(HWND hwnd, LPARAM lp)
{
    auto* s = reinterpret_cast<FileDialogSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = "";
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == s->pid && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) &&
        (s->keyControl ? ::GetDlgItem(hwnd, s->keyControl) != nullptr
                       : ::GetDlgItem(hwnd, kFileNameCombo) || ::GetDlgItem(hwnd, kFileNameEdit))) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

FileDialogAnswer::FileDialogAnswer(std::string path, int keyControl)
    : m_path(std::move(path)), m_keyControl(keyControl), m_thread([this] { Run(); })
{
}

FileDialogAnswer::~FileDialogAnswer()
{
    m_stop = true;
    m_thread.join();
}

bool FileDialogAnswer::WaitDone(DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    while (!m_done) {
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

std::string FileDialogAnswer::ProposedName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_proposed;
}

void FileDialogAnswer::Run()
{
    while (!m_stop && !m_done) {
        FileDialogSearch search{::GetCurrentProcessId(), m_keyControl, nullptr};
        ::EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            ::Sleep(100);  // let the dialog finish filling itself
            const int id = ::GetDlgItem(search.found, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
            // Wide text, UTF-8 on this side: names outside the code page pass unchanged.
            wchar_t name[MAX_PATH] = L"";
            ::GetDlgItemTextW(search.found, id, name, MAX_PATH);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_proposed = PathFromWide(name);
            }
            if (m_path.empty()) {
                ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            } else {
                if (!m_keyControl)
                    ::SetDlgItemTextW(search.found, id, WidePath(m_path).c_str());
                ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            m_done = true;
            return;
        }
        ::Sleep(20);
    }
}

}  // namespace wintest

namespace wintest {

Dib::Dib(int width, int height) : m_width(width), m_height(height)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    m_old = ::SelectObject(m_dc, m_bitmap);
}

Dib::~Dib()
{
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

void Dib::Fill(uint32_t colour)
{
    for (int i = 0; i < m_width * m_height; ++i)
        m_bits[i] = colour;
}

}  // namespace wintest

std::string wintest::IdentityTableFile()
{
    std::string text = "hdr;0;1;2;3;4;5;6;7;8;9;A;B;C;D;E;F\n";
    for (int row = 0; row < 16; ++row) {
        text += std::to_string(row);
        for (int col = 0; col < 16; ++col) {
            const int b = row * 16 + col;
            text += ";" + std::to_string(b >= 0x20 && b < 0x7F ? b : 0);
        }
        text += "\n";
    }
    return text;
}

namespace wintest {

ImportHook::ImportHook(const char* library, const char* name, void* hook)
{
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), library) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<const char*>(
                                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name),
                            name) != 0)
                continue;
            m_slot = &slots->u1.Function;
            m_old = Swap(reinterpret_cast<ULONG_PTR>(hook));
            return;
        }
    }
}

ImportHook::~ImportHook()
{
    if (m_slot)
        Swap(m_old);
}

ULONG_PTR ImportHook::Swap(ULONG_PTR to)
{
    DWORD protect;
    ::VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &protect);
    const ULONG_PTR was = *m_slot;
    *m_slot = to;
    ::VirtualProtect(m_slot, sizeof *m_slot, protect, &protect);
    return was;
}

}  // namespace wintest
