// The monadic scalar kernel, its result types, imsop and ifact.
#include "runtime/scalar/monadic.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "tests/support/child.h"

using namespace rt;

namespace {

Cell intcell(int32_t v) {
  Cell c{};
  c.i = v;
  return c;
}

Cell realcell(double v) {
  Cell c{};
  c.r = v;
  return c;
}

Cell charcell(char v) {
  Cell c{};
  c.c = v;
  return c;
}

Cell apply(int32_t op, Cell x, int32_t type) {
  Cell r{};
  msopv(&r, op, &x, type);
  return r;
}

TEST(Monadic, IntegerResults) {
  struct Case { int32_t op; Cell x; int32_t type; int32_t want; } cases[] = {
      {OpFloor, realcell(-2.5), Real, -3},   {OpCeiling, realcell(-2.5), Real, -2},
      {OpFloor, intcell(7), Int, 7},         {OpCeiling, intcell(1), Bit, 1},
      {OpFloor, realcell(3e10), Real, INT_MAX},  // beyond 32 bits: saturates
      {OpCeiling, realcell(-3e10), Real, INT_MIN},
      {OpFloor, realcell(NAN), Real, 0},
      {OpSignum, realcell(-0.0), Real, 0},   {OpSignum, intcell(0), Int, 0},
      {OpSignum, realcell(-3.2), Real, -1},  {OpSignum, intcell(9), Int, 1},
      {OpSignum, realcell(NAN), Real, 1},
      {OpNegate, intcell(5), Int, -5},       {OpNegate, intcell(INT_MIN), Int, INT_MIN},  // wraps
      {OpMagnitude, intcell(-4), Int, 4},    {OpMagnitude, intcell(INT_MIN), Int, INT_MIN},
      {OpConjugate, intcell(-8), Int, -8},
      {OpNot, intcell(1), Int, 0},           {OpNot, intcell(0), Bit, 1},
      {OpFactorial, intcell(5), Int, 120},   {OpFactorial, intcell(0), Int, 1},
      {OpFactorial, intcell(1), Bit, 1},
  };
  for (auto& c : cases) EXPECT_EQ(apply(c.op, c.x, c.type).i, c.want) << "op " << c.op << " type " << c.type;
}

TEST(Monadic, RealResults) {
  struct Case { int32_t op; Cell x; int32_t type; double want; } cases[] = {
      {OpReciprocal, intcell(4), Int, 0.25},      {OpReciprocal, realcell(-0.5), Real, -2.0},
      {OpExponential, intcell(0), Bit, 1.0},      {OpExponential, realcell(1.0), Real, std::exp(1.0)},
      {OpLogarithm, intcell(1), Int, 0.0},        {OpLogarithm, realcell(std::exp(2.0)), Real, 2.0},
      {OpPiTimes, intcell(1), Int, 3.141592653589793},
      {OpPiTimes, realcell(2.0), Real, 6.283185307179586},
      {OpFactorial, realcell(0.5), Real, 0.886226925452758},
      {OpFactorial, realcell(4.0), Real, 24.0},
      {OpFactorial, realcell(-2.0), Real, 1.79e308},  // no domain check on reals
      {OpMagnitude, realcell(-2.5), Real, 2.5},
  };
  for (auto& c : cases) EXPECT_NEAR(apply(c.op, c.x, c.type).r, c.want, std::fabs(c.want) * 1e-14) << "op " << c.op;
}

TEST(Monadic, ResultMayOverwriteArgument) {
  Cell x = realcell(-2.5);
  msopv(&x, OpFloor, &x, Real);
  EXPECT_EQ(x.i, -3);
  x = intcell(3);
  msopv(&x, OpReciprocal, &x, Int);
  EXPECT_DOUBLE_EQ(x.r, 1.0 / 3.0);
}

TEST(Monadic, ResultTypes) {
  struct Case { int32_t op, type, want; } cases[] = {
      {OpFloor, Real, Int},     {OpSignum, Real, Int},       {OpReciprocal, Int, Real},
      {OpNegate, Bit, Int},     // the negative of a boolean needs integer storage
      {OpMagnitude, Bit, Bit},  {OpFactorial, Real, Real},
  };
  for (auto c : cases) EXPECT_EQ(msopt(c.op, c.type), c.want) << "op " << c.op << " type " << c.type;
}

TEST(Monadic, IntegerCeilingAndFactorial) {
  Cell r = realcell(-2.5), i = intcell(-7), big = realcell(1e12);
  EXPECT_EQ(imsop(OpCeiling, &r, Real), -2);
  EXPECT_EQ(imsop(OpCeiling, &i, Int), -7);
  EXPECT_EQ(imsop(OpCeiling, &big, Real), INT_MAX);
  struct Case { int32_t n, want; } cases[] = {
      {-3, 1}, {0, 1}, {1, 1}, {5, 120}, {12, 479001600},
      {13, 1932053504},  // 13! modulo 2 to the 32nd
      {34, 0}, {INT_MAX, 0},
  };
  for (auto c : cases) EXPECT_EQ(ifact(c.n), c.want) << c.n;
}

// The domain errors that print their detail line on standard output.
TEST(MonadicDeathTest, DomainErrorsOnStandardOutput) {
  struct Case { int32_t op; Cell x; int32_t type; const char* out; const char* err; } cases[] = {
      {OpReciprocal, intcell(0), Int, "[runop] % 0\n", RTMSG("%%: domain error")},
      {OpReciprocal, realcell(-0.0), Real, "[runop] % -0\n", RTMSG("%%: domain error")},
      {OpLogarithm, intcell(0), Int, "[runop] log 0\n", RTMSG("log: domain error")},
      {OpLogarithm, realcell(-1.0), Real, "[runop] log -1\n", RTMSG("log: domain error")},
      {OpLogarithm, realcell(NAN), Real, "[runop] log nan\n", RTMSG("log: domain error")},
  };
  for (auto& c : cases) {
    auto child = zelvotest::runchild([&] { apply(c.op, c.x, c.type); });
    EXPECT_EQ(child.status, 1);
    EXPECT_EQ(child.out, c.out);
    EXPECT_EQ(child.err, c.err);
  }
}

TEST(MonadicDeathTest, Refusals) {
  EXPECT_RTERROR(apply(OpFactorial, intcell(-1), Int),
                 "^\\[msopv\\] domain error in !, argument \\(-1\\) < 0\n" RTMSG("domain error in !, argument < 0") "$");
  EXPECT_RTERROR(apply(OpNot, intcell(2), Int), "^" RTMSG("illegal coversion to bit") "$");
  EXPECT_RTERROR(apply(OpNot, realcell(0.0), Real), "^" RTMSG("illegal coversion to bit") "$");
  EXPECT_RTERROR(apply(OpReciprocal, charcell('a'), Char), "^" RTMSG("illegal conversion to real") "$");
  EXPECT_RTERROR(apply(12, intcell(1), Int), "^ operator 12\n" RTMSG("unimplemented op used in msopv") "$");
  EXPECT_RTERROR(apply(-1, intcell(1), Int), "^ operator -1\n" RTMSG("unimplemented op used in msopv") "$");
  for (int32_t op : {OpFloor, OpNegate, OpSignum, OpPiTimes, OpFactorial})
    EXPECT_RTERROR(apply(op, charcell('a'), Char), "^type 7\n" RTMSG("\\[msopv\\] domain error, non-numeric argument") "$");
  EXPECT_RTERROR(msopt(OpPiTimes, Real), "^operator 10\n" RTMSG("unimplemented operator in msopt used") "$");
  EXPECT_RTERROR(msopt(12, Int), "^operator 12\n" RTMSG("unimplemented operator in msopt used") "$");
  Cell x = intcell(1);
  EXPECT_RTERROR(imsop(OpFloor, &x, Int), "^" RTMSG("unknon op in imsop") "$");
  EXPECT_RTERROR(imsop(OpCeiling, &x, Bit), "^" RTMSG("illegal type in resop") "$");
}

}  // namespace
