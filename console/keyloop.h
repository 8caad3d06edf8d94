// keyloop: the console's keyboard command loop.
#pragma once

#include <functional>

#include "runtime/core/array.h"

namespace zelvo {

struct KeyState;

// Prompts on the terminal xttty, reads key batches, edits the line, and hands
// each completed line to standard output: its characters, then its byte
// count right-aligned in the print-precision width and a line break. Returns
// after a line ending in "quit" or "exit", or when a read delivers nothing:
// true, or false when already the first read (the window's greeting)
// delivered nothing, so that no window ever came up.
bool keyloop(rt::Array prompt, rt::Array xttty);

// The same, calling `afterbatch` whenever a batch has been handled (for
// tests and checks of the loop's state).
bool keyloop(rt::Array prompt, rt::Array xttty, const std::function<void(const KeyState&)>& afterbatch);

}  // namespace zelvo
