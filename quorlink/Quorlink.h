// Public interface of our Quorlink.dll: the calling convention, the entry points the
// program calls, and the status codes the library returns.
#pragma once

// The library is called with stdcall on 32-bit Windows (callee pops its arguments); the
// exports carry undecorated names all the same. On 64-bit Windows there is only one
// convention, and elsewhere the macro is empty so that portable code can include this.
#if defined(_WIN32) && !defined(_WIN64)
#define QUORLINK_CALL __stdcall
#else
#define QUORLINK_CALL
#endif

// Sets the link type; 3 (serial line) is the only one the library has. 0 on success.
typedef int(QUORLINK_CALL* PFN_SetInterface)(int iface, int option);
// Writes at most *count COM numbers into ports and sets *count to the number written.
typedef int(QUORLINK_CALL* PFN_GetCOM_Installed)(int* ports, int* count);
// Opens COM<port> at baud, 8 data bits, no parity, 1 stop bit, no flow control, and
// starts receiving in the background. 0 = opened, otherwise one of the statuses below.
typedef int(QUORLINK_CALL* PFN_Open)(int port, int baud, int option);
// Hands over up to size received bytes, oldest first. Non-zero = delivered (*count may
// still be 0), 0 = nothing delivered; waits up to a tenth of a second when idle.
typedef int(QUORLINK_CALL* PFN_ReadComBuffer)(unsigned char* buffer, int size, unsigned int* count,
                                              int option);
// Stops receiving and frees the port; safe to call at any time, also twice.
typedef int(QUORLINK_CALL* PFN_Close)(int option);

// Status codes.
#define QUORLINK_OK 0
#define QUORLINK_ERR_BAD_PORT 1       // port number outside 1..255
#define QUORLINK_ERR_BAD_BAUD 2       // baud rate not positive
#define QUORLINK_ERR_OPEN_FAILED 3    // the port does not exist or is in use
#define QUORLINK_ERR_CONFIG_FAILED 4  // the port refused the line settings
#define QUORLINK_ERR_THREAD_FAILED 5  // the background reader could not be started
#define QUORLINK_ERR_BAD_ARGUMENT 6   // null pointer or negative size/capacity

// Returned by every other export (sending, ECR commands, firmware download...). The
// program never calls those: it only listens, so the library implements only the five
// entry points above. The others take no arguments; calling them with arguments on
// 32-bit Windows would unbalance the caller's stack.
#define QUORLINK_NOT_SUPPORTED (-1)

// Highest COM number the library opens (\\.\COM1 .. \\.\COM255).
#define QUORLINK_MAX_PORT 255
