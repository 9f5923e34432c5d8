// The record of the last acquisition run on disk: while a run receives, every line the
// view is given is also written to "Korvex_LastRun.txt" in the program's folder, in the
// bytes that Save writes, so that a crash, a power cut or a closed lid loses at most the
// last second of a dump. The previous record is kept as "Korvex_LastRun.1.txt".
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class CLastRunRecord {
public:
    static const char kFileName[];
    static const char kPreviousFileName[];

    CLastRunRecord() = default;
    // Writes what is still buffered and closes the record.
    ~CLastRunRecord();
    CLastRunRecord(const CLastRunRecord&) = delete;
    CLastRunRecord& operator=(const CLastRunRecord&) = delete;

    // The window's thread calls these; the file work happens on the record's own thread.
    // A new record in the folder (ending in a backslash; empty: no record). A non-empty
    // earlier record becomes the previous one first; an empty one is simply replaced, so
    // that a run that received nothing does not push out a crashed dump.
    void BeginRun(const std::string& folder);
    // The line followed by CR LF.
    void AppendLine(std::string_view line);
    // Writes out and closes the record; the file stays for Load to open.
    void EndRun();

private:
    struct Command {
        enum class Kind { Begin, Data, End } kind;
        std::string text;  // the folder of Begin, the bytes of Data
    };

    void Post(Command command);
    void WriterLoop();
    void Open(const std::string& folder);
    void Write(const std::string& bytes);
    void Close();

    bool m_bRecording = false;  // window's thread only

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_commands;
    bool m_bQuit = false;
    std::thread m_writer;

    // The writer's own.
    HANDLE m_file = INVALID_HANDLE_VALUE;
    bool m_bUnflushed = false;
};
