// Helpers of the Windows tests: temporary folders, files, message boxes answered from
// a watcher thread, and message pumping.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// An export of a loaded library as the function type it has.
template <typename Fn>
Fn ExportOf(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Folder of the running test program, ending in a backslash.
std::string ExeDir();
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// A translation table file that keeps printable ASCII and maps the rest to 0, as a
// 16 x 16 grid.
std::string IdentityTableFile();

// A fresh folder under %TEMP%, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }  // ends in a backslash
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Handles messages of the calling thread until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// Watches for message boxes and other dialogs of one process (or of any thread of
// this process) and answers each with the next queued button id (IDOK when the queue
// is empty). Records the text of every box it answered.
class DialogWatcher {
public:
    explicit DialogWatcher(DWORD processId = ::GetCurrentProcessId());
    ~DialogWatcher();

    void QueueAnswer(int buttonId);
    // Instead of pressing a button, give the dialog to this function (on the watcher's
    // thread); it returns true when it dealt with the dialog.
    void SetHandler(std::function<bool(HWND dialog)> handler);
    std::vector<std::string> Texts() const;
    size_t Count() const;
    bool WaitForCount(size_t n, DWORD timeoutMs) const;

private:
    void Run();
    void Answer(HWND dialog);

    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<int> m_answers;
    std::vector<std::string> m_texts;
    std::vector<HWND> m_seen;
    std::function<bool(HWND)> m_handler;
    std::thread m_thread;
};

// Text of a message box (its static text control).
std::string MessageBoxText(HWND dialog);
// A failure message as the program words it: the first line, then the file or port and
// the system's own text for the error code (FormatMessage, without its line break).
std::string FirstLine(const std::string& text);
std::string MessageWithReason(const std::string& first, const std::string& subject, DWORD error);

}  // namespace wintest

namespace wintest {

// Answers the next open or save dialog of this process: notes the file name it
// proposed, then either types the given path and presses OK, or cancels (names UTF-8). With a key
// control id it answers the next dialog that has that control instead (the font
// dialog, say), pressing OK when the path is not empty.
class FileDialogAnswer {
public:
    // An empty path cancels the dialog.
    explicit FileDialogAnswer(std::string path, int keyControl = 0);
    ~FileDialogAnswer();
    bool WaitDone(DWORD timeoutMs) const;
    std::string ProposedName() const;

private:
    void Run();
    std::string m_path;
    int m_keyControl;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    mutable std::mutex m_mutex;
    std::string m_proposed;
    std::thread m_thread;
};

// A 32-bit top-down bitmap selected into a memory DC of its own, for pixel checks;
// pixels read as 0x00RRGGBB.
class Dib {
public:
    Dib(int width, int height);
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    HDC DC() const { return m_dc; }
    uint32_t At(int x, int y) const { return m_bits[y * m_width + x] & 0xFFFFFF; }
    void Fill(uint32_t colour);
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

// Points this program's import of a function of the named system library at another
// function for as long as it lives (the program's own code then calls that one).
class ImportHook {
public:
    ImportHook(const char* library, const char* name, void* hook);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    bool Hooked() const { return m_slot != nullptr; }

private:
    ULONG_PTR Swap(ULONG_PTR to);
    ULONG_PTR* m_slot = nullptr;
    ULONG_PTR m_old = 0;
};

}  // namespace wintest
