// Numeric helpers shared by the scalar functions and the structural checks:
// gamma, the integer tests of the real binomial, tolerant floor, equality and
// integer test, rounding, and one step of the representation function.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Relative comparison tolerance of tfloor and teq.
inline constexpr double comparisontolerance = 2.22045e-16;
// Absolute tolerance of isnegint and iseven (a different constant on purpose).
inline constexpr double integertolerance = 2.22e-16;
// What gammafn gives at its poles and beyond its range.
inline constexpr double gammaoverflow = 1.79e308;

double gammafn(double x);
int32_t isnegint(double x);
int32_t iseven(double x);
int32_t iround(double x);
int32_t tfloor(double x);
int32_t teq(double a, double b);
int32_t tint(double x, int32_t* floor);
void encode(Cell* digit, const Cell* radix, int32_t radixtype, Cell* value, int32_t valuetype);
double realabs(double x);
double realsign(double x);

// A double truncated toward zero into 32 bits. Out-of-range values saturate
// and NaN gives 0, so the conversion itself is always defined.
int32_t trunc32(double x);

}  // namespace rt
