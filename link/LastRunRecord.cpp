// The record of the last acquisition run on disk, written by a thread of its own.
#include "link/LastRunRecord.h"

#include <chrono>
#include <exception>
#include <new>

const char CLastRunRecord::kFileName[] = "Korvex_LastRun.txt";
const char CLastRunRecord::kPreviousFileName[] = "Korvex_LastRun.1.txt";

namespace {
// Lines wait in memory at most this long and reach the disk at once after, so a crash
// loses less than a second of the dump.
const auto kWritePeriod = std::chrono::milliseconds(500);
}  // namespace

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

void CLastRunRecord::BeginRun(const std::string& folder)
{
    m_bRecording = !folder.empty();
    if (!m_bRecording)
        return;
    try {
        if (!m_writer.joinable())
            m_writer = std::thread(&CLastRunRecord::WriterLoop, this);
        Post(Command{Command::Kind::Begin, folder});
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
        m_commands.push_back(std::move(command));
    }
    m_wake.notify_one();
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
                Open(command.text);
                running = true;
                break;
            case Command::Kind::Data:
                Write(command.text);
                break;
            case Command::Kind::End:
                Close();
                running = false;
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

void CLastRunRecord::Open(const std::string& folder)
{
    const std::string path = folder + kFileName;
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) &&
        (info.nFileSizeHigh != 0 || info.nFileSizeLow != 0) &&
        !::MoveFileExA(path.c_str(), (folder + kPreviousFileName).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        // The earlier record could not be kept: leave it rather than overwrite it.
        return;
    }
    // Others may read, copy, rename or delete the record while it is written.
    m_file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
}
