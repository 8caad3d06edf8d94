// The dyadic scalar kernel, its result types, resop and the binomials.
#include "runtime/scalar/dyadic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <limits>

#include "runtime/core/array.h"
#include "runtime/scalar/numeric.h"
#include "tests/support/child.h"

using namespace rt;

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

// One operand: an element and its type.
struct Operand {
  Cell cell;
  int32_t type;
};

Operand bit(int32_t v) { return {{.i = v}, Bit}; }
Operand num(int32_t v) { return {{.i = v}, Int}; }
Operand real(double v) {
  Operand o{{}, Real};
  o.cell.r = v;
  return o;
}
Operand chr(int v) {
  Operand o{{}, Char};
  o.cell.c = static_cast<char>(v);
  return o;
}

// The result cell of l op r. Every byte starts at 0x55, so a write of the
// wrong width shows up in the unused bytes.
Cell run(int32_t op, Operand l, Operand r) {
  Cell out;
  for (auto& b : out.bytes) b = 0x55;
  dsopv(op, &out, &l.cell, l.type, &r.cell, r.type);
  return out;
}

TEST(Dyadic, IntegerResults) {
  struct Case {
    int32_t op;
    Operand l, r;
    int32_t want;
  } cases[] = {
      {OpMax, bit(0), num(-1), 0},  // 0 max (x - 1) keeps a count from going below 0
      {OpMin, num(3), num(-5), -5},
      {OpPlus, num(INT_MAX), num(1), INT_MIN},  // 32-bit arithmetic wraps
      {OpMinus, num(INT_MIN), num(1), INT_MAX},
      {OpTimes, num(65536), num(65536), 0},
      {OpPlus, bit(1), bit(1), 2},  // a boolean sum stays in the int slot
      {OpResidue, num(0), num(-9), -9},
      {OpResidue, num(3), num(-7), 2},
      {OpResidue, num(-3), num(7), -2},
      {OpResidue, num(-1), num(INT_MIN), 0},
      {OpBinomial, num(3), num(5), 10},
      {OpBinomial, num(5), num(3), 0},
      {OpBinomial, num(-1), num(3), 0},
      {OpBinomial, num(-1), num(-1), 1},
      {OpBinomial, num(2), num(-1), 1},
      {OpBinomial, num(1), num(-3), -3},
      {OpBinomial, num(-3), num(-2), -2},
      {OpBinomial, num(15), num(30), 155117520},
      {OpBinomial, num(0), num(INT_MAX), 1},
      {OpBinomial, num(1), num(INT_MAX), INT_MAX},
      {OpBinomial, num(40000), num(100000), INT_MAX},  // beyond the int range
      {OpAnd, bit(1), num(1), 1},
      {OpOr, num(0), num(1), 1},
      {OpNand, bit(1), bit(1), 0},
      {OpNor, bit(0), bit(0), 1},
      {OpEqual, chr('a'), chr('a'), 1},
      {OpLess, chr(200), chr('A'), 1},  // chars compare as signed bytes
      {OpGreater, num(3), bit(1), 1},
      {OpNotEqual, num(-1), real(-1.0), 0},
  };
  for (const Case& c : cases) {
    Cell out = run(c.op, c.l, c.r);
    EXPECT_EQ(out.i, c.want) << "op " << c.op;
    EXPECT_EQ(out.bytes[4], 0x55) << "op " << c.op << " wrote more than 4 bytes";
  }
}

