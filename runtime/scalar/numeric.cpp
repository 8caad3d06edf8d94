// gammafn, isnegint, iseven and encode.
#include "runtime/scalar/numeric.h"

#include <cmath>
#include <cstdint>

#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/tolerant.h"

namespace rt {

// Gamma by Cody's rational Chebyshev approximation: a rational function on
// (1, 2), the recurrence to reach it from (0, 12), Stirling's series above
// 12, and the reflection formula for non-positive arguments.
double gammafn(double x) {
  static const double p[8] = {-1.716185138865495,  24.76565080557592,   -379.80425647094563,
                              629.3311553128184,   866.9662027904133,   -31451.272968848367,
                              -36144.413418691176, 66456.14382024054};
  static const double q[8] = {-30.840230011973897, 315.35062697960416,  -1015.1563674902192,
                              -3107.771671572311,  22538.11842098015,   4755.846277527881,
                              -134659.9598649693,  -115132.25967555349};
  static const double c[7] = {-0.001910444077728,      0.00084171387781295,
                              -0.0005952379913043012,  0.0007936507935003503,
                              -0.0027777777777776816,  0.08333333333333333,
                              0.0057083835261};
  const double pi = 3.141592653589793;
  const double lnsqrt2pi = 0.9189385332046728;
  const double xbig = 171.624, xminin = 2.23e-308, eps = 2.22e-16;

  double y = x, fact = 1.0, res;
  bool parity = false;
  if (y <= 0.0) {
    y = -x;
    double y1 = std::floor(y);
    double r = y - y1;
    if (r == 0.0) return gammaoverflow;
    if (y1 != 2.0 * std::floor(y1 / 2.0)) parity = true;
    fact = -pi / std::sin(pi * r);
    y += 1.0;
  }
  if (y < eps) {
    if (y < xminin) return gammaoverflow;
    res = 1.0 / y;
  } else if (y < 12.0) {
    double y1 = y, z;
    int n = 0;
    if (y < 1.0) {
      z = y;
      y += 1.0;
    } else {
      n = static_cast<int>(std::floor(y)) - 1;
      y -= n;
      z = y - 1.0;
    }
    double xnum = 0.0, xden = 1.0;
    for (int i = 0; i < 8; ++i) {
      xnum = (xnum + p[i]) * z;
      xden = xden * z + q[i];
    }
    res = xnum / xden + 1.0;
    if (y1 < y) {
      res /= y1;
    } else if (y1 > y) {
      for (int i = 0; i < n; ++i) {
        res *= y;
        y += 1.0;
      }
    }
  } else {
    if (y > xbig) return gammaoverflow;
    double ysq = y * y, sum = c[6];
    for (int i = 0; i < 6; ++i) sum = sum / ysq + c[i];
    sum = sum / y - y + lnsqrt2pi;
    sum += (y - 0.5) * std::log(y);
    res = std::exp(sum);
  }
  if (parity) res = -res;
  if (fact != 1.0) res = fact / res;
  return res;
}

int32_t isnegint(double x) {
  if (x > -0.5) return 0;
  double t = trunc32(x);
  return std::fabs(t - x) < integertolerance ? 1 : 0;
}

int32_t iseven(double x) {
  double k = trunc32(x / 2.0);
  return std::fabs(x - 2.0 * k) < integertolerance ? 1 : 0;
}

void encode(Cell* digit, const Cell* radix, int32_t radixtype, Cell* value, int32_t valuetype) {
  int32_t wt = radixtype > valuetype ? radixtype : valuetype;
  Cell L, V;
  cktype2(&L, wt, radix, radixtype);
  cktype2(&V, wt, value, valuetype);
  if (wt == Bit || wt == Int) {
    int64_t l = L.i, v = V.i, d = v, rest = 0;
    if (l != 0) {
      int64_t q = v / l;
      if ((v % l != 0) && ((v < 0) != (l < 0))) --q;  // floor division
      d = v - l * q;
      rest = (v - d) / l;
    }
    digit->i = static_cast<int32_t>(d);
    value->i = static_cast<int32_t>(rest);
  } else if (wt == Real) {
    double l = L.r, v = V.r, d = v, rest = 0.0;
    if (l != 0.0) {
      double q = std::floor(v / l);
      double p = q * l;
      if (p + 1.0 == p) {  // the product is past a double's precision
        d = 0.0;
        rest = v / l;
      } else {
        d = v - p;
        rest = q;
      }
    }
    digit->r = d;
    if (valuetype == Real)
      value->r = rest;
    else
      value->i = trunc32(rest);
  } else {
    rterror("type error for encode function");
  }
}

}  // namespace rt
