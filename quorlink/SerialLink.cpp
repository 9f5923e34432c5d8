// Serial back end of the library over the Win32 communications API.
#include "quorlink/SerialLink.h"

#include "quorlink/PortArguments.h"

#include <cstdio>
#include <cstring>

#include "quorlink/ByteRing.h"
#include "quorlink/Quorlink.h"

namespace {
// The largest single ReadFile; the reader loops quickly, so this only bounds latency.
constexpr DWORD kReadChunk = 4096;
constexpr DWORD kStopWaitMs = 2000;

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
}  // namespace

HANDLE CSerialLink::SharedEvent(std::atomic<HANDLE>& slot)
{
    HANDLE e = slot.load();
    if (e)
        return e;
    HANDLE created = CreateEventA(nullptr, FALSE, FALSE, nullptr);
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

    // ReadFile returns as soon as any byte is there, or after kReaderPollMs with none.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kReaderPollMs;
    if (!SetCommTimeouts(port, &timeouts))
        return false;
    SetupComm(port, 65536, 4096);
    PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    return true;
}

int CSerialLink::Open(int port, int baud)
{
    if (port < 1 || port > QUORLINK_MAX_PORT)
        return QUORLINK_ERR_BAD_PORT;
    if (baud <= 0)
        return QUORLINK_ERR_BAD_BAUD;
    Close();

    HANDLE dataEvent = SharedEvent(m_dataEvent);
    if (!dataEvent || !SharedEvent(m_spaceEvent))
        return QUORLINK_ERR_THREAD_FAILED;

    char name[24];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", port);
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return QUORLINK_ERR_OPEN_FAILED;
    m_port.store(handle);  // from here on a Close releases it, whatever happens to us
    if (!Configure(handle, baud)) {
        Close();
        return QUORLINK_ERR_CONFIG_FAILED;
    }

    m_ring.Discard();
    ResetEvent(dataEvent);
    m_readerSession.store(m_session.fetch_add(1) + 1);
    // Started suspended so that the handle is recorded before the thread can run.
    HANDLE thread = CreateThread(nullptr, 0, ReaderThread, this, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        Close();
        return QUORLINK_ERR_THREAD_FAILED;
    }
    m_thread.store(thread);
    ResumeThread(thread);
    return QUORLINK_OK;
}

DWORD WINAPI CSerialLink::ReaderThread(void* self)
{
    HMODULE pin = PinLibrary();
    CSerialLink* link = static_cast<CSerialLink*>(self);
    link->RunReader(link->m_readerSession.load());
    if (pin)
        FreeLibraryAndExitThread(pin, 0);
    return 0;
}

void CSerialLink::RunReader(unsigned session)
{
    HANDLE port = m_port.load();
    HANDLE dataEvent = m_dataEvent.load();
    HANDLE spaceEvent = m_spaceEvent.load();
    while (m_session.load() == session && port) {
        uint32_t space = 0;
        unsigned char* target = m_ring.WriteSpace(&space);
        if (space == 0) {
            // Ring full: wait for the caller to take bytes; the port's own buffer holds
            // what arrives meanwhile.
            WaitForSingleObject(spaceEvent, kReaderPollMs);
            continue;
        }
        DWORD got = 0;
        const DWORD started = GetTickCount();
        if (!ReadFile(port, target, space < kReadChunk ? space : kReadChunk, &got, nullptr)) {
            DWORD errors = 0;
            ClearCommError(port, &errors, nullptr);
            Sleep(kReaderPollMs);  // device gone or line error: retry calmly
            continue;
        }
        if (got > 0) {
            m_ring.Commit(got);
            SetEvent(dataEvent);
        } else if (GetTickCount() - started < kReaderPollMs / 2) {
            Sleep(kReaderPollMs);  // a driver that ignores the read timeout must not spin
        }
    }
}

void CSerialLink::StopReader()
{
    HANDLE thread = m_thread.exchange(nullptr);
    if (!thread)
        return;
    if (HANDLE spaceEvent = m_spaceEvent.load())
        SetEvent(spaceEvent);
    if (WaitForSingleObject(thread, kStopWaitMs) == WAIT_TIMEOUT) {
        // Stuck in a driver call: end it; it holds no lock and owns no memory.
        TerminateThread(thread, 1);
        WaitForSingleObject(thread, kStopWaitMs);
    }
    CloseHandle(thread);
}

int CSerialLink::Close()
{
    m_session.fetch_add(1);
    StopReader();
    if (HANDLE port = m_port.exchange(nullptr)) {
        PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
        CloseHandle(port);
    }
    m_ring.Discard();
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
