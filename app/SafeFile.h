// Replaces a file's contents without ever leaving it half-written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The bytes go to a new file beside the target, which takes the target's place only
// once everything reached the disk; until then the old target stays as it was. Where
// no file can be created beside the target (a folder the user may not add files to,
// a device), the target itself is truncated and written, as a plain write would.
class CSafeFileWriter
{
public:
    enum Result { RESULT_OK, RESULT_CANNOT_CREATE, RESULT_WRITE_FAILED };

    CSafeFileWriter() = default;
    ~CSafeFileWriter();  // a file that was not committed is discarded
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // False when the target can't be written (RESULT_CANNOT_CREATE). With keepBackup, a
    // target that is replaced is first kept as "<path>.bak" (one generation); a backup
    // that can't be made changes nothing else.
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

private:
    bool IsOpen() const { return m_handle != -1; }
    bool Flush();
    bool Fail(Result result);

    // The platform's side, in SafeFile_posix.cpp and SafeFile_win.cpp.
    // Opens a new file beside m_target, or m_target itself where it can't be replaced.
    bool OpenBesideTarget();
    bool OpenInPlace();
    // Puts m_temp in m_target's place once it is closed.
    bool ReplaceTarget();
    static bool WriteAll(intptr_t handle, const char* data, size_t size);
    // With sync, the bytes reach the disk before the file is closed.
    static bool CloseFile(intptr_t handle, bool sync);
    static void RemoveFile(const std::string& path);
    // Keeps a non-empty regular file's bytes under the backup name, replacing an older
    // backup; a copy where the target is about to be overwritten in place.
    static void KeepBackup(const std::string& target, const std::string& backup, bool copy);
    void KeepTargetBackup(bool copy);

    std::string m_target;
    std::string m_temp;  // empty when the target is written in place
    std::string m_buffer;
    intptr_t m_handle = -1;
    bool m_bInPlace = false;
    bool m_bKeepBackup = false;
    Result m_result = RESULT_OK;
};
