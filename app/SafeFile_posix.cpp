// POSIX side of the safe file writer: a sibling file, fsync, then rename over the target.
#include "app/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
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
}  // namespace

bool CSafeFileWriter::OpenBesideTarget()
{
    struct stat st;
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (exists) {
        // Devices and pipes can't be replaced, only written.
        if (!S_ISREG(st.st_mode))
            return OpenInPlace();
        // A file the user may not write must not be replaced just because its folder allows it.
        const int probe = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe < 0)
            return Fail(RESULT_CANNOT_CREATE);
        ::close(probe);
        // Through a symbolic link the file it points to is replaced, not the link.
        if (char* real = ::realpath(m_target.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }

    static std::atomic<unsigned> s_counter{0};
    const std::string dir = DirectoryOf(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = dir + ".~kvx" + std::to_string(::getpid()) + "_" +
                                 std::to_string(s_counter++) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (exists)
                (void)::fchmod(fd, st.st_mode & 0777);
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
    KeepTargetBackup(true);
    const int fd = ::open(m_target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return Fail(RESULT_CANNOT_CREATE);
    m_handle = fd;
    m_bInPlace = true;
    return true;
}

bool CSafeFileWriter::ReplaceTarget()
{
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return false;
    SyncDirectory(DirectoryOf(m_target));
    return true;
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

void CSafeFileWriter::KeepBackup(const std::string& target, const std::string& backup, bool copy)
{
    struct stat st;
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return;
    // A second name for the old file costs nothing and keeps its bytes once the target
    // is replaced by the rename; where the file system has no links, copy.
    if (!copy) {
        ::unlink(backup.c_str());
        if (::link(target.c_str(), backup.c_str()) == 0)
            return;
    }
    const int from = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return;
    const int to = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    if (to >= 0) {
        char buffer[64 * 1024];
        ssize_t got;
        bool ok = true;
        while (ok && (got = ::read(from, buffer, sizeof buffer)) != 0)
            ok = got > 0 && WriteAll(to, buffer, static_cast<size_t>(got));
        // Half a backup would pass for the earlier dump.
        if (::close(to) != 0 || !ok)
            ::unlink(backup.c_str());
    }
    ::close(from);
}
