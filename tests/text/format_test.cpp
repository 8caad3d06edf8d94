// The monadic and dyadic formats and the width check.
#include "runtime/text/format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/globals.h"
#include "tests/support/child.h"
#include "tests/support/values.h"

using namespace rt;
using zelvotest::Shape;
using zelvotest::Val;

namespace {

// Puts the print precision (and every other setting) back when a test ends.
struct RestoreGlobals {
  ~RestoreGlobals() { resetglobals(); }
};

// Frees a format's result (detalloc leaves empty ones alone).
void release(Array& a) {
  if (a.rank > 0) std::free(a.shape);
  std::free(a.value);
  descclear(&a);
}

struct Text {
  std::string chars;
  std::vector<int32_t> shape;
};

// The characters and shape of a format result, which is then released.
// Checks the terminating NUL after the last character.
Text take(Array& r) {
  EXPECT_EQ(r.type, Char);
  int32_t n = elemcount(r.rank, r.shape);
  Text t{std::string(static_cast<const char*>(r.value), static_cast<std::size_t>(n)),
         std::vector<int32_t>(r.shape, r.shape + r.rank)};
  EXPECT_EQ(static_cast<const char*>(r.value)[n], '\0');
  release(r);
  return t;
}

Text format(const Array& arg) {
  Array r;
  descclear(&r);
  Format(&r, &arg);
  return take(r);
}

Text dformat(const Val& left, const Val& right) {
  Array r;
  descclear(&r);
  DFormat(&r, &left, &right);
  return take(r);
}

TEST(Format, FieldsFollowThePrintPrecision) {
  RestoreGlobals restore;
  struct Case { Val arg; std::string want; Shape shape; } cases[] = {
      {Val::intscalar(42), "     42", {7}},
      {Val::ints({1, 2, 3}), "      1      2      3", {21}},
      {Val::real(3.14159265), "       3.141593", {15}},
      {Val::ints({1, 2, 3, 4, 5, -6}, {2, 3}), "      1      2      3      4      5     -6", {2, 21}},
      {Val::ints({0, 1}, {2}, Bit), "      0      1", {14}},
      {Val::ints({}), "", {0}},
      {Val::ints({}, {2, 0}), "", {2, 0}},
      {Val::real(-1e-300), "        -1e-300", {15}},
  };
  for (Case& c : cases) {
    Text t = format(*c.arg);
    EXPECT_EQ(t.chars, c.want);
    EXPECT_EQ(t.shape, c.shape) << c.want;
  }
}

TEST(Format, PrintPrecisionIsBoundedTo70) {
  RestoreGlobals restore;
  printprecision = 100;
  Text t = format(*Val::intscalar(5));
  EXPECT_EQ(t.shape, Shape{70});
  EXPECT_EQ(t.chars, std::string(69, ' ') + "5");
  EXPECT_EQ(printprecision, 70);
  printprecision = 100;
  Array r;
  descclear(&r);
  Val left = Val::intscalar(2), right = Val::real(1.5);
  DFormat(&r, &left, &right);
  EXPECT_EQ(printprecision, 70);
  EXPECT_EQ(take(r).shape, Shape{78});
}

TEST(Format, CharactersPassThroughUnchanged) {
  Val c = Val::chars("abc"), l = Val::intscalar(2);
  Array r;
  descclear(&r);
  Format(&r, &c);
  EXPECT_EQ(r.value, c->value);
  EXPECT_EQ(r.shape, c->shape);
  descclear(&r);
  DFormat(&r, &l, &c);
  EXPECT_EQ(r.value, c->value);
  EXPECT_EQ(r.type, Char);
}

TEST(DFormat, WidthsAndPrecisions) {
  RestoreGlobals restore;
  struct Case { Val left; Val right; std::string want; Shape shape; } cases[] = {
      {Val::ints({8, 2}), Val::real(3.14159), "    3.14", {8}},
      {Val::ints({10, -3}), Val::real(12345.678), "  1.23e+04", {10}},
      {Val::ints({6, 2}), Val::intscalar(5), "  5.00", {6}},
      {Val::ints({3, 0}), Val::intscalar(100), "100", {3}},
      {Val::ints({4, 0}), Val::real(-2.5), "  -2", {4}},
      {Val::ints({25, 20}), Val::intscalar(5), "   5." + std::string(20, '0'), {25}},
      {Val::ints({10, -2}), Val::intscalar(-5), "  -5.0e+00", {10}},
      {Val::ints({4, 0, 6, 2}), Val::ints({1, 2, 3, 4}, {2, 2}), "   1  2.00   3  4.00", {2, 10}},
      {Val::ints({3, 0}), Val::ints({1, 2, 3, 4}, {2, 2}), "  1  2  3  4", {2, 6}},
      {Val::intscalar(2), Val::real(2.5), "           2.50", {15}},
      {Val::intscalar(0), Val::intscalar(42), "     42", {7}},
      {Val::ints({1}), Val::intscalar(7), "    7.0", {7}},           // a one-element vector is a scalar
      {Val::reals({8.9, 2.7}, {2}), Val::real(1), "    1.00", {8}},  // non-integers truncate
      {Val::ints({5, 1}), Val::ints({}), "", {0}},
      {Val::ints({}), Val::ints({}, {3, 0}), "", {3, 0}},
  };
  for (Case& c : cases) {
    Text t = dformat(c.left, c.right);
    EXPECT_EQ(t.chars, c.want);
    EXPECT_EQ(t.shape, c.shape) << c.want;
  }
}

TEST(Format, NumbersThatDoNotFitKeepEveryFieldItsWidth) {
  RestoreGlobals restore;
  printprecision = 3;
  EXPECT_EQ(format(*Val::ints({123456, 7, INT_MIN})).chars, "***  7***");
  printprecision = 7;
  EXPECT_EQ(format(*Val::ints({12345678, INT_MIN})).chars, std::string(14, '*'));
  for (int32_t pp : {0, -5, INT_MIN}) {
    printprecision = pp;  // works as 1
    EXPECT_EQ(format(*Val::ints({5, 42, -1})).chars, "5**") << pp;
    EXPECT_EQ(format(*Val::real(3.14)).chars, "        3") << pp;
    EXPECT_EQ(dformat(Val::intscalar(0), Val::intscalar(9)).chars, "9") << pp;
    EXPECT_EQ(printprecision, pp);  // only the upper bound changes the global
  }
  printprecision = 7;
  struct Case { Val left; Val right; std::string want; } cases[] = {
      {Val::ints({7, -2}), Val::real(1e100), "*******"},         // three exponent digits
      {Val::ints({8, -2}), Val::real(-1e-100), "********"},
      {Val::ints({8, -2}), Val::real(1e99), " 1.0e+99"},
      {Val::ints({7, -2}), Val::real(9.99e99), "*******"},       // rounds up to 1.0e+100
      {Val::ints({3, 1}), Val::real(9.99), "***"},               // rounds up to 10.0
      {Val::ints({4, 1}), Val::real(9.99), "10.0"},
      {Val::ints({1, 0}), Val::real(9.5), "*"},
      {Val::ints({3, 1, 2, 0}), Val::reals({9.99, 5}, {2}), "*** 5"},  // the next field is intact
  };
  for (Case& c : cases) EXPECT_EQ(dformat(c.left, c.right).chars, c.want);
}

TEST(FormatDeathTest, Failures) {
  auto run = [](int32_t lw, int32_t lp, const Val& right) {
    Val left = Val::ints({lw, lp});
    Array r;
    descclear(&r);
    DFormat(&r, &left, &right);
  };
  const char* small = RTMSG("DFormat domain error, field width too small") "$";
  EXPECT_RTERROR(run(3, 0, Val::intscalar(1234)),
                 std::string("^\\[DFormat\\] width = 3 \\(need 4\\), number = \\[1234\\]\n") + small);
  EXPECT_RTERROR(run(2, 0, Val::intscalar(100)),
                 std::string("^\\[DFormat\\] width = 2 \\(need 3\\), number = \\[100\\]\n") + small);
  EXPECT_RTERROR(run(3, 2, Val::real(3.14159)),
                 std::string("^\\[DFormat\\] width = 3 \\(need 4\\), number = \\[3\\.14\\]\n") + small);
  EXPECT_RTERROR(run(6, -3, Val::real(-5)),
                 std::string("^\\[DFormat\\] width = 6 \\(need 9\\), number = \\[-5\\.00e\\+00\\]\n") + small);
  EXPECT_RTERROR(run(0, 0, Val::intscalar(0)), "^\\[DFormat\\] width = 0 \\(need 1\\)");
  EXPECT_RTERROR(run(-4, 0, Val::ints({1, 2})), "^\\[DFormat\\] width = -4 \\(need 1\\)");
  // A huge precision: the number is shown with every digit a double can have.
  EXPECT_RTERROR(run(5, INT_MIN, Val::intscalar(1)),
                 std::string("^\\[DFormat\\] width = 5 \\(need 2147483653\\), number = \\[1\\.0+e\\+00\\]\n") + small);
  EXPECT_RTERROR(run(25, 21, Val::intscalar(5)),
                 "^" RTMSG("\\[DFormat\\] domain error, integer precision > 20") "$");
  // The width check comes first.
  EXPECT_RTERROR(run(3, 21, Val::intscalar(5)), "^\\[DFormat\\] width = 3 \\(need 23\\)");

  auto dformat2 = [](const Val& left, const Val& right) {
    Array r;
    descclear(&r);
    DFormat(&r, &left, &right);
  };
  const char* length = RTMSG("\\[DFormat\\] length error") "$";
  EXPECT_RTERROR(dformat2(Val::ints({4, 0, 6}), Val::ints({1, 2})),
                 std::string("^lrank = 1, lshape\\[0\\] = 3, coln = 2\n") + length);
  EXPECT_RTERROR(dformat2(Val::ints({}), Val::ints({1, 2})),
                 std::string("^lrank = 1, lshape\\[0\\] = 0, coln = 2\n") + length);
  EXPECT_RTERROR(dformat2(Val::ints({}, {1, 0}), Val::intscalar(1)),
                 std::string("^lrank = 2, lshape\\[0\\] = 1, coln = 1\n") + length);
  EXPECT_RTERROR(dformat2(Val::ints({}, {4, 0}), Val::ints({1, 2})),
                 std::string("^lrank = 2, lshape\\[0\\] = 4, coln = 2\n") + length);

  const char* unknown = "^" RTMSG("\\[DFormat\\] domain error, unknown type") "$";
  Val odd;
  EXPECT_RTERROR(dformat2(Val::intscalar(2), odd), unknown);
  EXPECT_RTERROR(dformat2(Val::chars("82"), Val::intscalar(1)), unknown);  // the left is never read as bytes
  EXPECT_RTERROR(format(*odd), "^\\[Format\\] type 0 \n" RTMSG("Format domain error, unknown type") "$");

  // A result too large for one allocation stops before any element is read.
  int32_t shape[] = {1 << 28, 2};
  Array big;
  descclear(&big);
  big.type = Int;
  big.rank = 2;
  big.shape = shape;
  EXPECT_RTERROR(format(big), "^request for type 7, size 3758096385\n" RTMSG(
                                  "\\[vectalloc\\] out of memory allocation space") "$");
  // So does a row too long for a shape, even with no rows (it would wrap to a negative length).
  int32_t half = INT32_MAX / 2 + 48;
  EXPECT_RTERROR(dformat2(Val::ints({half, 0, half, 0}), Val::ints({}, {0, 2})),
                 "^request for type 7, size 2147483743\n" RTMSG(
                     "\\[vectalloc\\] out of memory allocation space") "$");
}

}  // namespace