TEST(Dyadic, RealResults) {
  struct Case {
    int32_t op;
    Operand l, r;
    double want;
  } cases[] = {
      {OpDivide, num(5), num(2), 2.5},
      {OpPower, num(2), num(10), 1024.0},
      {OpLog, num(2), num(8), 3.0},
      {OpResidue, real(2.5), num(7), 2.0},
      {OpResidue, real(-2.5), real(7.0), -0.5},
      {OpMin, real(1.0), real(nan), 1.0},  // a NaN on the right never replaces the left
      {OpMax, real(1.0), real(nan), 1.0},
      {OpCircular, num(-7), real(0.5), 0.5493061443340548},
      {OpCircular, num(0), real(0.6), 0.8},
      {OpCircular, num(2), real(0.0), 1.0},
      {OpCircular, num(3), real(1.0), std::sin(1.0) / std::cos(1.0)},
      {OpCircular, num(-4), real(1.0), 0.0},
      {OpCircular, bit(1), num(0), 0.0},
      {OpBinomial, real(2.5), real(5.5), gammafn(6.5) / (gammafn(4.0) * gammafn(3.5))},
      {OpBinomial, real(-1.0), real(-1.0), 1.0},
      {OpBinomial, real(2.0), real(-1.0), 1.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(run(c.op, c.l, c.r).r, c.want) << "op " << c.op;
  EXPECT_TRUE(std::isnan(run(OpMin, real(nan), real(1.0)).r));
  // Only a non-positive argument with a positive base is refused.
  EXPECT_TRUE(std::isnan(run(OpLog, num(-2), num(8)).r));
}

TEST(Dyadic, ComparisonsWithNaN) {
  // IEEE rules: only "not equal" holds.
  int32_t want[] = {0, 0, 0, 1, 0, 0};
  for (int32_t op = OpLess; op <= OpGreater; ++op) {
    EXPECT_EQ(run(op, real(nan), real(1.0)).i, want[op - OpLess]) << "op " << op;
    EXPECT_EQ(run(op, real(nan), real(nan)).i, want[op - OpLess]) << "op " << op;
  }
}

TEST(Dyadic, ResultTypesAndResop) {
  EXPECT_EQ(dsopt(OpDivide, Int, Int), Real);
  EXPECT_EQ(dsopt(OpAnd, Int, Int), Bit);
  EXPECT_EQ(dsopt(OpPlus, Bit, Bit), Bit);
  EXPECT_EQ(dsopt(OpBinomial, Real, Int), Real);
  Cell out = run(OpMin, chr('b'), chr('a'));  // a char result is one byte wide
  EXPECT_EQ(out.c, 'a');
  EXPECT_EQ(out.bytes[1], 0x55);
  int32_t i = INT_MAX;
  resop(&i, Int, OpPlus, 1);
  EXPECT_EQ(i, INT_MIN);
  double r = 1.5;
  resop(&r, Real, OpMinus, 2);
  EXPECT_DOUBLE_EQ(r, -0.5);
}

TEST(Dyadic, IntegerBinomialIsFastNearTheIntRange) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ibinomial(0, INT_MAX), 1);
  EXPECT_EQ(ibinomial(INT_MAX - 1, INT_MAX), INT_MAX);
  EXPECT_EQ(ibinomial(1000000000, 2000000000), INT_MAX);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(DyadicDeathTest, DivideAndLogarithmReportOnStandardOutput) {
  struct Case {
    int32_t op;
    Operand l, r;
    const char *out, *message;
  } cases[] = {
      {OpDivide, num(5), num(0), "[runop] 5 % 0\n", "%%: domain error"},
      {OpLog, num(2), num(0), "[runop] 2 log 0\n", "log: domain error"},
      {OpLog, real(10.0), real(-1.5), "[runop] 10 log -1.5\n", "log: domain error"},
  };
  for (const Case& c : cases) {
    zelvotest::ChildResult r = zelvotest::runchild([&] { run(c.op, c.l, c.r); });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, std::string("apl run-time error: \n") + c.message + "\n");
  }
}

TEST(DyadicDeathTest, RefusedOperands) {
  EXPECT_RTERROR(run(OpEqual, chr('a'), num(97)), "^" RTMSG("illegal conversion to char") "$");
  EXPECT_RTERROR(run(OpAnd, num(2), num(1)), "^" RTMSG("illegal coversion to bit") "$");
  EXPECT_RTERROR(run(OpCircular, real(1.5), num(1)),
                 "^giventype 3, " RTMSG("illegal conversion to int") "$");
  EXPECT_RTERROR(run(OpCircular, num(-7), real(1.0)), "^" RTMSG("\\[runop\\] domain error") "$");
  EXPECT_RTERROR(run(OpCircular, num(8), num(1)),
                 "^" RTMSG("\\[runop\\] illegal circular function") "$");
  EXPECT_RTERROR(run(OpDivide, chr('a'), num(1)), "^" RTMSG("illegal conversion to real") "$");
  EXPECT_RTERROR(run(OpPlus, chr('a'), chr('b')), "^" RTMSG("illegal types for op") "$");
  EXPECT_RTERROR(run(OpResidue, chr('a'), chr('b')), "^" RTMSG("type error for mod function") "$");
  EXPECT_RTERROR(run(OpPlus, Operand{{}, Undefined}, Operand{{}, Undefined}),
                 "^" RTMSG("unknown type") "$");
}

TEST(DyadicDeathTest, UnknownCodesAndDomainErrors) {
  EXPECT_RTERROR(run(22, num(1), num(1)), "^" RTMSG("unknown op used in dsopv") "$");
  EXPECT_RTERROR(run(OpNot, num(1), num(1)), "^" RTMSG("unknown op used in dsopv") "$");
  EXPECT_RTERROR(dsopt(22, Int, Int),
                 "^operator 22\n" RTMSG("unimplemented operator in dsopt used") "$");
  int32_t i = 0;
  EXPECT_RTERROR(resop(&i, Char, OpPlus, 1), "^" RTMSG("illegal type in resop") "$");
  EXPECT_RTERROR(resop(&i, Int, OpTimes, 1), "^" RTMSG("unknon op in resop") "$");
  // k >= 0 > n whose difference only wraps to non-negative.
  EXPECT_RTERROR(ibinomial(INT_MAX, -2), "^" RTMSG("\\[binomial\\] domain error") "$");
  EXPECT_RTERROR(binomial(0.5, -1.0), "^" RTMSG("\\[binomial\\] domain error") "$");
}

}  // namespace
