// The safe file writer's bookkeeping that is the same on every platform: buffering, commit order, clean-up.
#include "app/SafeFile.h"

namespace {
// Small writes are gathered so that a file of many short lines costs few system calls.
const size_t FLUSH_SIZE = 64 * 1024;
}  // namespace

CSafeFileWriter::~CSafeFileWriter()
{
    Discard();
}

bool CSafeFileWriter::Open(const std::string& path, bool keepBackup)
{
    Discard();
    m_result = RESULT_OK;
    m_bInPlace = false;
    m_bKeepBackup = keepBackup;
    m_target = path;
    if (path.empty())
        return Fail(RESULT_CANNOT_CREATE);
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
    if (ok && !m_bInPlace) {
        KeepTargetBackup(false);
        ok = ReplaceTarget();
    }
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

void CSafeFileWriter::KeepTargetBackup(bool copy)
{
    if (m_bKeepBackup)
        KeepBackup(m_target, m_target + ".bak", copy);
}

bool CSafeFileWriter::Fail(Result result)
{
    m_result = result;
    Discard();
    return false;
}
