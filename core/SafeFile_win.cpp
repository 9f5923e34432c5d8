// Windows side of the safe file writer (a sibling file, flushed, then moved over the
// target), of the bounded file reading and of file identities, on the wide file API.
#include "core/SafeFile.h"

#include "core/PathText.h"

#include <windows.h>

namespace {
const DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE AsHandle(intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// The file the name itself gives: a symbolic link or junction there is opened as the
// link, never as what it points to.
HANDLE OpenNoFollow(const std::string& path, DWORD access, DWORD share)
{
    return ::CreateFileW(WidePath(path).c_str(), access, share, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr);
}

// A new file that nobody else may open until it is closed; fails where any file or
// link of that name exists.
HANDLE CreateNew(const std::string& path)
{
    return ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

bool Move(const std::string& from, const std::string& to, DWORD flags)
{
    return ::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), flags | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Only a disk file is written: a device or a pipe would carry the bytes away.
bool IsDiskFile(HANDLE file)
{
    return ::GetFileType(file) == FILE_TYPE_DISK;
}

bool IsLinkOrFolder(DWORD attributes)
{
    return (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    return static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
}

std::string DirectoryOf(const std::string& path)
{
    const size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::wstring NamePart(const std::wstring& path)
{
    const size_t end = path.find_last_of(L"\\/:");
    return end == std::wstring::npos ? path : path.substr(end + 1);
}

std::wstring FolderPart(const std::wstring& path)
{
    const size_t end = path.find_last_of(L"\\/:");
    return end == std::wstring::npos ? std::wstring(L".") : path.substr(0, end + 1);
}

bool Identify(HANDLE file, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
}

bool FolderIdentity(const std::wstring& folder, FileIdentity& identity)
{
    const HANDLE dir = ::CreateFileW(folder.c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                     nullptr);
    if (dir == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = Identify(dir, identity);
    ::CloseHandle(dir);
    return ok;
}

// Whether the open file was reached through a link: a symbolic link or junction itself
// (opened as the link), or a file whose own name or folder is not the one asked for,
// which is how a link shows where the system follows it (a host's symbolic link under
// Wine). Folders reached through junctions on the way are the same folders.
bool ReachedThroughLink(HANDLE file, const std::string& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    const DWORD size = 32768;
    std::wstring real(size, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(file, &real[0], size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= size)
        return false;  // nothing tells of a link
    real.resize(n);
    const std::wstring asked = WidePath(path);
    if (::lstrcmpiW(NamePart(real).c_str(), NamePart(asked).c_str()) != 0) {
        // A short (8.3) name is the same file under its long name.
        std::wstring longName(size, L'\0');
        const DWORD m = ::GetLongPathNameW(asked.c_str(), &longName[0], size);
        if (m == 0 || m >= size)
            return true;
        longName.resize(m);
        if (::lstrcmpiW(NamePart(real).c_str(), NamePart(longName).c_str()) != 0)
            return true;
    }
    FileIdentity realFolder, askedFolder;
    return FolderIdentity(FolderPart(real), realFolder) && FolderIdentity(FolderPart(asked), askedFolder) &&
           realFolder != askedFolder;
}
}  // namespace

bool LeadsElsewhere(const std::string& path)
{
    if (path.empty() || IsDeviceName(path))
        return false;
    const HANDLE file = OpenNoFollow(path, 0, SHARE_ALL);
    const HANDLE any = file != INVALID_HANDLE_VALUE
                           ? file
                           : ::CreateFileW(WidePath(path).c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (any == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool link = ::GetFileInformationByHandle(any, &info) && ReachedThroughLink(any, path, info.dwFileAttributes);
    ::CloseHandle(any);
    return link;
}

uint32_t OutOfMemoryError()
{
    return ERROR_NOT_ENOUGH_MEMORY;
}

uint32_t CSafeFileWriter::SystemErrorNow()
{
    return ::GetLastError();
}

uint32_t CSafeFileWriter::InvalidNameError()
{
    return ERROR_INVALID_NAME;
}

bool CSafeFileWriter::OpenBesideTarget()
{
    // Replacing needs the right to delete the target: another program may hold it open
    // without sharing that, or the folder's rights may allow writing but not deleting.
    // Such a file is written in place; one that can't be written at all fails there, and
    // is never replaced just because its folder would allow it.
    const HANDLE probe = OpenNoFollow(m_target, GENERIC_WRITE | DELETE, SHARE_ALL);
    if (probe == INVALID_HANDLE_VALUE) {
        if (!IsNotFound(::GetLastError()))
            return OpenInPlace();
    } else {
        BY_HANDLE_FILE_INFORMATION info;
        const bool disk = IsDiskFile(probe);
        const bool known = disk && ::GetFileInformationByHandle(probe, &info) != FALSE;
        const bool link = known && ReachedThroughLink(probe, m_target, info.dwFileAttributes);
        ::CloseHandle(probe);
        if (!known || link || IsLinkOrFolder(info.dwFileAttributes))
            return Fail(RESULT_CANNOT_CREATE);
        // As Windows refuses to write a read-only file, also to an administrator (a
        // system that let the probe through, as Wine run by root does, would replace it).
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            return Fail(RESULT_CANNOT_CREATE, ERROR_ACCESS_DENIED);
        m_bTargetNonEmpty = SizeOf(info) > 0;
        m_targetMode = info.dwFileAttributes;
    }

    const std::string dir = DirectoryOf(m_target);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string name = UnguessableName(dir, "~kvx");
        const HANDLE file = CreateNew(name);
        if (file != INVALID_HANDLE_VALUE) {
            m_temp = name;
            m_handle = reinterpret_cast<intptr_t>(file);
            return IsDiskFile(file) || Fail(RESULT_CANNOT_CREATE);
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return OpenInPlace();
}

bool CSafeFileWriter::OpenInPlace()
{
    // Read too, for the backup's copy; a file that may only be written is still written.
    HANDLE file = OpenNoFollow(m_target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    bool readable = file != INVALID_HANDLE_VALUE;
    if (!readable && ::GetLastError() == ERROR_ACCESS_DENIED)
        file = OpenNoFollow(m_target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file == INVALID_HANDLE_VALUE) {
        if (!IsNotFound(::GetLastError()))
            return Fail(RESULT_CANNOT_CREATE);
        file = ::CreateFileW(WidePath(m_target).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return Fail(RESULT_CANNOT_CREATE);
        if (!IsDiskFile(file)) {
            ::CloseHandle(file);
            return Fail(RESULT_CANNOT_CREATE);
        }
    } else {
        BY_HANDLE_FILE_INFORMATION info;
        if (!IsDiskFile(file) || !::GetFileInformationByHandle(file, &info) || IsLinkOrFolder(info.dwFileAttributes) ||
            ReachedThroughLink(file, m_target, info.dwFileAttributes)) {
            ::CloseHandle(file);
            return Fail(RESULT_CANNOT_CREATE);
        }
        m_bTargetNonEmpty = SizeOf(info) > 0;
        if (m_bKeepBackup && m_bTargetNonEmpty && readable)
            CopyTargetToBackup(reinterpret_cast<intptr_t>(file));
        if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !::SetEndOfFile(file)) {
            ::CloseHandle(file);
            return Fail(RESULT_CANNOT_CREATE);
        }
    }
    m_handle = reinterpret_cast<intptr_t>(file);
    m_bInPlace = true;
    return true;
}

bool CSafeFileWriter::ReplaceTarget()
{
    // The old file becomes the backup by its own move, so the backup is never a second
    // name of a file that lives on, and a target that can't be moved (held open by a
    // program that does not share that) leaves both names as they were.
    const bool backedUp = m_bKeepBackup && m_bTargetNonEmpty && Move(m_target, BackupPath(), MOVEFILE_REPLACE_EXISTING);
    if (!Move(m_temp, m_target, MOVEFILE_REPLACE_EXISTING)) {
        if (backedUp)
            Move(BackupPath(), m_target, 0);
        return false;
    }
    // The new file takes the old one's visible attributes (hidden, say).
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (m_targetMode & kept) {
        const std::wstring target = WidePath(m_target);
        ::SetFileAttributesW(target.c_str(), (::GetFileAttributesW(target.c_str()) & ~FILE_ATTRIBUTE_NORMAL) | (m_targetMode & kept));
    }
    return true;
}

void CSafeFileWriter::CopyTargetToBackup(intptr_t target)
{
    const HANDLE from = AsHandle(target);
    const std::string name = UnguessableName(DirectoryOf(m_target), "~kvx");
    const HANDLE to = CreateNew(name);
    if (to == INVALID_HANDLE_VALUE)
        return;
    bool ok = ::SetFilePointer(from, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    char buffer[16 * 1024];
    DWORD got = 0;
    while (ok && (ok = ::ReadFile(from, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0)
        ok = WriteAll(reinterpret_cast<intptr_t>(to), buffer, got);
    // Half a backup would pass for the earlier dump.
    ok = CloseFile(reinterpret_cast<intptr_t>(to), true) && ok;
    if (!ok || !Move(name, BackupPath(), MOVEFILE_REPLACE_EXISTING))
        RemoveFile(name);
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
    ::DeleteFileW(WidePath(path).c_str());
}

bool ReadRegularFile(const std::string& path, uint64_t maxSize, const std::function<char*(size_t size)>& buffer,
                     size_t& got)
{
    got = 0;
    // A device is not even opened: opening a serial port may already signal the
    // equipment behind it.
    if (path.empty())
        return NoteFileError(ERROR_FILE_NOT_FOUND);
    if (IsDeviceName(path))
        return NoteFileError(ERROR_INVALID_NAME);
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return NoteFileError(::GetLastError());
    DWORD error = ERROR_SUCCESS;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(file) != FILE_TYPE_DISK)
        error = ERROR_INVALID_NAME;
    else if (!::GetFileInformationByHandle(file, &info))
        error = ::GetLastError();
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        error = ERROR_ACCESS_DENIED;
    else if (SizeOf(info) > maxSize || SizeOf(info) >= static_cast<uint64_t>(SIZE_MAX))
        error = ERROR_FILE_TOO_LARGE;
    if (error == ERROR_SUCCESS) {
        const size_t size = static_cast<size_t>(SizeOf(info));
        char* data = buffer(size);
        if (!data)
            error = ERROR_NOT_ENOUGH_MEMORY;
        while (error == ERROR_SUCCESS && got < size) {
            const size_t left = size - got;
            DWORD done = 0;
            if (!::ReadFile(file, data + got, left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left), &done,
                            nullptr))
                error = ::GetLastError();
            if (done == 0)
                break;
            got += done;
        }
    }
    ::CloseHandle(file);
    return error == ERROR_SUCCESS || NoteFileError(error);
}

std::FILE* OpenCFile(const std::string& path, const char* mode)
{
    const std::string narrow(mode);
    return ::_wfopen(WidePath(path).c_str(), std::wstring(narrow.begin(), narrow.end()).c_str());
}

bool GetFileIdentity(const std::string& path, FileIdentity& identity)
{
    if (path.empty() || IsDeviceName(path))
        return false;
    // No access asked: enough for the file's numbers, and never refused for sharing.
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!ok)
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
}
