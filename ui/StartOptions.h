// What the command line asks the main window to do once it is shown, as the operator
// would by hand: load a file, pick the port and baud rate, Start, Stop after a quiet
// time, save and close. The application object fills it in; the window acts on it.
#pragma once

#include <string>

#include "core/CommandLine.h"

struct StartOptions {
    CommandLineOptions options;
    // Not empty: the command line was bad; this names what is wrong. The window then
    // shows it with the usage (or, unattended, only ends with kExitBadCommandLine).
    std::string error;
    // /exit was given: nothing may wait for the operator, a failure is the exit code.
    bool unattended = false;
};

// The program's exit codes.
enum StartExitCode {
    kExitDone = 0,            // lines received and saved (or nothing asked for)
    kExitNothingArrived = 1,  // no line before the wait ran out, the run never started, or no line to save
    kExitSaveFailed = 2,
    kExitBadCommandLine = 3,
    kExitLoadFailed = 4,      // the file to load could not be read
};
