// services: the runtime's system functions as the console calls them. The
// runtime's functions fill a result descriptor that the caller supplies;
// each wrapper here supplies it and gives the value back, fresh and owned
// by the caller (hold it in a Var or a Temp). The arguments are only read.
// Beside them, the calls through which the key loop waits for its terminal
// and reads keys and pastes, straight through the system-call wrappers.
#pragma once

#include <string>

#include "runtime/core/array.h"

namespace zelvo {

// What a wait for the terminal came to: it has something to read (or has
// ended, or the wait failed: the read tells); the time ran out first; or
// the reader of standard output has gone.
enum class Waited { Ready, Timeout, ReaderGone };

// Waits until the terminal tty has something to read, for at most timeoutms
// (-1: without end), watching standard output meanwhile: a pipe whose
// reader has gone reports an error, a socket or terminal a hangup, and
// either ends the wait at once. A regular file, or a standard output that
// is not open, is not watched.
Waited waitinput(const rt::Array& tty, int timeoutms);

// Sleeps h hundredths of a second, as the runtime's read pauses.
void pause(int32_t hundredths);

// One read of at most 80 bytes from the terminal tty, as the runtime's read
// of a terminal gives it (a scalar for one byte, an empty vector at end of
// input or on a read error) but without its pause: call it when waitinput
// has found tty ready, after a pause of the caller's.
rt::Array keysfrom(const rt::Array& tty);

// Appends to bytes what the terminal tty has ready, in one read as large as
// it gives, without a pause, waiting in the read while it has nothing;
// gives the count, 0 at end of input or on a read error.
int32_t readready(const rt::Array& tty, std::string& bytes);

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
