// aside: what the key loop says on standard error while it runs (the bell,
// a line not delivered). Standard error is shared with other processes and
// may be a pipe that nobody drains: the loop never waits for it.
#pragma once

#include "runtime/core/array.h"

namespace zelvo {

// Writes text on standard error when it can take it at once (poll reports
// room), else drops it. Standard error is never made non-blocking, since
// other processes share it; one whose reader has gone takes nothing.
void aside(const rt::Array& text);

}  // namespace zelvo
