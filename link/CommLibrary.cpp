// Loading the communication library and calling its entry points.
#include "link/CommLibrary.h"

#include "core/PathText.h"
#include "core/PortList.h"

#include <cstdint>
#include <memory>
#include <new>

namespace {
const int kPortBufferSize = 65536;

struct EntryPoint {
    const char* name;
    FARPROC QuorlinkTable::*slot;
};

const EntryPoint kEntryPoints[] = {
#define QUORLINK_ENTRY(name) {#name, &QuorlinkTable::Quorlink_##name},
    QUORLINK_EXPORTS(QUORLINK_ENTRY, QUORLINK_ENTRY)
#undef QUORLINK_ENTRY
};
static_assert(sizeof kEntryPoints / sizeof kEntryPoints[0] == QUORLINK_EXPORT_COUNT,
              "the table holds every entry point");

#if defined(__i386__)
// The maker's 32-bit library may export its entry points as stdcall (the callee pops
// the arguments) or as cdecl (the caller does); nothing says which. Every call goes
// through this thunk: it pushes the 32-bit arguments, calls, and then puts the stack
// pointer back where it was before the push, whichever side popped them.
extern "C" int __cdecl korvex_call_restoring_stack(FARPROC entry, const int* args, int count);
asm(R"(
    .text
    .globl _korvex_call_restoring_stack
    .def _korvex_call_restoring_stack; .scl 2; .type 32; .endef
_korvex_call_restoring_stack:
    pushl %ebp
    movl %esp, %ebp
    movl 16(%ebp), %ecx
    movl 12(%ebp), %edx
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %ebp, %esp
    popl %ebp
    ret
)");

template <typename Fn, typename... Args>
int Call(FARPROC entry, Args... args)
{
    static_assert(((sizeof(Args) == sizeof(int)) && ...), "every argument is one 32-bit value");
    const int values[] = {(int)(intptr_t)args...};
    return korvex_call_restoring_stack(entry, values, sizeof...(Args));
}
#else
// One calling convention only.
template <typename Fn, typename... Args>
int Call(FARPROC entry, Args... args)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(entry))(args...);
}
#endif
}  // namespace

CommLibrary::~CommLibrary()
{
    FreeDll();
}

void CommLibrary::Trace(const char*, ...) {}

int CommLibrary::LoadDll(const char* fileName)
{
    if (IsLoaded()) {
        Trace("LoadDll ==> DLL Already Loaded! \r\n");
        return 0;
    }
    // The name is UTF-8 like every path of the program. (The bare "Quorlink.dll" is
    // looked for by the system, first beside the program, whatever its folder's name.)
    HMODULE library = ::LoadLibraryW(WidePath(fileName ? fileName : "").c_str());
    if (!library) {
        Trace("LoadDll ==> ERROR LOAD DLL: %s \r\n", fileName);
        return 0;
    }
    for (const EntryPoint& e : kEntryPoints) {
        FARPROC proc = ::GetProcAddress(library, e.name);
        if (!proc) {
            Trace("\r\n\r\n*** LoadDll ==> ERROR LOAD FUNCTION Quorlink_%s\r\n\r\n", e.name);
            Trace("\r\n\r\n");
            ::FreeLibrary(library);
            return 0;
        }
        m_table.*e.slot = proc;
    }
    m_hLibrary = library;
    Trace("\n>>> LoadDll - TOTAL DLL FUNCTION: %d <<<\n\n", QUORLINK_EXPORT_COUNT);
    return 1;
}

void CommLibrary::FreeDll()
{
    if (!IsLoaded())
        return;
    ::FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
}

LibraryCall CommLibrary::SetInterface(int iface, int option)
{
    if (!IsLoaded())
        return LibraryCall::NotLoaded;
    Call<PFN_SetInterface>(m_table.Quorlink_SetInterface, iface, option);
    return LibraryCall::Called;
}

LibraryCall CommLibrary::GetCOM_Installed(int* ports, int* count)
{
    if (!IsLoaded())
        return LibraryCall::NotLoaded;
    Call<PFN_GetCOM_Installed>(m_table.Quorlink_GetCOM_Installed, ports, count);
    return LibraryCall::Called;
}

OpenResult CommLibrary::Open(int port, int baud, int option)
{
    OpenResult result;
    if (!IsLoaded())
        return result;
    result.code = Call<PFN_Open>(m_table.Quorlink_Open, port, baud, option);
    result.status = result.code == 0 ? OpenResult::Status::Opened : OpenResult::Status::Refused;
    return result;
}

ReadResult CommLibrary::ReadComBuffer(unsigned char* buffer, int size, unsigned int* count, int option)
{
    if (!IsLoaded())
        return ReadResult::NotLoaded;
    return Call<PFN_ReadComBuffer>(m_table.Quorlink_ReadComBuffer, buffer, size, count, option) != 0
               ? ReadResult::Delivered
               : ReadResult::Nothing;
}

LibraryCall CommLibrary::Close(int option)
{
    if (!IsLoaded())
        return LibraryCall::NotLoaded;
    Call<PFN_Close>(m_table.Quorlink_Close, option);
    return LibraryCall::Called;
}

bool ListInstalledPorts(CommLibrary& library, std::vector<std::string>& list)
{
    list.clear();
    if (!library.IsLoaded())
        return false;
    std::unique_ptr<int[]> ports(new (std::nothrow) int[kPortBufferSize]());
    if (!ports)
        return false;
    int count = kPortBufferSize;
    library.GetCOM_Installed(ports.get(), &count);
    // A library reporting more than the buffer holds is not trusted beyond it.
    if (count > kPortBufferSize)
        count = kPortBufferSize;
    for (int i = 0; i < count; ++i)
        list.push_back(ComPortName(ports[i]));
    return true;
}
