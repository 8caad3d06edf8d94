// keyloop: the console's keyboard command loop.
#pragma once

#include <functional>

#include "runtime/core/array.h"

namespace zelvo {

struct KeyState;

// How the loop ended: the window never answered (already the first read,
// the window's greeting, delivered nothing); it ended as it should (a line
// ending in "quit" or "exit", or a read that delivered nothing); it ended
// so after some line did not reach standard output whole; or the reader of
// standard output went away while the loop waited for keys.
enum class LoopEnd { NoWindow, Ended, LinesLost, ReaderGone };

// Prompts on the terminal xttty, reads keys, edits the line, and hands each
// completed line to standard output: its characters, then its byte count
// right-aligned in the print-precision width and a line break. A line that
// does not get there whole is reported in the window, and the loop goes on.
LoopEnd keyloop(rt::Array prompt, rt::Array xttty);

// The same, calling `afterbatch` before every read after the window's
// greeting (for tests and checks of the loop's state).
LoopEnd keyloop(rt::Array prompt, rt::Array xttty, const std::function<void(const KeyState&)>& afterbatch);

}  // namespace zelvo
