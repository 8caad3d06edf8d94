// Displaying values: one element under the print precision, the line breaks
// that follow it, and a whole array.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Prints the element in the cell on the output stream, then `breaks` line breaks.
void printit(const Cell* cell, int32_t type, int32_t breaks);

// Line breaks after element i when an array of this rank and shape is shown.
int32_t nlcount(int32_t i, int32_t rank, const int32_t* shape);

// Shows every element in row-major order; an empty array prints nothing.
void display(const Array& a);

}  // namespace rt
