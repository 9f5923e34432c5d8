// The record of the last acquisition run on disk, written by a thread of its own.
#include "link/LastRunRecord.h"

#include "core/PathText.h"

#include <chrono>
#include <exception>
#include <new>

const char CLastRunRecord::kFileName[] = "Korvex_LastRun.txt";
const char CLastRunRecord::kPreviousFileName[] = "Korvex_LastRun.1.txt";

namespace {
// Lines wait in memory at most this long and reach the disk at once after, so a crash
// loses less than a second of the dump.
const auto kWritePeriod = std::chrono::milliseconds(500);
// How long a question about the record waits for a Begin or End to be carried out.
const auto kSettleWait = std::chrono::seconds(2);
}  // namespace

std::string CLastRunRecord::PortFileName(int port)
{
    return "Korvex_LastRun-COM" + std::to_string(port) + ".txt";
}

std::string CLastRunRecord::PortPreviousFileName(int port)
{
    return "Korvex_LastRun-COM" + std::to_string(port) + ".1.txt";
}

CLastRunRecord::~CLastRunRecord()
{
    if (!m_writer.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

void CLastRunRecord::BeginRun(const std::string& folder, int port)
{
    m_bRecording = !folder.empty();
    if (!m_bRecording)
        return;
    try {
        if (!m_writer.joinable())
            m_writer = std::thread(&CLastRunRecord::WriterLoop, this);
        Post(Command{Command::Kind::Begin, folder, port});
    } catch (const std::exception&) {
        m_bRecording = false;  // no thread or no memory: the run goes on unrecorded
    }
}

void CLastRunRecord::AppendLine(std::string_view line)
{
    if (!m_bRecording)
        return;
    // Lines gather into one block until the writer takes it; no wake-up per line.
    std::lock_guard<std::mutex> lock(m_mutex);
    try {
        if (m_commands.empty() || m_commands.back().kind != Command::Kind::Data)
            m_commands.push_back(Command{Command::Kind::Data, std::string()});
        std::string& bytes = m_commands.back().text;
        bytes.append(line.data(), line.size());
        bytes.append("\r\n", 2);
    } catch (const std::bad_alloc&) {
        m_bRecording = false;  // the record ends here rather than with a gap
    }
}

void CLastRunRecord::EndRun()
{
    if (!m_bRecording)
        return;
    m_bRecording = false;
    Post(Command{Command::Kind::End, std::string()});
}

void CLastRunRecord::Post(Command command)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool opensOrCloses = command.kind != Command::Kind::Data;
        m_commands.push_back(std::move(command));
        if (opensOrCloses)
            ++m_nPending;
    }
    m_wake.notify_one();
}

bool CLastRunRecord::IsLiveFile(const std::string& path)
{
    bool live;
    FileIdentity record;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_settled.wait_for(lock, kSettleWait, [this] { return m_nPending == 0; });
        live = m_bLive;
        record = m_liveIdentity;
    }
    FileIdentity named;
    return live && GetFileIdentity(path, named) && named == record;
}

void CLastRunRecord::Settled()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_nPending;
    }
    m_settled.notify_all();
}

void CLastRunRecord::SetLive(bool live, const FileIdentity& identity)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bLive = live;
    m_liveIdentity = identity;
}

void CLastRunRecord::WriterLoop()
{
    bool running = false;  // between Begin and End, whether or not the file could be made
    for (;;) {
        std::deque<Command> work;
        bool quit;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            // Outside a run only Begin or the end of the program wakes the writer.
            auto due = [this, running] {
                return m_bQuit || (!m_commands.empty() && (!running || m_commands.back().kind != Command::Kind::Data));
            };
            if (running)
                m_wake.wait_for(lock, kWritePeriod, due);
            else
                m_wake.wait(lock, due);
            work.swap(m_commands);
            quit = m_bQuit;
        }
        for (const Command& command : work) {
            switch (command.kind) {
            case Command::Kind::Begin:
                Close();
                Open(command.text, command.port);
                running = true;
                Settled();
                break;
            case Command::Kind::Data:
                Write(command.text);
                break;
            case Command::Kind::End:
                Close();
                running = false;
                Settled();
                break;
            }
        }
        if (m_bUnflushed) {
            ::FlushFileBuffers(m_file);
            m_bUnflushed = false;
        }
        if (quit) {
            Close();
            return;
        }
    }
}

void CLastRunRecord::Open(const std::string& folder, int port)
{
    if (!OpenAs(folder + kFileName, folder + kPreviousFileName))
        OpenAs(folder + PortFileName(port), folder + PortPreviousFileName(port));
    BY_HANDLE_FILE_INFORMATION info;
    if (m_file != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(m_file, &info)) {
        FileIdentity identity;
        identity.volume = info.dwVolumeSerialNumber;
        identity.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
        SetLive(true, identity);
    }
}

bool CLastRunRecord::OpenAs(const std::string& path, const std::string& previous)
{
    // A device is not even opened (see CSafeFileWriter).
    if (IsDeviceName(path))
        return false;
    const std::wstring name = WidePath(path);
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &info)) {
        const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool empty = info.nFileSizeHigh == 0 && info.nFileSizeLow == 0;
        // A link is left as it is (moving or deleting it by name could reach the file it
        // points to); the run records under the port's name.
        if (folder || link || LeadsElsewhere(path))
            return false;
        // A record moves aside: held open by a running copy of the program, it can't, and
        // is left as it is.
        if (!empty ? !::MoveFileExW(name.c_str(), WidePath(previous).c_str(), MOVEFILE_REPLACE_EXISTING)
                   : !::DeleteFileW(name.c_str()))
            return false;
    }
    // A new file, never one that is there (a link planted meanwhile): others may read
    // and copy it, but not write, move or delete it while it is written.
    m_file = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    // Only a disk file is written: a device or a pipe would carry the lines away.
    if (m_file != INVALID_HANDLE_VALUE && ::GetFileType(m_file) != FILE_TYPE_DISK) {
        ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    return m_file != INVALID_HANDLE_VALUE;
}

void CLastRunRecord::Write(const std::string& bytes)
{
    if (m_file == INVALID_HANDLE_VALUE || bytes.empty())
        return;
    DWORD written = 0;
    // A full disk ends the record where it is; the run goes on without it.
    if (!::WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        Close();
        return;
    }
    m_bUnflushed = true;
}

void CLastRunRecord::Close()
{
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    if (m_bUnflushed)
        ::FlushFileBuffers(m_file);
    m_bUnflushed = false;
    ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    SetLive(false, FileIdentity());
}
