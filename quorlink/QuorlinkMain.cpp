// Exports of Quorlink.dll. One source builds every variant: the real library (serial
// port), and for tests "missing" (same code, one export left out of its .def),
// "scripted" (no port, driven through Test_ exports), "cdecl" (scripted, entry points
// in the other calling convention) and "hang" (scripted, but ReadComBuffer never
// returns).
#include <windows.h>

#include "quorlink/Quorlink.h"
#include "quorlink/QuorlinkExports.h"

#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
#include "quorlink/ScriptedLink.h"
#else
#include "quorlink/ByteRing.h"
#include "quorlink/SerialLink.h"
#endif

// The "cdecl" test build exports the five entry points as cdecl (the caller pops the
// arguments), as the maker's own 32-bit library may; the program must cope with both.
#if defined(QUORLINK_CDECL) && defined(_WIN32) && !defined(_WIN64)
#define QUORLINK_ENTRY __cdecl
#else
#define QUORLINK_ENTRY QUORLINK_CALL
#endif

namespace {
#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
CScriptedLink g_link;
#else
// 1 MiB holds minutes of traffic at the register's highest rate; static, never freed,
// so a caller ended by force, or arriving late, can never touch released memory.
unsigned char g_ringStorage[1u << 20];
CByteRing g_ring(g_ringStorage, sizeof g_ringStorage);
CSerialLink g_link(g_ring);
#endif
}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

extern "C" {

// 3 is the serial line, the only interface this library drives.
int QUORLINK_ENTRY SetInterface(int iface, int option)
{
#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
    return g_link.SetInterface(iface, option);
#else
    (void)option;
    return iface == 3 ? QUORLINK_OK : QUORLINK_NOT_SUPPORTED;
#endif
}

int QUORLINK_ENTRY GetCOM_Installed(int* ports, int* count)
{
#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
    return g_link.ListPorts(ports, count);
#else
    return CSerialLink::ListPorts(ports, count);
#endif
}

int QUORLINK_ENTRY Open(int port, int baud, int option)
{
#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
    return g_link.Open(port, baud, option);
#else
    (void)option;
    return g_link.Open(port, baud);
#endif
}

int QUORLINK_ENTRY ReadComBuffer(unsigned char* buffer, int size, unsigned int* count, int option)
{
#if defined(QUORLINK_HANG)
    (void)buffer, (void)count;
    g_link.ReadForever(size, option);
#elif defined(QUORLINK_SCRIPTED)
    return g_link.Read(buffer, size, count, option);
#else
    (void)option;
    return g_link.Read(buffer, size, count);
#endif
}

int QUORLINK_ENTRY Close(int option)
{
#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
    return g_link.Close(option);
#else
    (void)option;
    return g_link.Close();
#endif
}

// Everything else the maker's library offers drives the register actively (sales,
// commands, firmware); this library only listens.
#define QUORLINK_IMPLEMENTED(name)
#define QUORLINK_NOT_IMPLEMENTED(name) \
    int QUORLINK_CALL name(void) { return QUORLINK_NOT_SUPPORTED; }
QUORLINK_EXPORTS(QUORLINK_IMPLEMENTED, QUORLINK_NOT_IMPLEMENTED)
#undef QUORLINK_IMPLEMENTED
#undef QUORLINK_NOT_IMPLEMENTED

#if defined(QUORLINK_SCRIPTED) || defined(QUORLINK_HANG)
void QUORLINK_CALL Test_Reset(void) { g_link.Reset(); }
void QUORLINK_CALL Test_SetPorts(const int* ports, int count) { g_link.SetPorts(ports, count); }
void QUORLINK_CALL Test_SetOpenResult(int status) { g_link.SetOpenResult(status); }
int QUORLINK_CALL Test_QueueRead(const unsigned char* data, int length)
{
    return g_link.QueueRead(false, 1, data, length, 0);
}
int QUORLINK_CALL Test_QueueRawRead(int result, const unsigned char* data, int length,
                                    unsigned int reportedCount)
{
    return g_link.QueueRead(true, result, data, length, reportedCount);
}
void QUORLINK_CALL Test_GetStats(QuorlinkTestStats* stats) { g_link.GetStats(stats); }
#endif

}  // extern "C"
