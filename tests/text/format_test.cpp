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

using namespace rt;

namespace {

// Puts the print precision (and every other setting) back when a test ends.
struct RestoreGlobals {
  ~RestoreGlobals() { resetglobals(); }
};

// A freshly allocated array of the given type and shape holding `values`.
template <typename T>
Array make(int32_t type, std::vector<int32_t> shape, std::vector<T> values) {
  Array a;
  descclear(&a);
  descset(&a, type, static_cast<int32_t>(shape.size()), shape.data());
  int32_t n = descalloc(&a);
  if (n > 0) std::memcpy(a.value, values.data(), sizeof(T) * static_cast<std::size_t>(n));
  return a;
}
Array intarray(std::vector<int32_t> shape, std::vector<int32_t> v) { return make(Int, shape, v); }
Array realarray(std::vector<int32_t> shape, std::vector<double> v) { return make(Real, shape, v); }
Array intscalar(int32_t v) { return intarray({}, {v}); }
Array realscalar(double v) { return realarray({}, {v}); }

// Frees an array made by make or by a format (detalloc leaves empty ones alone).
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

Text format(Array arg) {
  Array r;
  descclear(&r);
  Format(&r, &arg);
  release(arg);
  return take(r);
}

Text dformat(Array left, Array right) {
  Array r;
  descclear(&r);
  DFormat(&r, &left, &right);
  release(left);
  release(right);
  return take(r);
}

using Shape = std::vector<int32_t>;

TEST(Format, FieldsFollowThePrintPrecision) {
  RestoreGlobals restore;
  struct Case { Array arg; std::string want; Shape shape; } cases[] = {
      {intscalar(42), "     42", {7}},
      {intarray({3}, {1, 2, 3}), "      1      2      3", {21}},
      {realscalar(3.14159265), "       3.141593", {15}},
      {intarray({2, 3}, {1, 2, 3, 4, 5, -6}), "      1      2      3      4      5     -6", {2, 21}},
      {make<int32_t>(Bit, {2}, {0, 1}), "      0      1", {14}},
      {intarray({0}, {}), "", {0}},
      {intarray({2, 0}, {}), "", {2, 0}},
      {realscalar(-1e-300), "        -1e-300", {15}},
  };
  for (Case& c : cases) {
    Text t = format(c.arg);
    EXPECT_EQ(t.chars, c.want);
    EXPECT_EQ(t.shape, c.shape) << c.want;
  }
}

TEST(Format, PrintPrecisionIsBoundedTo70) {
  RestoreGlobals restore;
  printprecision = 100;
  Text t = format(intscalar(5));
  EXPECT_EQ(t.shape, Shape{70});
  EXPECT_EQ(t.chars, std::string(69, ' ') + "5");
  EXPECT_EQ(printprecision, 70);
  printprecision = 100;
  Array r;
  descclear(&r);
  Array left = intscalar(2), right = realscalar(1.5);
  DFormat(&r, &left, &right);
  EXPECT_EQ(printprecision, 70);
  EXPECT_EQ(take(r).shape, Shape{78});
  release(left);
  release(right);
}

TEST(Format, CharactersPassThroughUnchanged) {
  Array c;
  descclear(&c);
  mkcvect(&c, "abc");
  Array r, l = intscalar(2);
  descclear(&r);
  Format(&r, &c);
  EXPECT_EQ(r.value, c.value);
  EXPECT_EQ(r.shape, c.shape);
  descclear(&r);
  DFormat(&r, &l, &c);
  EXPECT_EQ(r.value, c.value);
  EXPECT_EQ(r.type, Char);
  release(c);
  release(l);
}

TEST(DFormat, WidthsAndPrecisions) {
  RestoreGlobals restore;
  struct Case { Array left; Array right; std::string want; Shape shape; } cases[] = {
      {intarray({2}, {8, 2}), realscalar(3.14159), "    3.14", {8}},
      {intarray({2}, {10, -3}), realscalar(12345.678), "  1.23e+04", {10}},
      {intarray({2}, {6, 2}), intscalar(5), "  5.00", {6}},
      {intarray({2}, {3, 0}), intscalar(100), "100", {3}},
      {intarray({2}, {4, 0}), realscalar(-2.5), "  -2", {4}},
      {intarray({2}, {25, 20}), intscalar(5), "   5." + std::string(20, '0'), {25}},
      {intarray({2}, {10, -2}), intscalar(-5), "  -5.0e+00", {10}},
      {intarray({4}, {4, 0, 6, 2}), intarray({2, 2}, {1, 2, 3, 4}), "   1  2.00   3  4.00", {2, 10}},
      {intarray({2}, {3, 0}), intarray({2, 2}, {1, 2, 3, 4}), "  1  2  3  4", {2, 6}},
      {intscalar(2), realscalar(2.5), "           2.50", {15}},
      {intscalar(0), intscalar(42), "     42", {7}},
      {intarray({1}, {1}), intscalar(7), "    7.0", {7}},           // a one-element vector is a scalar
      {realarray({2}, {8.9, 2.7}), realscalar(1), "    1.00", {8}},  // non-integers truncate
      {intarray({2}, {5, 1}), intarray({0}, {}), "", {0}},
      {intarray({0}, {}), intarray({3, 0}, {}), "", {3, 0}},
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
  EXPECT_EQ(format(intarray({3}, {123456, 7, INT_MIN})).chars, "***  7***");
  printprecision = 7;
  EXPECT_EQ(format(intarray({2}, {12345678, INT_MIN})).chars, std::string(14, '*'));
  for (int32_t pp : {0, -5, INT_MIN}) {
    printprecision = pp;  // works as 1
    EXPECT_EQ(format(intarray({3}, {5, 42, -1})).chars, "5**") << pp;
    EXPECT_EQ(format(realscalar(3.14)).chars, "        3") << pp;
    EXPECT_EQ(dformat(intscalar(0), intscalar(9)).chars, "9") << pp;
    EXPECT_EQ(printprecision, pp);  // only the upper bound changes the global
  }
  printprecision = 7;
  struct Case { Array left; Array right; std::string want; } cases[] = {
      {intarray({2}, {7, -2}), realscalar(1e100), "*******"},         // three exponent digits
      {intarray({2}, {8, -2}), realscalar(-1e-100), "********"},
      {intarray({2}, {8, -2}), realscalar(1e99), " 1.0e+99"},
      {intarray({2}, {7, -2}), realscalar(9.99e99), "*******"},       // rounds up to 1.0e+100
      {intarray({2}, {3, 1}), realscalar(9.99), "***"},               // rounds up to 10.0
      {intarray({2}, {4, 1}), realscalar(9.99), "10.0"},
      {intarray({2}, {1, 0}), realscalar(9.5), "*"},
      {intarray({4}, {3, 1, 2, 0}), realarray({2}, {9.99, 5}), "*** 5"},  // the next field is intact
  };
  for (Case& c : cases) EXPECT_EQ(dformat(c.left, c.right).chars, c.want);
}

TEST(FormatDeathTest, Failures) {
  auto run = [](int32_t lw, int32_t lp, Array right) {
    Array left = intarray({2}, {lw, lp}), r;
    descclear(&r);
    DFormat(&r, &left, &right);
  };
  const char* small = RTMSG("DFormat domain error, field width too small") "$";
  EXPECT_RTERROR(run(3, 0, intscalar(1234)),
                 std::string("^\\[DFormat\\] width = 3 \\(need 4\\), number = \\[1234\\]\n") + small);
  EXPECT_RTERROR(run(2, 0, intscalar(100)),
                 std::string("^\\[DFormat\\] width = 2 \\(need 3\\), number = \\[100\\]\n") + small);
  EXPECT_RTERROR(run(3, 2, realscalar(3.14159)),
                 std::string("^\\[DFormat\\] width = 3 \\(need 4\\), number = \\[3\\.14\\]\n") + small);
  EXPECT_RTERROR(run(6, -3, realscalar(-5)),
                 std::string("^\\[DFormat\\] width = 6 \\(need 9\\), number = \\[-5\\.00e\\+00\\]\n") + small);
  EXPECT_RTERROR(run(0, 0, intscalar(0)), "^\\[DFormat\\] width = 0 \\(need 1\\)");
  EXPECT_RTERROR(run(-4, 0, intarray({2}, {1, 2})), "^\\[DFormat\\] width = -4 \\(need 1\\)");
  // A huge precision: the number is shown with every digit a double can have.
  EXPECT_RTERROR(run(5, INT_MIN, intscalar(1)),
                 std::string("^\\[DFormat\\] width = 5 \\(need 2147483653\\), number = \\[1\\.0+e\\+00\\]\n") + small);
  EXPECT_RTERROR(run(25, 21, intscalar(5)),
                 "^" RTMSG("\\[DFormat\\] domain error, integer precision > 20") "$");
  // The width check comes first.
  EXPECT_RTERROR(run(3, 21, intscalar(5)), "^\\[DFormat\\] width = 3 \\(need 23\\)");

  auto dformat2 = [](Array left, Array right) {
    Array r;
    descclear(&r);
    DFormat(&r, &left, &right);
  };
  const char* length = RTMSG("\\[DFormat\\] length error") "$";
  EXPECT_RTERROR(dformat2(intarray({3}, {4, 0, 6}), intarray({2}, {1, 2})),
                 std::string("^lrank = 1, lshape\\[0\\] = 3, coln = 2\n") + length);
  EXPECT_RTERROR(dformat2(intarray({0}, {}), intarray({2}, {1, 2})),
                 std::string("^lrank = 1, lshape\\[0\\] = 0, coln = 2\n") + length);
  EXPECT_RTERROR(dformat2(intarray({1, 0}, {}), intscalar(1)),
                 std::string("^lrank = 2, lshape\\[0\\] = 1, coln = 1\n") + length);
  EXPECT_RTERROR(dformat2(intarray({4, 0}, {}), intarray({2}, {1, 2})),
                 std::string("^lrank = 2, lshape\\[0\\] = 4, coln = 2\n") + length);

  const char* unknown = "^" RTMSG("\\[DFormat\\] domain error, unknown type") "$";
  Array odd;
  descclear(&odd);
  EXPECT_RTERROR(dformat2(intscalar(2), odd), unknown);
  Array text;
  descclear(&text);
  mkcvect(&text, "82");
  EXPECT_RTERROR(dformat2(text, intscalar(1)), unknown);  // the left is never read as bytes
  release(text);
  EXPECT_RTERROR(format(odd), "^\\[Format\\] type 0 \n" RTMSG("Format domain error, unknown type") "$");

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
  EXPECT_RTERROR(dformat2(intarray({4}, {half, 0, half, 0}), intarray({0, 2}, {})),
                 "^request for type 7, size 2147483743\n" RTMSG(
                     "\\[vectalloc\\] out of memory allocation space") "$");
}

}  // namespace
