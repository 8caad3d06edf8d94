// Truncation, rounding, tolerant floor and equality, and the whole-number test.
#include "runtime/core/tolerant.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rt;

namespace {

TEST(Tolerant, Rounding) {
  struct Case { double x; int32_t round; } cases[] = {
      {2.5, 3}, {2.49, 2}, {-2.5, -3}, {-2.51, -3}, {-2.49, -2}, {0.0, 0}, {NAN, 0},
      {1e300, INT32_MAX}, {-1e300, INT32_MIN},
  };
  for (auto c : cases) EXPECT_EQ(iround(c.x), c.round) << c.x;
}

TEST(Tolerant, FloorEqualityAndWholeNumbers) {
  struct Floor { double x; int32_t floor; } floors[] = {
      {2.9999999999999996, 3}, {2.7, 2}, {-1e-17, 0}, {-1e-15, -1}, {-2.5, -3}, {7, 7},
  };
  for (auto f : floors) EXPECT_EQ(tfloor(f.x), f.floor) << f.x;
  EXPECT_EQ(teq(1, 1.0000000000000002), 1);
  EXPECT_EQ(teq(0, 1e-300), 0);
  EXPECT_EQ(teq(-1, 1), 0);
  EXPECT_EQ(teq(-2, -2.0000000000000004), 1);
  EXPECT_EQ(teq(1, 1.001), 0);
  int32_t fl = 0;
  EXPECT_EQ(tint(3.0000000000000004, &fl), 1);
  EXPECT_EQ(fl, 3);
  EXPECT_EQ(tint(2.5, &fl), 0);
  EXPECT_EQ(fl, 2);
}

TEST(Tolerant, SmallRealRoutines) {
  EXPECT_EQ(realabs(-2.5), 2.5);
  EXPECT_EQ(realabs(3), 3);
  EXPECT_EQ(realsign(-0.1), -1);
  EXPECT_EQ(realsign(0.0), 0);
  EXPECT_EQ(realsign(7), 1);
  EXPECT_EQ(trunc32(-2.9), -2);
  EXPECT_EQ(trunc32(NAN), 0);
  EXPECT_EQ(trunc32(1e10), INT32_MAX);
}

}  // namespace
