// Windows side of the safe file writer: a sibling file, flushed, then moved over the target.
#include "app/SafeFile.h"

#include <windows.h>

#include <atomic>

namespace {
// Small writes are gathered so that a file of many short lines costs few system calls.
const size_t FLUSH_SIZE = 64 * 1024;

HANDLE AsHandle(intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

bool WriteAll(intptr_t handle, const char* data, size_t size)
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

CSafeFileWriter::~CSafeFileWriter()
{
    Discard();
}

bool CSafeFileWriter::Open(const std::string& path)
{
    Discard();
    m_result = RESULT_OK;
    m_bInPlace = false;
    m_target = path;
    if (path.empty())
        return Fail(RESULT_CANNOT_CREATE);

    // Replacing needs the right to delete the target: another program may hold it open
    // without sharing that, or the folder's rights may allow writing but not deleting.
    // Such a file is written in place; one that can't be written at all fails here, and is
    // never replaced just because its folder would allow it.
    const HANDLE probe = OpenExisting(path, GENERIC_WRITE | DELETE);
    if (probe == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            const HANDLE writable = OpenExisting(path, GENERIC_WRITE);
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
    const std::string dir = DirectoryOf(path);
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
    const HANDLE file = ::CreateFileA(m_target.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(RESULT_CANNOT_CREATE);
    m_handle = reinterpret_cast<intptr_t>(file);
    m_bInPlace = true;
    return true;
}

bool CSafeFileWriter::Write(const void* data, size_t size)
{
    if (m_handle == -1)
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (m_buffer.size() + size > FLUSH_SIZE && !Flush())
        return false;
    if (size >= FLUSH_SIZE)
        return WriteAll(m_handle, bytes, size) || Fail(RESULT_WRITE_FAILED);
    m_buffer.append(bytes, size);
    return true;
}

bool CSafeFileWriter::Flush()
{
    const bool ok = WriteAll(m_handle, m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return ok || Fail(RESULT_WRITE_FAILED);
}

bool CSafeFileWriter::Commit()
{
    if (m_handle == -1)
        return Fail(m_result == RESULT_OK ? RESULT_WRITE_FAILED : m_result);
    if (!Flush())
        return false;
    const HANDLE file = AsHandle(m_handle);
    m_handle = -1;
    bool ok = m_bInPlace || ::FlushFileBuffers(file);
    ok = ::CloseHandle(file) && ok;
    if (ok && !m_bInPlace)
        ok = ::MoveFileExA(m_temp.c_str(), m_target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        return Fail(RESULT_WRITE_FAILED);
    m_temp.clear();
    return true;
}

void CSafeFileWriter::Discard()
{
    if (m_handle != -1) {
        ::CloseHandle(AsHandle(m_handle));
        m_handle = -1;
    }
    if (!m_temp.empty()) {
        ::DeleteFileA(m_temp.c_str());
        m_temp.clear();
    }
    m_buffer.clear();
}

bool CSafeFileWriter::Fail(Result result)
{
    m_result = result;
    Discard();
    return false;
}
