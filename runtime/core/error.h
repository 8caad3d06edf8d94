// The runtime's only ways to fail: a message on the error stream and exit 1.
#pragma once

namespace rt {

// Writes "apl run-time error: \n<message>\n" on the error stream and exits 1.
[[noreturn]] void rterror(const char* message);

// Writes "system error: <message> (<errno>[: <text>])\n" and exits 1.
[[noreturn]] void syserror(const char* message);

}  // namespace rt
