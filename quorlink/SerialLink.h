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

    // How long an idle Read waits for data before it returns with nothing.
    static constexpr DWORD kIdleWaitMs = 100;
    // While it waits for bytes, the reader asks this often whether the device is still
    // there (a vanished device may not end the read).
    static constexpr DWORD kHealthCheckMs = 500;
    // While the device is gone, the reader tries to open it again this often.
    static constexpr DWORD kReopenPollMs = 250;
    // Close gives the reader this long to end after its read was cancelled, then ends
    // it by force, and waits as long again.
    static constexpr DWORD kStopWaitMs = 2000;
    // ... but a reader that is opening the device is given up to this long to finish.
    static constexpr DWORD kOpenWaitMs = 30000;

private:
    static DWORD WINAPI ReaderThread(void* self);
    void RunReader(unsigned session);
    bool IsCurrent(unsigned session) const { return m_session.load() == session; }
    // Reads once into m_readBuffer; returns the bytes read, or -1 when the device is gone.
    int ReadOnce(HANDLE port, DWORD max);
    HANDLE OpenPortAs(unsigned session, int* status);
    bool ReleasePort(HANDLE port);
    bool StopReader();
    static HANDLE OpenDevice(int port, int baud, int* status);
    static bool Configure(HANDLE port, int baud);
    static HANDLE SharedEvent(std::atomic<HANDLE>& slot, bool manualReset);

    CByteRing& m_ring;
    // Handles are swapped out atomically, so each is released by exactly one caller,
    // even when shutdown's Close meets a worker that is still inside the library.
    std::atomic<HANDLE> m_port{nullptr};
    // The reader thread's handle stays here until the thread has really ended, so a
    // Close that was itself ended by force leaves the reader to the next Close, and no
    // second reader can start beside it.
    std::atomic<HANDLE> m_thread{nullptr};
    // The library reference the reader holds; whoever ends the reader gives it back.
    std::atomic<HMODULE> m_readerPin{nullptr};
    // Every Open and Close starts a new session; a reader thread keeps running, and
    // publishes bytes, only while the session it was started for is current.
    std::atomic<unsigned> m_session{0};
    std::atomic<unsigned> m_readerSession{0};
    // What the reader is to open, and how that went (kOpenPending until it knows).
    std::atomic<int> m_portNumber{0};
    std::atomic<int> m_baud{0};
    std::atomic<int> m_openStatus{0};
    std::atomic<DWORD> m_openError{0};  // the system's error of a failed open, for the caller
    std::atomic<bool> m_readerOpening{false};
    // Created once and never closed: a caller ended by force inside the library may have
    // been waiting on one of them.
    std::atomic<HANDLE> m_dataEvent{nullptr};
    std::atomic<HANDLE> m_spaceEvent{nullptr};
    std::atomic<HANDLE> m_stopEvent{nullptr};
    std::atomic<HANDLE> m_openedEvent{nullptr};
    std::atomic<HANDLE> m_readEvent{nullptr};
    OVERLAPPED m_overlapped = {};
    // The reader's read goes here, never into memory that could be freed or reused while
    // a driver still writes to it; committed to the ring afterwards.
    unsigned char m_readBuffer[4096] = {};
};
