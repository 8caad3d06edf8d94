// Gamma, the integer tests of the real binomial and encode.
#include "runtime/scalar/numeric.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/child.h"

using namespace rt;

namespace {

TEST(Numeric, Gamma) {
  struct Case { double x, want, tol; } cases[] = {
      {5, 24, 1e-12},
      {1, 1, 1e-15},
      {0.5, 1.77245385090552, 1e-13},
      {-0.5, -3.54490770181103, 1e-13},
      {1e-20, 1e20, 1e6},    // tiny arguments: 1/x
      {20, 121645100408832000.0, 1e4},
      {3.5, 3.323350970447843, 1e-13},
      {-1.5, 2.363271801207355, 1e-13},
  };
  for (auto c : cases) EXPECT_NEAR(gammafn(c.x), c.want, c.tol) << c.x;
  for (double pole : {0.0, -1.0, -2.0, 172.0, 1e-309}) EXPECT_EQ(gammafn(pole), gammaoverflow) << pole;
}

TEST(Numeric, IntegerTests) {
  struct Case { double x; int32_t negint, even; } cases[] = {
      {-3, 1, 0}, {-0.5, 0, 0}, {-2.9999999, 0, 0}, {3, 0, 0}, {4, 0, 1}, {-4, 1, 1},
  };
  for (auto c : cases) {
    EXPECT_EQ(isnegint(c.x), c.negint) << c.x;
    EXPECT_EQ(iseven(c.x), c.even) << c.x;
  }
}

TEST(Numeric, Encode) {
  struct Case { int32_t radix, value, digit, rest; } cases[] = {
      {10, 1234, 4, 123}, {0, 1234, 1234, 0}, {10, -7, 3, -1}, {-10, 7, -3, -1},
  };
  for (auto c : cases) {
    Cell digit, radix{.i = c.radix}, value{.i = c.value};
    encode(&digit, &radix, Int, &value, Int);
    EXPECT_EQ(digit.i, c.digit) << c.radix << " " << c.value;
    EXPECT_EQ(value.i, c.rest) << c.radix << " " << c.value;
  }
  Cell digit, radix{.r = 2.5}, value{.r = 7.0};
  encode(&digit, &radix, Real, &value, Real);
  EXPECT_DOUBLE_EQ(digit.r, 2.0);
  EXPECT_DOUBLE_EQ(value.r, 2.0);
  Cell big{.r = 1e300}, one{.r = 3.0};
  encode(&digit, &one, Real, &big, Real);  // past a double's precision: digit 0
  EXPECT_EQ(digit.r, 0.0);
  EXPECT_DOUBLE_EQ(big.r, 1e300 / 3.0);
  Cell ival{.i = 17}, rrad{.r = 5.0};
  encode(&digit, &rrad, Real, &ival, Int);  // an int value is written back as an int
  EXPECT_EQ(digit.r, 2.0);
  EXPECT_EQ(ival.i, 3);
}

TEST(NumericDeathTest, EncodeRefusesCharacters) {
  Cell digit, a{.c = 'a'}, b{.c = 'b'}, n{.i = 1};
  EXPECT_RTERROR(encode(&digit, &a, Char, &b, Char), "^" RTMSG("type error for encode function") "$");
  EXPECT_RTERROR(encode(&digit, &a, Char, &n, Int), "^" RTMSG("illegal conversion to char") "$");
}

}  // namespace
