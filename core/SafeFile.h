// The program's own file handling: replacing a file's contents without ever leaving it
// half-written, reading a whole disk file of bounded size, and telling whether two names
// are the same file. Paths are UTF-8 (core/PathText.h); on Windows they reach the wide
// file functions, so any folder and file name works.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// The bytes go to a new file beside the target, which takes the target's place only
// once everything reached the disk; until then the old target stays as it was. Where
// no file can be created beside the target (a folder the user may not add files to),
// the target itself is truncated and written, as a plain write would.
//
// Only regular disk files are written: a device name in any form (IsDeviceName) is
// refused before anything is opened, and anything else that turns out not to be a disk
// file (a device or pipe reached by another name) before a byte is written, both as
// RESULT_CANNOT_CREATE.
//
// Nothing is ever written through a link: a target that is a symbolic link or junction
// is refused (RESULT_CANNOT_CREATE), the file beside it is created under a name nobody
// can guess and only where no file of that name exists, and a link found at the backup's
// name is replaced, never followed.
class CSafeFileWriter
{
public:
    enum Result { RESULT_OK, RESULT_CANNOT_CREATE, RESULT_WRITE_FAILED };

    CSafeFileWriter() = default;
    ~CSafeFileWriter();  // a file that was not committed is discarded
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // False when the target can't be written (RESULT_CANNOT_CREATE). With keepBackup, a
    // non-empty target that is replaced is kept as "<path>.bak" (one generation): the old
    // file itself moves to that name only when the new one can take its place, and one
    // written in place is copied there first. A backup that can't be made changes
    // nothing else.
    bool Open(const std::string& path, bool keepBackup = false);
    // False once anything failed (RESULT_WRITE_FAILED); the new file is then gone.
    bool Write(const void* data, size_t size);
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Puts the written bytes in place of the target.
    bool Commit();
    // Drops what was written; the target keeps its old contents (unless written in place).
    void Discard();

    Result GetResult() const { return m_result; }
    bool IsInPlace() const { return m_bInPlace; }

    // A name for a new file in the folder (ending in a separator, or empty): the prefix,
    // 16 random hexadecimal digits and ".tmp".
    static std::string UnguessableName(const std::string& folder, const std::string& prefix);

private:
    bool IsOpen() const { return m_handle != -1; }
    bool Flush();
    // Notes the failure with the system's error code, taken before anything is cleaned up.
    bool Fail(Result result, uint32_t systemError = SystemErrorNow());
    // The platform's error code of the call that just failed (GetLastError, errno), and
    // the one that stands for a name the writer refuses (a device).
    static uint32_t SystemErrorNow();
    static uint32_t InvalidNameError();

    // The platform's side, in SafeFile_posix.cpp and SafeFile_win.cpp.
    // Opens a new file beside m_target, or m_target itself where it can't be replaced.
    bool OpenBesideTarget();
    // Opens m_target itself (never through a link), or creates it where there is none;
    // an existing regular file is first copied to the backup, then emptied.
    bool OpenInPlace();
    // Puts m_temp in m_target's place once it is closed; with a backup, the old target
    // moves to its name first, and back again should the new file not take its place.
    bool ReplaceTarget();
    static bool WriteAll(intptr_t handle, const char* data, size_t size);
    // With sync, the bytes reach the disk before the file is closed.
    static bool CloseFile(intptr_t handle, bool sync);
    static void RemoveFile(const std::string& path);
    // Copies the open target's bytes to a new file that then takes the backup's name.
    void CopyTargetToBackup(intptr_t target);
    std::string BackupPath() const { return m_target + ".bak"; }

    std::string m_target;
    std::string m_temp;  // empty when the target is written in place
    std::string m_buffer;
    intptr_t m_handle = -1;
    bool m_bInPlace = false;
    bool m_bKeepBackup = false;
    // What the target was when it was opened: a non-empty regular file (the one a backup
    // keeps), and its attributes or mode, which the new file takes over.
    bool m_bTargetNonEmpty = false;
    uint32_t m_targetMode = 0;
    Result m_result = RESULT_OK;
    uint32_t m_systemError = 0;  // of the first failure, which LastFileError tells
};

// The system's error code (GetLastError on Windows, errno elsewhere) behind the last
// failure of this thread's file writer or whole-file reading; 0 when the failure had no
// cause the system can name. Read it at once, as GetLastError.
uint32_t LastFileError();
// Notes the code for LastFileError (the platform's side, where a call fails); false.
bool NoteFileError(uint32_t code);
// The platform's code for "not enough memory" (ENOMEM, ERROR_NOT_ENOUGH_MEMORY).
uint32_t OutOfMemoryError();

// Tables and the language file are small: anything larger is not one of them.
const uint64_t SMALL_FILE_LIMIT = 1024 * 1024;

// Reads a whole regular disk file of at most maxSize bytes. A missing file, a device
// (a serial port, NUL, CON), a pipe or a folder is refused without being read, so the
// call never waits for input. buffer is given the file's size and returns where the
// bytes go (room for at least that many), or null when there is no room; got receives
// how many arrived (fewer when the file shrank meanwhile). Other programs may read,
// write, rename or delete the file meanwhile.
bool ReadRegularFile(const std::string& path, uint64_t maxSize, const std::function<char*(size_t size)>& buffer,
                     size_t& got);
// The same into a string; false leaves it empty.
bool ReadRegularFile(const std::string& path, uint64_t maxSize, std::string& data);

// Opens a file with the C library's mode ("rb", "r+b"), the path taken as UTF-8.
std::FILE* OpenCFile(const std::string& path, const char* mode);

// What a file is on its disk (volume and file number): two names, links or short names
// of one file give the same identity.
struct FileIdentity
{
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
// The identity of the disk file the path leads to (links followed); false for a path
// that names no disk file (missing, a device).
bool GetFileIdentity(const std::string& path, FileIdentity& identity);

// True when the path's last part is a symbolic link or junction, or otherwise leads to
// a file of another name or in another folder (how a link shows where the system
// follows links by itself); false for a missing file and for one that is what it names.
// Such a name is never written, moved or deleted: any of these would reach the file
// the link points to.
bool LeadsElsewhere(const std::string& path);

// True when the path's last part names one of the devices that Windows finds in every
// folder (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, COM and LPT with a superscript
// 1, 2 or 3, CONIN$, CONOUT$; in any letter case, also with an extension or trailing
// dots and spaces: "com5 .txt"), or the path is in the device namespace ("\\.\COM11",
// "\\?\pipe\x") other than a drive, share or volume.
bool IsDeviceName(const std::string& path);
