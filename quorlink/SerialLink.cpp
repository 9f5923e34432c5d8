// Serial back end of the library over the Win32 communications API.
#include "quorlink/SerialLink.h"

#include "quorlink/PortArguments.h"

#include <cstdio>
#include <cstring>

#include "quorlink/ByteRing.h"
#include "quorlink/Quorlink.h"

namespace {
constexpr int kOpenPending = -1;

// "COM7" -> 7; anything else -> 0.
int ParseComName(const char* text)
{
    if (_strnicmp(text, "COM", 3) != 0)
        return 0;
    int n = 0;
    const char* p = text + 3;
    for (; *p >= '0' && *p <= '9' && n <= QUORLINK_MAX_PORT; ++p)
        n = n * 10 + (*p - '0');
    return (*p == '\0' && p != text + 3 && n >= 1 && n <= QUORLINK_MAX_PORT) ? n : 0;
}

// Windows lists the ports it knows under SERIALCOMM (Wine does so for the ports mapped
// in its registry). Fills found[n] for each; false when the key is not there at all.
bool PortsFromRegistry(bool* found)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    for (DWORD i = 0;; ++i) {
        char name[256];
        char data[64];
        DWORD nameLen = sizeof name;
        DWORD dataLen = sizeof data - 1;
        DWORD type = 0;
        const LONG r = RegEnumValueA(key, i, name, &nameLen, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &dataLen);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataLen] = '\0';
        if (const int n = ParseComName(data))
            found[n] = true;
    }
    RegCloseKey(key);
    return true;
}

// Without the registry key, ask for the device names instead; this does not open the
// ports, so it cannot disturb a device on the line.
void PortsFromDosDevices(bool* found)
{
    char name[16];
    char target[512];
    for (int n = 1; n <= QUORLINK_MAX_PORT; ++n) {
        std::snprintf(name, sizeof name, "COM%d", n);
        if (QueryDosDeviceA(name, target, sizeof target) != 0)
            found[n] = true;
    }
}

// The reader thread keeps the library loaded until it has left the library's code.
HMODULE PinLibrary()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&PinLibrary), &self);
    return self;
}

// Cancels a synchronous driver call of another thread (a reader stuck opening the
// device); looked up at run time, as older systems lack it.
void CancelThreadIo(HANDLE thread)
{
    using PFN_CancelSynchronousIo = BOOL(WINAPI*)(HANDLE);
    static const auto cancel = reinterpret_cast<PFN_CancelSynchronousIo>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CancelSynchronousIo")));
    if (cancel)
        cancel(thread);
}
}  // namespace

HANDLE CSerialLink::SharedEvent(std::atomic<HANDLE>& slot, bool manualReset)
{
    HANDLE e = slot.load();
    if (e)
        return e;
    HANDLE created = CreateEventA(nullptr, manualReset, FALSE, nullptr);
    if (!created)
        return nullptr;
    if (!slot.compare_exchange_strong(e, created)) {
        CloseHandle(created);
        return e;
    }
    return created;
}

bool CSerialLink::Configure(HANDLE port, int baud)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb))
        return false;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    // The register inserts NULs and XON/XOFF bytes of its own; they must arrive as data.
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    // Raised DTR/RTS tell the register that a terminal is listening; they are line
    // states here, not handshake.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(port, &dcb))
        return false;

    // No time-outs: a read ends when its bytes are there (the reader asks only for what
    // is waiting, or for one byte), or when it is cancelled.
    COMMTIMEOUTS timeouts = {};
    if (!SetCommTimeouts(port, &timeouts))
        return false;
    SetupComm(port, 65536, 4096);
    return true;
}

HANDLE CSerialLink::OpenDevice(int port, int baud, int* status)
{
    char name[24];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", port);
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *status = QUORLINK_ERR_OPEN_FAILED;
        return nullptr;
    }
    if (!Configure(handle, baud)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        *status = QUORLINK_ERR_CONFIG_FAILED;
        return nullptr;
    }
    *status = QUORLINK_OK;
    return handle;
}

