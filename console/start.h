// The console's entry point.
#pragma once

#include "console/window.h"
#include "runtime/core/array.h"

namespace zelvo {

// Runs the whole program: keeps the arguments for the runtime, creates the
// globals, opens the terminal window as `window` says, runs the key loop,
// releases the globals. Returns the exit status: 0, or 1 (with a line on
// standard error) when the window never came up; ends as readergone does
// when the reader of standard output went away.
int zelvomain(int argc, char** argv, const WindowSetup& window = WindowSetup());

// The reader of standard output has gone: the process ends as the next
// write there would end it, by SIGPIPE. When SIGPIPE is ignored (or
// handled, or blocked), it writes "zelvo: the reader has gone" on standard
// error and returns the exit status 1.
int readergone();

// The tails of the start and stop announcements.
extern const char* const startedtext;
extern const char* const stoppedtext;

// An announcement: " ... ", then the prompt, then `tail`, as one character
// vector.
rt::Array announcement(const char* tail);

}  // namespace zelvo
