// services: the runtime's system functions as the console calls them. The
// runtime's functions fill a result descriptor that the caller supplies;
// each wrapper here supplies it and gives the value back, fresh and owned
// by the caller (hold it in a Var or a Temp). The arguments are only read.
#pragma once

#include "runtime/core/array.h"

namespace zelvo {

// All that the descriptor (or the named file) has ready, as characters: a
// scalar for one byte, an empty vector at end of input or on a read error.
rt::Array readfrom(const rt::Array& file);

// Writes every byte of value to dest (the rest after a short count); gives
// the count written: all of them, or after a failure those written before it
// (-1 when none). The runtime reports a failure on the error stream; with
// `error`, it reports nothing and *error is the system's reason instead (an
// errno value, 0 when every byte was written).
rt::Array writeto(const rt::Array& dest, const rt::Array& value, int* error = nullptr);

// Opens the named file with the mode letters: the descriptor, or -1 when
// the system refuses.
rt::Array openfile(const rt::Array& mode, const rt::Array& name);

// Closes every descriptor given: the list of those that closed (a refusal
// is reported on the error stream).
rt::Array closefds(const rt::Array& fds);

// Runs the command text through the shell and waits for it: its status as
// system gives it.
rt::Array runshell(const rt::Array& command);

// Runs the command under the shell with input on its standard input: all it
// writes on its standard output.
rt::Array piped(const rt::Array& command, const rt::Array& input);

// The characters of a value, each number a field as wide as the print
// precision.
rt::Array format(const rt::Array& value);

// An int vector as long as text: 1 where the whole pattern begins, else 0.
rt::Array findin(const rt::Array& text, const rt::Array& pattern);

}  // namespace zelvo
