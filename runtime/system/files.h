// The file and descriptor functions: open, read and the reader behind it,
// write, fwrite, lseek, fcntl, close, and the two empty-vector constructors.
//
// A file is designated by a character name, by an int or bit descriptor, or
// by the empty character vector for the standard stream. Every function
// fills the caller's result descriptor without releasing what it held; the
// arguments are only read. Failures end the program through rterror, except
// where a function's comment says it reports a line and goes on.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Opens the named file with the flags spelt by the mode letters (r, w, c, a,
// n) and permission bits 0664; the result is the descriptor, -1 when the
// system refuses (without a message), 0 for the empty name. With an int or
// bit count n instead of a name it creates n pipes and gives their 2n ends.
void open(Array* result, const Array* mode, const Array* name);

// All that a descriptor, or a file by name, has to give, as characters: a
// scalar for exactly one byte, else a vector. A missing file is reported on
// the error stream and gives an empty vector.
void read(Array* result, const Array* name);

// The reader behind read and pipe: a 10 ms pause before every read call;
// a terminal is read with one call, a regular file whole from its position
// on, anything else is drained until end of file or an error (a read that a
// signal interrupts is made again). More bytes than an array can hold
// (2^31 - 1) stop the program with a run-time error.
void readfd(Array* result, int32_t fd);

// Writes the value's first n bytes (n its element count) to a descriptor,
// all of them: the rest after a short count, until every byte is written or
// a call fails. The result is n, or after a failure the count written before
// it (-1 when none was); a failure is reported on the error stream with the
// system's reason. A character name replaces the file, as fwrite with mode
// "w".
void write(Array* result, const Array* dest, const Array* value);

// The same, but a failure is the caller's to report: nothing goes on the
// error stream, and *failure is the system's reason (an errno value), 0
// when every byte was written.
void write(Array* result, const Array* dest, const Array* value, int* failure);

// Writes the text to the named file through a stdio stream, opened with mode
// "w" (replace) or "a" (append); the empty name writes to the output stream.
// The result is 1. A file that cannot be opened, or that does not take every
// byte (a write or the close fails), stops the program with a run-time error.
void fwrite(Array* result, const Array* name, const Array* text, const char* mode);

// Moves a descriptor's position: whence "b", "c" or "e", right (fd, offset).
// Every success writes a trace line on the error stream; the result is the
// new offset. A new offset beyond the int range is a run-time error.
void lseek(Array* result, const Array* whence, const Array* fdoffset);

// Sets (or with "-" clears) the append ("a") and non-blocking ("n") status
// flags of every descriptor given. The result is 1.
void fcntl(Array* result, const Array* flags, const Array* fds);

// Closes every descriptor given; a refusal is reported on the error stream
// and the descriptor is left out of the result, the list of those closed.
void close(Array* result, const Array* fds);

// Make d an empty int or char vector over the shared empty-vector shape; the
// value pointer and the storage mark are left as they were.
void mkemptyivect(Array* d);
void mkemptycvect(Array* d);

}  // namespace rt
