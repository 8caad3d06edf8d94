// Numbers to characters: the monadic format (fields set by the print
// precision), the dyadic format (widths and precisions from a left argument)
// and the dyadic format's width check.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// The largest print precision the formats work with. A larger setting is
// lowered to it, in the global itself, by both formats.
inline constexpr int32_t maxprintprecision = 70;

// Sets the result to the characters of the argument: each number a
// right-aligned field as wide as the print precision (ints and bits) or the
// print precision plus 8 (reals), the last axis of the shape multiplied by
// that width (a scalar gives a vector). A character argument is the result
// itself. A print precision below 1 works as 1. A number that does not fit
// its field shows as a field of asterisks.
void Format(Array* result, const Array* arg);

// Sets the result to the characters of the right argument, with field width
// and precision from the left: a scalar precision (width as in Format), one
// (width, precision) pair for all columns, or one pair per column of the
// last axis. Precision 0 writes no fraction, p > 0 writes p fraction digits,
// p < 0 writes exponential text with -p significant digits. Every field is
// checked with dfwidth first; a number that still does not fit (a third
// exponent digit, a carry from rounding) shows as a field of asterisks.
void DFormat(Array* result, const Array* left, const Array* right);

// Whether a field of width w holds v at precision p: returns 1 if so,
// otherwise writes the width, the width needed and the number on the error
// stream and stops.
int32_t dfwidth(double v, int32_t w, int32_t p);

}  // namespace rt
