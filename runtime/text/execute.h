// Execute: numbers written in a character array turned into a numeric value.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Reads the blank-, tab- or newline-separated numbers of the character array
// `argument` into result: a scalar for one number, a vector for several, the
// empty integer vector for none; integers until a real is read. A token that
// holds no number stops the program; one with a number followed by other
// characters is reported and its number used.
void execute(Array* result, const Array* argument);

// Reads the number a text holds into numtoken and returns its code (2
// integer, 3 real), or 0 when the text is blank or holds no number.
// Characters after the number, or a text with no number, are reported on the
// error stream.
int32_t execnum(const char* text);

}  // namespace rt
