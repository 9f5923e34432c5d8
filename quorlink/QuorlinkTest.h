// Extra exports of the test builds of Quorlink.dll ("scripted" and "hang"): a test in
// the same process scripts what the library reports and reads back how it was called.
// The real library has none of these.
#pragma once

#include "quorlink/Quorlink.h"

// Call counters and the arguments of the last calls, since the last Test_Reset.
struct QuorlinkTestStats {
    int setInterfaceCalls;
    int getComInstalledCalls;
    int openCalls;
    int closeCalls;
    int readCalls;       // every ReadComBuffer call, also those that delivered nothing
    int lastInterface;   // SetInterface arguments
    int lastInterfaceOption;
    int lastOpenPort;    // Open arguments
    int lastOpenBaud;
    int lastOpenOption;
    int lastReadSize;    // ReadComBuffer size and option
    int lastReadOption;
    int lastCloseOption;
    int pendingReads;    // scripted reads not yet handed out
    int lastPortCapacity;  // the count GetCOM_Installed was handed, before it wrote it
    int portOpen;          // 1 from an Open that returned 0 until the next Close
    // The shortest time, in microseconds, from the return of a ReadComBuffer call to
    // the next call, since the last Open: after a call that returned non-zero, and
    // after one that returned 0; -1 while there was none.
    int minGapAfterDeliveryUs;
    int minGapAfterNothingUs;
};

// Back to the defaults: ports {1, 2}, Open returns 0, no scripted reads, counters 0.
// Not while another thread is inside ReadComBuffer.
typedef void(QUORLINK_CALL* PFN_Test_Reset)(void);
// The list GetCOM_Installed reports, exactly as given (order and duplicates kept);
// count 0 reports no ports. At most 256 numbers are kept.
typedef void(QUORLINK_CALL* PFN_Test_SetPorts)(const int* ports, int count);
// The status every following Open returns (0 = opened).
typedef void(QUORLINK_CALL* PFN_Test_SetOpenResult)(int status);
// Queues one read that hands out these bytes with result 1 and the true count; bytes
// beyond the caller's size stay queued for the next read. Returns 0 when the script
// store is full (64 KiB of entries and 1 MiB of data), else 1.
typedef int(QUORLINK_CALL* PFN_Test_QueueRead)(const unsigned char* data, int length);
// Queues one read exactly as given: result is returned as it stands, min(length, size)
// bytes are copied and *count is set to reportedCount, even when that exceeds size or
// is 0 with a non-zero result (to prove that the caller checks). Returns 0 when full.
typedef int(QUORLINK_CALL* PFN_Test_QueueRawRead)(int result, const unsigned char* data, int length,
                                                  unsigned int reportedCount);
// Copies the counters out.
typedef void(QUORLINK_CALL* PFN_Test_GetStats)(QuorlinkTestStats* stats);

// How long a ReadComBuffer with nothing scripted waits before it returns 0.
#define QUORLINK_TEST_IDLE_WAIT_MS 5
// Queued with Test_QueueRawRead as the result: that read never returns, as a driver
// call that hangs (the thread can only be ended by force).
#define QUORLINK_TEST_STALL (-7007)
