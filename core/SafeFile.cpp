// The safe file writer's bookkeeping that is the same on every platform: buffering, commit
// order, clean-up; the names of new files; the file reading shared by every reader.
#include "core/SafeFile.h"

#include <atomic>
#include <chrono>
#include <new>
#include <random>
#include <stdexcept>

namespace {
// Small writes are gathered so that a file of many short lines costs few system calls.
const size_t FLUSH_SIZE = 64 * 1024;

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

thread_local uint32_t t_lastFileError = 0;
}  // namespace

uint32_t LastFileError()
{
    return t_lastFileError;
}

bool NoteFileError(uint32_t code)
{
    t_lastFileError = code;
    return false;
}

CSafeFileWriter::~CSafeFileWriter()
{
    Discard();
}

bool CSafeFileWriter::Open(const std::string& path, bool keepBackup)
{
    Discard();
    m_result = RESULT_OK;
    m_systemError = 0;
    m_bInPlace = false;
    m_bKeepBackup = keepBackup;
    m_bTargetNonEmpty = false;
    m_targetMode = 0;
    m_target = path;
    // A device is not even opened: opening a serial port may already signal the
    // equipment behind it, and a write would send it the bytes.
    if (path.empty() || IsDeviceName(path))
        return Fail(RESULT_CANNOT_CREATE, InvalidNameError());
    return OpenBesideTarget();
}

bool CSafeFileWriter::Write(const void* data, size_t size)
{
    if (!IsOpen())
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
    if (!IsOpen())
        return Fail(m_result == RESULT_OK ? RESULT_WRITE_FAILED : m_result);
    if (!Flush())
        return false;
    const intptr_t handle = m_handle;
    m_handle = -1;
    // The new file must be on the disk before it takes the target's place.
    bool ok = CloseFile(handle, !m_bInPlace);
    if (ok && !m_bInPlace)
        ok = ReplaceTarget();
    if (!ok)
        return Fail(RESULT_WRITE_FAILED);
    m_temp.clear();
    return true;
}

void CSafeFileWriter::Discard()
{
    if (IsOpen()) {
        CloseFile(m_handle, false);
        m_handle = -1;
    }
    if (!m_temp.empty()) {
        RemoveFile(m_temp);
        m_temp.clear();
    }
    m_buffer.clear();
}

bool CSafeFileWriter::Fail(Result result, uint32_t systemError)
{
    // The first failure is the cause; what follows from it keeps that reason.
    if (m_result == RESULT_OK || m_systemError == 0)
        m_systemError = systemError;
    m_result = result;
    NoteFileError(m_systemError);
    Discard();
    return false;
}

std::string CSafeFileWriter::UnguessableName(const std::string& folder, const std::string& prefix)
{
    // The system's random source; should it fail, the clock and a counter still keep
    // names of one process apart (creating the file exclusively is what keeps it safe).
    static std::atomic<uint64_t> s_counter{0};
    uint64_t bits = s_counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    try {
        std::random_device source;
        bits ^= (static_cast<uint64_t>(source()) << 32) ^ source();
    } catch (const std::exception&) {
        bits ^= static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string name = folder + prefix;
    for (int shift = 60; shift >= 0; shift -= 4)
        name += kDigits[(bits >> shift) & 0xF];
    return name + ".tmp";
}

bool ReadRegularFile(const std::string& path, uint64_t maxSize, std::string& data)
{
    data.clear();
    size_t got = 0;
    try {
        const bool ok = ReadRegularFile(path, maxSize,
                                        [&data](size_t size) -> char* {
                                            data.resize(size);
                                            return &data[0];
                                        },
                                        got);
        if (ok) {
            data.resize(got);
            return true;
        }
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    data.clear();
    return false;
}

bool IsDeviceName(const std::string& path)
{
    // The device namespace (\\.\, \\?\ and the system's own \??\): everything but a drive,
    // a share or a volume reached through it, whose last part then counts as below.
    if (path.size() >= 4 && IsSeparator(path[3]) &&
        ((IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == '.' || path[2] == '?')) ||
         (path[0] == '\\' && path[1] == '?' && path[2] == '?'))) {
        const std::string rest = path.substr(4);
        const bool drive = rest.size() >= 2 && rest[1] == ':' && (rest.size() == 2 || IsSeparator(rest[2]));
        std::string head;
        for (size_t i = 0; i < rest.size() && i < 7; ++i)
            head += UpperAscii(rest[i]);
        if (!drive && head.compare(0, 4, "UNC\\") != 0 && head.compare(0, 4, "UNC/") != 0 &&
            head.compare(0, 7, "VOLUME{") != 0)
            return true;
    }
    // The last part, without a drive, up to its first dot or colon, trailing spaces cut:
    // "com5 .txt" and "COM5..." are COM5 as much as "COM5" is.
    size_t start = path.find_last_of("\\/");
    start = start == std::string::npos ? 0 : start + 1;
    if (start == 0 && path.size() >= 2 && path[1] == ':')
        start = 2;
    std::string base;
    for (size_t i = start; i < path.size() && path[i] != '.' && path[i] != ':'; ++i)
        base += UpperAscii(path[i]);
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : kNames) {
        if (base == name)
            return true;
    }
    if (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)
        return false;
    // A digit, or the superscript one, two or three (in UTF-8) that Windows takes as well.
    const std::string number = base.substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}
