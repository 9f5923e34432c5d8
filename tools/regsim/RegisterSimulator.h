// A simulated cash register on a pseudo-terminal: the other end is published as a
// symlink that Wine (or any serial program) opens as its port; the simulator writes a
// fiscal memory dump into it at a chosen pace.
#pragma once

#include <cstdint>
#include <string>

struct SimOptions {
    std::string link;         // where the reader's end is published
    std::string data;         // the bytes of one dump
    long bytesPerSecond = 960;  // 0: as fast as the reader takes them
    int chunkMin = 1;
    int chunkMax = 16;
    uint32_t seed = 1;
    int nulEvery = 0;         // a NUL after every N bytes of the dump; 0: none
    bool waitOpen = false;    // send only while a reader has the port open
    bool repeat = false;      // send again at every new open (implies waitOpen)
    bool onceThenExit = false;
    int openDelayMs = 300;    // after an open, leave the reader time to set up the port
    long unplugAt = -1;       // after this many bytes of each dump, the adapter is pulled out
    int unplugMs = 0;         // ... and plugged in again after this long
    bool replugNoWait = false;  // ... and the register sends on at once, reader or not
    int replugHolding = 0;    // ... holding this many bytes of the dump already
    bool quiet = false;
};

class CRegisterSimulator {
public:
    explicit CRegisterSimulator(const SimOptions& options);
    ~CRegisterSimulator();
    CRegisterSimulator(const CRegisterSimulator&) = delete;
    CRegisterSimulator& operator=(const CRegisterSimulator&) = delete;

    // Runs until a signal (SIGTERM, SIGINT, SIGHUP) or, with onceThenExit, until one dump
    // is delivered. Exit status: 0 done, 1 system error, 3 reader left mid-dump (once).
    int Run();

    // Lets SIGTERM/SIGINT/SIGHUP end Run cleanly; call once before Run.
    static void InstallSignalHandlers();

private:
    enum class SendResult { Complete, ReaderLeft, Stopped };

    bool CreatePty();
    bool Publish();
    void Unpublish();
    bool ReaderPresent() const;
    // Sleeps up to timeoutMs or until fd reports one of events (or a hang-up); false
    // when a signal asked to stop. revents receives what was reported.
    bool Wait(short events, int timeoutMs, short* revents) const;
    bool WaitForReader();
    bool WaitWhileReaderStays(int timeoutMs);
    SendResult SendDump();
    void DiscardUnread();
    int UnreadBytes() const;
    bool WaitUntilTaken();
    bool Unplug(size_t* pos);
    int NextChunk();
    void Log(const char* format, ...) const;

    SimOptions m_options;
    std::string m_stream;  // the dump with the NULs inserted
    size_t m_sent = 0;     // bytes of the dump written so far in this pass
    int m_master = -1;
    std::string m_slaveName;
    uint32_t m_random;
};
