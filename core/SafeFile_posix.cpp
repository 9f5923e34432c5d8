// POSIX side of the safe file writer (a sibling file, fsync, then rename over the
// target), of the bounded file reading and of file identities.
#include "core/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Makes the rename itself survive a power cut; a folder that can't be synced is no
// reason to report the save as failed.
void SyncDirectory(const std::string& dir)
{
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// A new file that fails where any file or link of that name exists.
int CreateNew(const std::string& path, mode_t mode)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}
}  // namespace

uint32_t OutOfMemoryError()
{
    return ENOMEM;
}

uint32_t CSafeFileWriter::SystemErrorNow()
{
    return static_cast<uint32_t>(errno);
}

uint32_t CSafeFileWriter::InvalidNameError()
{
    return EINVAL;
}

bool CSafeFileWriter::OpenBesideTarget()
{
    struct stat st;
    const bool exists = ::lstat(m_target.c_str(), &st) == 0;
    if (exists) {
        // Only a regular file is written: a device or a pipe would carry the bytes away.
        if (!S_ISREG(st.st_mode))
            return Fail(RESULT_CANNOT_CREATE);
        // A file the user may not write must not be replaced just because its folder allows it.
        const int probe = ::open(m_target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (probe < 0)
            return Fail(RESULT_CANNOT_CREATE);
        ::close(probe);
        m_bTargetNonEmpty = st.st_size > 0;
        m_targetMode = st.st_mode & 0777;
    }

    const std::string dir = DirectoryOf(m_target);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string name = UnguessableName(dir, ".~kvx");
        const int fd = CreateNew(name, 0666);
        if (fd >= 0) {
            if (exists)
                (void)::fchmod(fd, static_cast<mode_t>(m_targetMode));
            m_temp = name;
            m_handle = fd;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return OpenInPlace();
}

bool CSafeFileWriter::OpenInPlace()
{
    // Read too, for the backup's copy; a file that may only be written is still written.
    // Without waiting: a pipe put in the file's place would hold the open until a reader came.
    const int flags = O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(m_target.c_str(), O_RDWR | flags);
    const bool readable = fd >= 0;
    if (!readable && errno == EACCES)
        fd = ::open(m_target.c_str(), O_WRONLY | flags);
    if (fd < 0) {
        if (errno != ENOENT)
            return Fail(RESULT_CANNOT_CREATE);
        fd = CreateNew(m_target, 0666);
        if (fd < 0)
            return Fail(RESULT_CANNOT_CREATE);
    } else {
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return Fail(RESULT_CANNOT_CREATE);
        }
        m_bTargetNonEmpty = st.st_size > 0;
        m_targetMode = st.st_mode & 0777;
        if (m_bKeepBackup && m_bTargetNonEmpty && readable)
            CopyTargetToBackup(fd);
        if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
            ::close(fd);
            return Fail(RESULT_CANNOT_CREATE);
        }
    }
    m_handle = fd;
    m_bInPlace = true;
    return true;
}

bool CSafeFileWriter::ReplaceTarget()
{
    // The old file becomes the backup by its own rename, so the backup is never a second
    // name of a file that lives on; should the new file then not take its place, the
    // old one goes back.
    const std::string backup = BackupPath();
    const bool backedUp = m_bKeepBackup && m_bTargetNonEmpty && ::rename(m_target.c_str(), backup.c_str()) == 0;
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        if (backedUp)
            (void)::rename(backup.c_str(), m_target.c_str());
        return false;
    }
    SyncDirectory(DirectoryOf(m_target));
    return true;
}

void CSafeFileWriter::CopyTargetToBackup(intptr_t target)
{
    const int from = static_cast<int>(target);
    const std::string name = UnguessableName(DirectoryOf(m_target), ".~kvx");
    const int to = CreateNew(name, static_cast<mode_t>(m_targetMode));
    if (to < 0)
        return;
    char buffer[16 * 1024];
    ssize_t got;
    bool ok = ::lseek(from, 0, SEEK_SET) == 0;
    while (ok && (got = ::read(from, buffer, sizeof buffer)) != 0)
        ok = got > 0 && WriteAll(to, buffer, static_cast<size_t>(got));
    // Half a backup would pass for the earlier dump.
    ok = CloseFile(to, true) && ok;
    if (!ok || ::rename(name.c_str(), BackupPath().c_str()) != 0)
        RemoveFile(name);
}

bool CSafeFileWriter::WriteAll(intptr_t handle, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(static_cast<int>(handle), data, size);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

bool CSafeFileWriter::CloseFile(intptr_t handle, bool sync)
{
    const int fd = static_cast<int>(handle);
    const bool synced = !sync || ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

void CSafeFileWriter::RemoveFile(const std::string& path)
{
    ::unlink(path.c_str());
}

bool ReadRegularFile(const std::string& path, uint64_t maxSize, const std::function<char*(size_t size)>& buffer,
                     size_t& got)
{
    got = 0;
    if (path.empty())
        return NoteFileError(ENOENT);
    // Without waiting: opening a pipe nobody writes to would block.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return NoteFileError(static_cast<uint32_t>(errno));
    int error = 0;
    struct stat st;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if (static_cast<uint64_t>(st.st_size) > maxSize || static_cast<uint64_t>(st.st_size) >= SIZE_MAX)
        error = EFBIG;
    if (error == 0) {
        const size_t size = static_cast<size_t>(st.st_size);
        char* data = buffer(size);
        if (!data)
            error = ENOMEM;
        while (error == 0 && got < size) {
            const ssize_t done = ::read(fd, data + got, size - got);
            if (done < 0 && errno == EINTR)
                continue;
            if (done < 0)
                error = errno;
            if (done <= 0)
                break;
            got += static_cast<size_t>(done);
        }
    }
    ::close(fd);
    return error == 0 || NoteFileError(static_cast<uint32_t>(error));
}

std::FILE* OpenCFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

bool GetFileIdentity(const std::string& path, FileIdentity& identity)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return false;
    identity.volume = static_cast<uint64_t>(st.st_dev);
    identity.index = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool LeadsElsewhere(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
