// ibinomial and binomial: k!n on ints and on reals, extended to negative
// integer arguments by the reflection rules of the binomial coefficients.
#include <cstdint>

#include "runtime/core/error.h"
#include "runtime/core/shape.h"
#include "runtime/core/tolerant.h"
#include "runtime/scalar/dyadic.h"
#include "runtime/scalar/numeric.h"

namespace rt {

// n!k for 0 <= k <= n as a running product over the shorter of k and n - k
// factors, each at least 1, rounded to the nearest int. The product never
// falls, so once it passes the int range the (saturated) answer is known
// and the loop stops: a count near the int range costs no more than a few
// dozen steps.
static int32_t choose(int32_t k, int32_t n) {
  int64_t m = int64_t{n} - k < k ? int64_t{n} - k : k;
  double b = 1.0, top = n;
  for (int64_t d = m; d > 0 && b < 2147483648.0; --d, top -= 1.0)
    b = top * (b / static_cast<double>(d));
  return trunc32(b + 0.5);
}

int32_t ibinomial(int32_t k, int32_t n) {
  // n - k in 32-bit arithmetic: with k >= 0 > n it comes out non-negative
  // only by wrapping around.
  int32_t d = static_cast<int32_t>(int64_t{n} - k);
  if (k < 0 && n >= 0) return 0;
  if (k < 0) {
    if (d < 0) return 0;
    int32_t r = ibinomial(iabs(n + 1), iabs(k + 1));
    return d % 2 != 0 ? -r : r;
  }
  if (n < 0) {
    if (d >= 0) rterror("[binomial] domain error");
    int32_t r = ibinomial(k, static_cast<int32_t>(int64_t{k} - n - 1));
    return k % 2 != 0 ? -r : r;
  }
  if (d < 0) return 0;
  return choose(k, n);
}

double binomial(double k, double n) {
  double d = n - k;
  bool kneg = isnegint(k) != 0, nneg = isnegint(n) != 0;
  if (kneg && nneg) {
    if (isnegint(d)) return 0.0;
    double r = binomial(realabs(n + 1.0), realabs(k + 1.0));
    return iseven(d) ? r : -r;
  }
  if (kneg) return 0.0;
  if (nneg) {
    if (!isnegint(d)) rterror("[binomial] domain error");
    double r = binomial(k, realabs(k - n - 1.0));
    return iseven(k) ? r : -r;
  }
  if (isnegint(d)) return 0.0;
  return gammafn(n + 1.0) / (gammafn(d + 1.0) * gammafn(k + 1.0));
}

}  // namespace rt
