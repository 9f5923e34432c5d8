// The record of the last acquisition run on disk: while a run receives, every line the
// view is given is also written to "Korvex_LastRun.txt" in the program's folder, in the
// bytes that Save writes, so that a crash, a power cut or a closed lid loses at most the
// last second of a dump. The previous record is kept as "Korvex_LastRun.1.txt".
//
// The record is held open so that no other program can write, move or delete it while
// the run goes on. A second copy of the program in the same folder finds it so and
// records its run into "Korvex_LastRun-COM<n>.txt" (n: its port) instead, keeping its
// previous one as "Korvex_LastRun-COM<n>.1.txt"; two running copies never share a port,
// so they never share a record. A link found at the record's name is left alone (and
// the port's name used): the record is always a new file of its own, never written,
// moved or deleted through a link.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/SafeFile.h"

class CLastRunRecord {
public:
    static const char kFileName[];
    static const char kPreviousFileName[];
    // The names a run on this port records into when the usual one is taken.
    static std::string PortFileName(int port);
    static std::string PortPreviousFileName(int port);

    CLastRunRecord() = default;
    // Writes what is still buffered and closes the record.
    ~CLastRunRecord();
    CLastRunRecord(const CLastRunRecord&) = delete;
    CLastRunRecord& operator=(const CLastRunRecord&) = delete;

    // The window's thread calls these; the file work happens on the record's own thread.
    // A new record in the folder (ending in a backslash; empty: no record) for a run on
    // the port. A non-empty earlier record becomes the previous one first; an empty one
    // is simply replaced, so that a run that received nothing does not push out a
    // crashed dump.
    void BeginRun(const std::string& folder, int port);
    // The line followed by CR LF.
    void AppendLine(std::string_view line);
    // Writes out and closes the record; the file stays for Load to open.
    void EndRun();
    // True when the path leads to the file the running record is written into, by
    // whatever name (compared as files, not as names). A record that is being begun or
    // ended is waited for.
    bool IsLiveFile(const std::string& path);

private:
    struct Command {
        enum class Kind { Begin, Data, End } kind;
        std::string text;  // the folder of Begin, the bytes of Data
        int port = 0;      // of Begin
    };

    void Post(Command command);
    void WriterLoop();
    void Open(const std::string& folder, int port);
    bool OpenAs(const std::string& path, const std::string& previous);
    void Write(const std::string& bytes);
    void Close();
    void Settled();
    void SetLive(bool live, const FileIdentity& identity);

    bool m_bRecording = false;  // window's thread only

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_settled;  // a Begin or End was carried out
    std::deque<Command> m_commands;
    bool m_bQuit = false;
    int m_nPending = 0;  // Begin and End commands not yet carried out
    bool m_bLive = false;  // with the identity of the open record
    FileIdentity m_liveIdentity;
    std::thread m_writer;

    // The writer's own.
    HANDLE m_file = INVALID_HANDLE_VALUE;
    bool m_bUnflushed = false;
};
