// The element loops of the primitives that the console's functions use. The
// runtime computes shapes and steps; the elements move here, through getmp
// and setmp, and nowhere else in the console.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace zelvo {

// A character vector holding the bytes of s.
rt::Array charvec(const char* s);
// A fresh integer scalar.
rt::Array intscalar(int32_t v);
// A fresh character scalar.
rt::Array charscalar(char c);
// An element-by-element duplicate of a, with its own shape and storage.
rt::Array copyof(const rt::Array& a);
// The first element of a numeric value as an int (reals are refused).
int32_t firstint(const rt::Array& a);
// The length of a vector: the first shape element (1 for a scalar).
int32_t length(const rt::Array& a);

}  // namespace zelvo
