// The runtime's only ways to fail: a message on the error stream and exit 1.
#pragma once

namespace rt {

// What rterror and syserror call to end the process, with status 1: exit by
// default. A harness that must outlive a stop (a fuzz target) puts in one
// that jumps back to itself; one that returns still ends the process.
extern void (*errorexit)(int status);

// Writes "apl run-time error: \n<message>\n" on the error stream and exits 1.
[[noreturn]] void rterror(const char* message);

// Writes "system error: <message> (<errno>[: <text>])\n" and exits 1.
[[noreturn]] void syserror(const char* message);

}  // namespace rt