int CSerialLink::Open(int port, int baud)
{
    if (port < 1 || port > QUORLINK_MAX_PORT)
        return QUORLINK_ERR_BAD_PORT;
    if (baud <= 0)
        return QUORLINK_ERR_BAD_BAUD;
    Close();
    // A reader that could not be ended still owns the port: never start a second one.
    if (m_thread.load())
        return QUORLINK_ERR_OPEN_FAILED;

    HANDLE opened = SharedEvent(m_openedEvent, true);
    HANDLE stop = SharedEvent(m_stopEvent, true);
    if (!opened || !stop || !SharedEvent(m_dataEvent, false) || !SharedEvent(m_spaceEvent, false) ||
        !SharedEvent(m_readEvent, true))
        return QUORLINK_ERR_THREAD_FAILED;

    // The reader thread opens the device itself: a caller ended by force while a slow
    // device opens then leaves the handle with the reader, and the next Close releases
    // it, instead of an open port that nobody holds.
    m_portNumber.store(port);
    m_baud.store(baud);
    m_openStatus.store(kOpenPending);
    m_openError.store(ERROR_SUCCESS);
    ResetEvent(opened);
    ResetEvent(stop);
    const unsigned session = m_session.fetch_add(1) + 1;
    m_ring.Discard(session);
    m_readerSession.store(session);
    m_readerPin.store(PinLibrary());
    // Started suspended so that the handle is recorded before the thread can run.
    HANDLE thread = CreateThread(nullptr, 0, ReaderThread, this, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        if (HMODULE pin = m_readerPin.exchange(nullptr))
            FreeLibrary(pin);
        return QUORLINK_ERR_THREAD_FAILED;
    }
    m_thread.store(thread);
    ResumeThread(thread);
    HANDLE waits[2] = {opened, thread};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    int status = m_openStatus.load();
    if (status == kOpenPending)
        status = QUORLINK_ERR_OPEN_FAILED;  // the reader was ended before it knew
    if (status != QUORLINK_OK) {
        Close();
        // The device was opened on the reader's thread: its reason is the caller's too.
        SetLastError(m_openError.load());
    }
    return status;
}

DWORD WINAPI CSerialLink::ReaderThread(void* self)
{
    CSerialLink* link = static_cast<CSerialLink*>(self);
    link->RunReader(link->m_readerSession.load());
    // Whoever takes the reference gives it back: this thread, or a Close that had to end
    // it by force.
    if (HMODULE pin = link->m_readerPin.exchange(nullptr))
        FreeLibraryAndExitThread(pin, 0);
    return 0;
}

HANDLE CSerialLink::OpenPortAs(unsigned session, int* status)
{
    *status = QUORLINK_ERR_OPEN_FAILED;
    if (!IsCurrent(session))
        return nullptr;
    m_readerOpening.store(true);
    HANDLE port = OpenDevice(m_portNumber.load(), m_baud.load(), status);
    if (!port)
        m_openError.store(GetLastError());
    m_readerOpening.store(false);
    return port;
}

bool CSerialLink::ReleasePort(HANDLE port)
{
    if (!port || !m_port.compare_exchange_strong(port, nullptr))
        return false;
    CloseHandle(port);
    return true;
}

int CSerialLink::ReadOnce(HANDLE port, DWORD max)
{
    // A vanished device shows in the driver's status, not in a read: under some drivers
    // the read on a device that has gone just returns nothing, or never, while the
    // status query fails every time.
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(port, &errors, &status))
        return -1;
    // Take what is waiting; with nothing waiting, ask for one byte, which sleeps in the
    // driver until the line delivers it.
    const DWORD want = status.cbInQue == 0 ? 1 : status.cbInQue < max ? status.cbInQue : max;
    OVERLAPPED& ov = m_overlapped;
    std::memset(&ov, 0, sizeof ov);
    ov.hEvent = m_readEvent.load();
    ResetEvent(ov.hEvent);
    DWORD got = 0;
    BOOL ok = ReadFile(port, m_readBuffer, want, &got, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
        HANDLE waits[2] = {ov.hEvent, m_stopEvent.load()};
        DWORD woke;
        // Wake now and then to ask whether the device is still there.
        while ((woke = WaitForMultipleObjects(2, waits, FALSE, kHealthCheckMs)) == WAIT_TIMEOUT &&
               ClearCommError(port, &errors, nullptr)) {
        }
        if (woke != WAIT_OBJECT_0) {
            // Stopping, or the device has gone: cancel the read and let it end before
            // the buffer is used again.
            CancelIo(port);
            GetOverlappedResult(port, &ov, &got, TRUE);
            return woke == WAIT_TIMEOUT ? -1 : 0;
        }
        ok = GetOverlappedResult(port, &ov, &got, FALSE);
    }
    if (!ok) {
        if (!ClearCommError(port, &errors, nullptr))
            return -1;
        // A line error must not make us spin.
        WaitForSingleObject(m_stopEvent.load(), kReopenPollMs);
        return 0;
    }
    return static_cast<int>(got);
}

