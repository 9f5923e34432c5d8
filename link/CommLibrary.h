// The binding to the register maker's communication library: all of its entry points
// looked up by name into one table (all or nothing), and wrappers for the five that
// the program calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "quorlink/Quorlink.h"
#include "quorlink/QuorlinkExports.h"

// One slot per entry point, named after its export: the slot of "Open" is Quorlink_Open.
struct QuorlinkTable {
#define QUORLINK_SLOT(name) FARPROC Quorlink_##name;
    QUORLINK_EXPORTS(QUORLINK_SLOT, QUORLINK_SLOT)
#undef QUORLINK_SLOT
};

// What a wrapper came to: nothing was called because the library is not loaded, or
// the library was called (its own answer, where it has one worth reading, is below).
enum class LibraryCall { NotLoaded, Called };

// The answer of Open: the port opened, the library refused it with a status code of
// its own (kept as the number it is, for the operator to be told), or nothing was
// called.
struct OpenResult {
    enum class Status { NotLoaded, Opened, Refused };
    Status status = Status::NotLoaded;
    int code = 0;  // the library's raw answer; 0 when it opened or was not called
    bool Opened() const { return status == Status::Opened; }
};

// The answer of ReadComBuffer: bytes were delivered (their count, which may be 0, is in
// the caller's count), nothing was, or nothing was called.
enum class ReadResult { NotLoaded, Nothing, Delivered };

class CommLibrary {
public:
    CommLibrary() = default;
    virtual ~CommLibrary();
    CommLibrary(const CommLibrary&) = delete;
    CommLibrary& operator=(const CommLibrary&) = delete;

    // Loads the library and finds every entry point; 1 on success, 0 otherwise
    // (the library is released again when one entry point is missing).
    int LoadDll(const char* fileName);
    bool IsLoaded() const { return m_hLibrary != nullptr; }
    virtual void FreeDll();

    // Each wrapper calls nothing while the library is not loaded, and says so.
    LibraryCall SetInterface(int iface, int option);
    LibraryCall GetCOM_Installed(int* ports, int* count);
    OpenResult Open(int port, int baud, int option);
    ReadResult ReadComBuffer(unsigned char* buffer, int size, unsigned int* count, int option);
    LibraryCall Close(int option);

    // Diagnostic sink of the loader; its output goes nowhere.
    static void Trace(const char* format, ...);

    const QuorlinkTable& Table() const { return m_table; }

private:
    QuorlinkTable m_table = {};
    HMODULE m_hLibrary = nullptr;
};

// The ports the library lists as installed, as "COM<n>" in its order (no port at all is
// an answer too); false, with the list empty, when it could not be asked.
bool ListInstalledPorts(CommLibrary& library, std::vector<std::string>& ports);
