// The library's serial back end: one COM port, a reader thread that drains it into a
// large ring, and the port list from the registry.
#pragma once

#include <windows.h>

#include <atomic>

class CByteRing;

class CSerialLink {
public:
    constexpr explicit CSerialLink(CByteRing& ring) : m_ring(ring) {}
    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    int Open(int port, int baud);
    int Read(unsigned char* buffer, int size, unsigned int* count);
    int Close();
    static int ListPorts(int* ports, int* count);

    // How long an idle Read waits for data, and how long ReadFile in the reader thread
    // waits before it looks at its stop condition again.
    static constexpr DWORD kIdleWaitMs = 30;
    static constexpr DWORD kReaderPollMs = 50;

private:
    static DWORD WINAPI ReaderThread(void* self);
    void RunReader(unsigned session);
    void StopReader();
    static bool Configure(HANDLE port, int baud);
    static HANDLE SharedEvent(std::atomic<HANDLE>& slot);

    CByteRing& m_ring;
    // Handles are swapped out atomically, so each is released by exactly one caller,
    // even when shutdown's Close meets a worker that is still inside the library.
    std::atomic<HANDLE> m_port{nullptr};
    std::atomic<HANDLE> m_thread{nullptr};
    // Every Open and Close starts a new session; a reader thread keeps running only
    // while the session it was started for is current.
    std::atomic<unsigned> m_session{0};
    std::atomic<unsigned> m_readerSession{0};
    // Created once and never closed: a caller ended by force inside Read may have been
    // waiting on one of them.
    std::atomic<HANDLE> m_dataEvent{nullptr};
    std::atomic<HANDLE> m_spaceEvent{nullptr};
};
