// Windows side of the safe file writer: a sibling file, flushed, then moved over the target.
#include "app/SafeFile.h"

#include <windows.h>

#include <atomic>

namespace {
HANDLE AsHandle(intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE OpenExisting(const std::string& path, DWORD access)
{
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string DirectoryOf(const std::string& path)
{
    const size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}
}  // namespace

bool CSafeFileWriter::OpenBesideTarget()
{
    // Replacing needs the right to delete the target: another program may hold it open
    // without sharing that, or the folder's rights may allow writing but not deleting.
    // Such a file is written in place; one that can't be written at all fails here, and is
    // never replaced just because its folder would allow it.
    const HANDLE probe = OpenExisting(m_target, GENERIC_WRITE | DELETE);
    if (probe == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            const HANDLE writable = OpenExisting(m_target, GENERIC_WRITE);
            if (writable == INVALID_HANDLE_VALUE)
                return Fail(RESULT_CANNOT_CREATE);
            ::CloseHandle(writable);
            return OpenInPlace();
        }
    } else {
        const bool disk = ::GetFileType(probe) == FILE_TYPE_DISK;
        ::CloseHandle(probe);
        // Devices can't be replaced, only written.
        if (!disk)
            return OpenInPlace();
    }

    static std::atomic<unsigned> s_counter{0};
    const std::string dir = DirectoryOf(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = dir + "~kvx" + std::to_string(::GetCurrentProcessId()) + "_" +
                                 std::to_string(s_counter++) + ".tmp";
        const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_temp = name;
            m_handle = reinterpret_cast<intptr_t>(file);
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return OpenInPlace();
}

bool CSafeFileWriter::OpenInPlace()
{
    KeepTargetBackup(true);
    const HANDLE file = ::CreateFileA(m_target.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(RESULT_CANNOT_CREATE);
    m_handle = reinterpret_cast<intptr_t>(file);
    m_bInPlace = true;
    return true;
}

bool CSafeFileWriter::ReplaceTarget()
{
    // The new file takes the old one's place and its visible attributes (hidden, say).
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD old = ::GetFileAttributesA(m_target.c_str());
    if (!::MoveFileExA(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    if (old != INVALID_FILE_ATTRIBUTES && (old & kept))
        ::SetFileAttributesA(m_target.c_str(), (::GetFileAttributesA(m_target.c_str()) & ~FILE_ATTRIBUTE_NORMAL) | (old & kept));
    return true;
}

bool CSafeFileWriter::WriteAll(intptr_t handle, const char* data, size_t size)
{
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!::WriteFile(AsHandle(handle), data, chunk, &done, nullptr) || done == 0)
            return false;
        data += done;
        size -= done;
    }
    return true;
}

bool CSafeFileWriter::CloseFile(intptr_t handle, bool sync)
{
    const HANDLE file = AsHandle(handle);
    const bool flushed = !sync || ::FlushFileBuffers(file);
    return ::CloseHandle(file) && flushed;
}

void CSafeFileWriter::RemoveFile(const std::string& path)
{
    ::DeleteFileA(path.c_str());
}

void CSafeFileWriter::KeepBackup(const std::string& target, const std::string& backup, bool copy)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ||
        (info.nFileSizeHigh == 0 && info.nFileSizeLow == 0))
        return;
    // A second name for the old file costs nothing and keeps its bytes once the target
    // is replaced by the move; where the volume has no links (FAT, some shares), copy.
    if (!copy) {
        ::DeleteFileA(backup.c_str());
        if (::CreateHardLinkA(backup.c_str(), target.c_str(), nullptr))
            return;
    }
    ::CopyFileA(target.c_str(), backup.c_str(), FALSE);
}
