// Numeric helpers of the scalar functions: gamma, the integer tests of the
// real binomial, and one step of the representation function.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Absolute tolerance of isnegint and iseven (a different constant on purpose).
inline constexpr double integertolerance = 2.22e-16;
// What gammafn gives at its poles and beyond its range.
inline constexpr double gammaoverflow = 1.79e308;

double gammafn(double x);
int32_t isnegint(double x);
int32_t iseven(double x);
void encode(Cell* digit, const Cell* radix, int32_t radixtype, Cell* value, int32_t valuetype);

}  // namespace rt
