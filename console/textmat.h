// Conversion between a delimited text and a character matrix, and the two
// trimming functions it uses.
#pragma once

#include "runtime/core/array.h"

namespace zelvo {

// With a text: splits it at the delimiter (the first character of chdchf)
// into a matrix with one row per piece, padded with the fill character (the
// second character of chdchf, else a blank). With a matrix: joins its rows,
// each without its trailing fill, with the delimiter between them. Any other
// rank writes "RANK ERROR" and gives no result.
rt::Array txtmat(rt::Array chdchf, rt::Array txt);

// Text without its trailing run of the character ch.
rt::Array droptrail(rt::Array ch, rt::Array text);

// Text without its blanks.
rt::Array noblanks(rt::Array text);

}  // namespace zelvo