void CSerialLink::RunReader(unsigned session)
{
    HANDLE stop = m_stopEvent.load();
    HANDLE dataEvent = m_dataEvent.load();
    HANDLE spaceEvent = m_spaceEvent.load();
    int status = QUORLINK_ERR_OPEN_FAILED;
    HANDLE port = OpenPortAs(session, &status);
    if (port) {
        // Bytes that waited in the port before the operator's Start are not part of this
        // run. (When the device comes back after a loss, the reopen below keeps every
        // byte it holds: those are.)
        PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
        HANDLE empty = nullptr;
        if (!m_port.compare_exchange_strong(empty, port)) {
            CloseHandle(port);
            port = nullptr;
            status = QUORLINK_ERR_OPEN_FAILED;
        }
    }
    m_openStatus.store(status);
    SetEvent(m_openedEvent.load());

    while (port && IsCurrent(session)) {
        uint32_t space = 0;
        unsigned char* target = m_ring.WriteSpace(&space);
        if (space == 0) {
            // Ring full: wait for the caller to take bytes; the port's own buffer holds
            // what arrives meanwhile.
            HANDLE waits[2] = {spaceEvent, stop};
            WaitForMultipleObjects(2, waits, FALSE, kHealthCheckMs);
            continue;
        }
        const int got = ReadOnce(port, space < sizeof m_readBuffer ? space : sizeof m_readBuffer);
        if (got > 0) {
            // Published only if this reader's session is still the ring's: a read that
            // comes back after a Close delivers nothing.
            std::memcpy(target, m_readBuffer, static_cast<size_t>(got));
            if (!m_ring.Commit(static_cast<uint32_t>(got), session))
                break;
            SetEvent(dataEvent);
            continue;
        }
        if (got == 0)
            continue;
        // The device has gone (an adapter unplugged): give its handle back and wait for
        // it to return under the same name, then go on with the same settings. The
        // caller meanwhile finds nothing to read and waits as on an idle line.
        if (!ReleasePort(port))
            break;  // a Close has taken it
        port = nullptr;
        while (!port && WaitForSingleObject(stop, kReopenPollMs) == WAIT_TIMEOUT && IsCurrent(session)) {
            port = OpenPortAs(session, &status);
            HANDLE empty = nullptr;
            if (port && (!IsCurrent(session) || !m_port.compare_exchange_strong(empty, port))) {
                CloseHandle(port);
                return;
            }
        }
    }
}

bool CSerialLink::StopReader()
{
    HANDLE thread = m_thread.load();
    if (!thread)
        return true;
    SetEvent(m_stopEvent.load());
    SetEvent(m_spaceEvent.load());
    // A read stuck in the driver is cancelled before the wait.
    if (HANDLE port = m_port.load())
        CancelIoEx(port, nullptr);
    CancelThreadIo(thread);
    DWORD waited = WaitForSingleObject(thread, kStopWaitMs);
    // A reader ended in the middle of opening the device would leave the new handle
    // open with nobody to close it, and the port busy until the program ends: a slow
    // open is waited for (bounded all the same).
    for (DWORD slept = 0; waited == WAIT_TIMEOUT && m_readerOpening.load() && slept < kOpenWaitMs;
         slept += kStopWaitMs)
        waited = WaitForSingleObject(thread, kStopWaitMs);
    if (waited == WAIT_TIMEOUT) {
        // Still stuck: end it. It holds no lock and owns no memory, but it held a
        // reference to the library, which is given back for it.
        TerminateThread(thread, 1);
        if (WaitForSingleObject(thread, kStopWaitMs) == WAIT_TIMEOUT)
            return false;
        if (HMODULE pin = m_readerPin.exchange(nullptr))
            FreeLibrary(pin);
    }
    // Only now, with the thread ended, does its handle leave the slot.
    if (m_thread.compare_exchange_strong(thread, nullptr))
        CloseHandle(thread);
    return true;
}

int CSerialLink::Close()
{
    const unsigned session = m_session.fetch_add(1) + 1;
    StopReader();
    if (HANDLE port = m_port.exchange(nullptr)) {
        PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
        CloseHandle(port);
    }
    m_ring.Discard(session);
    return QUORLINK_OK;
}

int CSerialLink::Read(unsigned char* buffer, int size, unsigned int* count)
{
    if (count)
        *count = 0;
    if (!buffer || !count || size <= 0) {
        Sleep(kIdleWaitMs);  // a caller looping on bad arguments must not spin either
        return 0;
    }
    uint32_t n = m_ring.Take(buffer, static_cast<uint32_t>(size));
    if (n == 0) {
        if (HANDLE dataEvent = m_dataEvent.load())
            WaitForSingleObject(dataEvent, kIdleWaitMs);
        else
            Sleep(kIdleWaitMs);
        n = m_ring.Take(buffer, static_cast<uint32_t>(size));
    }
    if (n == 0)
        return 0;
    *count = n;
    if (HANDLE spaceEvent = m_spaceEvent.load())
        SetEvent(spaceEvent);
    return 1;
}

int CSerialLink::ListPorts(int* ports, int* count)
{
    int capacity = 0;
    if (!TakePortCapacity(ports, count, capacity))
        return QUORLINK_ERR_BAD_ARGUMENT;
    bool found[QUORLINK_MAX_PORT + 1] = {};
    if (!PortsFromRegistry(found))
        PortsFromDosDevices(found);
    int written = 0;
    for (int n = 1; n <= QUORLINK_MAX_PORT && written < capacity; ++n) {
        if (found[n])
            ports[written++] = n;
    }
    *count = written;
    return QUORLINK_OK;
}
