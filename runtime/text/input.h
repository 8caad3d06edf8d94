// Evaluated input and character input: numbers and lines read from a stream.
#pragma once

#include <cstdint>
#include <cstdio>

#include "runtime/core/array.h"

namespace rt {

// Writes the prompt ".bx:\n" on standard output, then reads one line of
// numbers from the stream into result: a scalar for one number, a vector
// for several, an empty vector for none; integers until a real is read.
// Reading ends at the end of the line or at the first character that cannot
// start a number (which is consumed and reported; the rest of the line stays
// in the stream). End of file before the end of the line stops the program.
void quadin(FILE* stream, Array* result);

// Reads the next number of the line into numtoken and returns its code (2
// integer, 3 real), or 0 at the end of the line (the newline consumed) or at
// a character that cannot start a number (reported on the error stream).
int32_t quadnum(FILE* stream);

// Reads one line of at most 80 characters into result, a character vector
// (a scalar for one character). The newline is consumed, not stored; the
// rest of a longer line stays in the stream.
void lineread(FILE* stream, Array* result);

}  // namespace rt
