// trunc32, iround, teq, tfloor, tint, realabs and realsign.
#include "runtime/core/tolerant.h"

#include <cmath>

namespace rt {

int32_t trunc32(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(x);
}

int32_t iround(double x) {
  if (!(x > 0.0) && !(x < 0.0)) return 0;
  double f = std::floor(x);
  double d = x - f;
  // Halves go away from zero.
  bool down = x > 0.0 ? d < 0.5 : d <= 0.5;
  return trunc32(down ? f : f + 1.0);
}

int32_t teq(double a, double b) {
  if (a == b) return 1;
  if (realsign(a) != realsign(b)) return 0;
  // "A > B - B*ct" is tested as "B - A < B*ct": the same comparison, but
  // the difference of two close numbers is exact, so a one-unit difference
  // near 1 is not lost to rounding.
  double A = realabs(a), B = realabs(b);
  if (A < B) return B - A < B * comparisontolerance ? 1 : 0;
  return A - B < A * comparisontolerance ? 1 : 0;
}

int32_t tfloor(double x) {
  int32_t r = iround(x);
  if (r < x) return r;
  if (r != 0) return teq(x, r) ? r : r - 1;
  // Near zero the tolerance is absolute.
  return x < -comparisontolerance ? -1 : 0;
}

int32_t tint(double x, int32_t* floor) {
  *floor = tfloor(x);
  return -tfloor(-x) == *floor ? 1 : 0;
}

double realabs(double x) { return x < 0.0 ? -x : x; }

double realsign(double x) { return x < 0.0 ? -1.0 : x > 0.0 ? 1.0 : 0.0; }

}  // namespace rt
