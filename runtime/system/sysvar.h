// The system variables (print precision, random link, index origin, the
// argument matrix, the stream map OMAP, the time stamp, the clock and the
// shell), the bxdl sleep and the hundredths delay.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Codes of sysvar.
enum SysvarCode : int32_t {
  PrintPrecision = 0,
  RandomLink = 2,
  IndexOrigin = 3,
  ArgMatrix = 4,
  OMAP = 5,
  TimeStamp = 6,
  ClockSeconds = 7,
  Shell = 21,
};

// Reads or sets the system variable with this code. An undefined right
// argument only reads; otherwise it is the new value, or the command for
// shell. The left argument is not used. Results of codes 0, 2, 3, 4, 5 and 6
// are fixed descriptors over runtime storage that the next call of the code
// rewrites (the argument matrix is built once): callers copy what they keep.
void sysvar(int32_t code, Array* result, const Array* left, const Array* right);

// Sleeps for the right argument's seconds (its first element) and gives the
// seconds that really passed, as a real scalar. A sleep cut short by a signal
// is reported on the error stream and not resumed; a negative duration sleeps
// not at all.
void bxdl(Array* result, const Array* right);

// Sleeps h hundredths of a second (nothing for h <= 0).
void delay(int32_t h);

}  // namespace rt
