// Tolerant integer tests of reals: a double truncated into 32 bits,
// rounding, tolerant equality and floor, and the whole-number test that the
// shape checks and the scalar functions share.
#pragma once

#include <cstdint>

namespace rt {

// Relative comparison tolerance of tfloor and teq.
inline constexpr double comparisontolerance = 2.22045e-16;

// A double truncated toward zero into 32 bits. Out-of-range values saturate
// and NaN gives 0, so the conversion itself is always defined.
int32_t trunc32(double x);

// x rounded to the nearest int, halves away from zero; 0 for NaN.
int32_t iround(double x);

// 1 when a and b are equal within the comparison tolerance, relative to the
// larger magnitude (numbers of opposite signs never are), else 0.
int32_t teq(double a, double b);

// The tolerant floor of x: the nearest int when x equals it within the
// tolerance, else the floor. Near zero the tolerance is absolute.
int32_t tfloor(double x);

// 1 when x is a whole number within the tolerance (its tolerant floor and
// ceiling agree), else 0; stores the tolerant floor in *floor either way.
int32_t tint(double x, int32_t* floor);

// |x|, and the sign of x as -1, 0 or 1.
double realabs(double x);
double realsign(double x);

}  // namespace rt
