// Shape arithmetic: conformability, catenation and lamination, the shape
// builders and the integer helpers.
#include "runtime/core/shape.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "tests/support/child.h"

using namespace rt;

namespace {

using Ints = std::vector<int32_t>;

// A returned shape as a vector, then released (the scalar shape stays). The
// shape is taken by reference, so that take(builder(&s, ...), s) reads it
// only after the builder has set it.
Ints take(int32_t rank, int32_t*& shape) {
  Ints v(shape, shape + rank);
  if (rank == 0)
    EXPECT_EQ(shape, scalarshape);
  else
    std::free(shape);
  return v;
}

int32_t rankof(const Ints& v) { return static_cast<int32_t>(v.size()); }

Ints conform(const Ints& l, const Ints& r) {
  int32_t* s;
  int32_t rank = dsops(&s, rankof(l), l.data(), rankof(r), r.data());
  return take(rank, s);
}

// Result shape, block size, left and right counts of a catenation.
Ints cat(const Ints& l, const Ints& r, int32_t k, Along mode) {
  int32_t *s, block, lc, rc;
  int32_t rank =
      catenate(&s, rankof(l), l.data(), rankof(r), r.data(), k, mode, &block, &lc, &rc);
  Ints v = take(rank, s);
  v.insert(v.end(), {block, lc, rc});
  return v;
}

TEST(Shape, DsopsResultShapes) {
  struct Case {
    Ints left, right, result;
  } cases[] = {
      {{}, {}, {}},          {{1}, {}, {1}},  {{}, {1}, {1}}, {{1}, {2, 3}, {2, 3}},
      {{2, 3}, {1}, {2, 3}}, {{1}, {1}, {1}}, {{}, {0}, {0}}, {{2, 3}, {2, 3}, {2, 3}},
      {{1, 1}, {}, {1, 1}},  // a one-element matrix is no singleton
  };
  for (const Case& c : cases) EXPECT_EQ(conform(c.left, c.right), c.result);
}

TEST(ShapeDeathTest, DsopsMismatches) {
  EXPECT_RTERROR(conform({2, 3}, {3, 2}),
                 "^\n\\[dsops\\] i = 0, leftshape\\[i\\] = 2, rightshape\\[i\\] = 3\n" RTMSG(
                     "\\[dsops\\] dyadic scalar shape conformability error") "$");
  EXPECT_RTERROR(conform({2, 3}, {6}),
                 "^\n leftrank 2, rightrank 1\n" RTMSG(
                     "\\[dsops\\] dyadic scalar rank comformability error") "$");
}

TEST(Shape, CatenateModes) {
  struct Case {
    Ints left, right;
    int32_t axis;
    Along mode;
    Ints want;  // shape, then block size, left count, right count
  } cases[] = {
      {{}, {}, 0, Along::LastAxis, {2, 1, 1, 1}},
      {{}, {3}, 0, Along::LastAxis, {4, 1, 1, 3}},
      {{2, 3}, {2, 4}, 0, Along::LastAxis, {2, 7, 1, 3, 4}},
      {{2, 3}, {2}, 0, Along::LastAxis, {2, 4, 1, 3, 1}},
      {{2}, {2, 3}, 0, Along::LastAxis, {2, 4, 1, 1, 3}},
      {{0}, {3}, 0, Along::LastAxis, {3, 1, 0, 3}},
      {{2, 3}, {4, 3}, 0, Along::Axis, {6, 3, 3, 2, 4}},
      {{2, 3}, {3}, 0, Along::Axis, {3, 3, 3, 2, 1}},
      {{2, 3, 4}, {2, 5, 4}, 1, Along::Axis, {2, 8, 4, 4, 3, 5}},
      {{3}, {3}, 0, Along::NewAxis, {2, 3, 3, 1, 1}},  // lamination
      {{3}, {3}, 1, Along::NewAxis, {3, 2, 1, 1, 1}},
      {{}, {}, 0, Along::NewAxis, {2, 1, 1, 1}},
      {{}, {3}, 1, Along::NewAxis, {3, 2, 1, 1, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cat(c.left, c.right, c.axis, c.mode), c.want) << "axis " << c.axis;
}

TEST(ShapeDeathTest, CatenateFailures) {
  EXPECT_RTERROR(cat({2, 3}, {3, 3}, 0, Along::LastAxis),
                 "^\\[catenate\\] length error: rank=2, axis= 1; leftshape=2, rightshape=3\n" RTMSG(
                     "\\[catenate\\] length error") "$");
  EXPECT_RTERROR(
      cat({3}, {2, 3}, 0, Along::LastAxis),
      "^\\[catenate\\] length error: ranks=\\(1, 2\\), axis=1; "
      "leftshape\\[1\\]=3, rightshape\\[1\\]=2\n" RTMSG("\\[catenate\\] length error") "$");
  EXPECT_RTERROR(cat({2, 3}, {3}, 0, Along::LastAxis),
                 "^\\[catenate\\] length error: ranks=\\(2, 1\\), axis=1; "
                 "leftshape\\[1\\]=2, rightshape\\[1\\]=3\n");
  EXPECT_RTERROR(cat({3}, {2, 3, 4}, 0, Along::LastAxis), "^" RTMSG("\\[catenate\\] rank error") "$");
  EXPECT_RTERROR(cat({2, 3}, {2, 3}, -1, Along::Axis), "^\naxis -1, maxrank 2\n");
  EXPECT_RTERROR(cat({3}, {3}, 2, Along::NewAxis),
                 "^\naxis 2, maxrank 2\n" RTMSG("\\[catenate\\] axis error") "$");
  EXPECT_RTERROR(cat({3}, {3}, 3, Along::NewAxis), "^" RTMSG("axis error") "$");
  EXPECT_RTERROR(cat({3}, {2, 3}, 0, Along::NewAxis),
                 "^\\[lamshape\\] rank error, leftrank = 1, rightrank = 2\n" RTMSG(
                     "\\[lamshape\\] rank error") "$");
}

TEST(Shape, LaminationReadsOnlyTheGivenShape) {
  int32_t* three = vect1(3);  // exactly one length: a read past it trips the sanitizer
  int32_t* s = lamshape(2, 1, three, 1, three);
  EXPECT_EQ(Ints(s, s + 2), (Ints{3, 1}));
  std::free(s);
  std::free(three);
}

TEST(Shape, AxesBuildersAndIntegers) {
  struct Axis {
    double real;
    int32_t type, axis;
  } axes[] = {{2.0, Int, 2}, {1.5, Real, 2}, {-0.5, Real, 0}};
  for (const Axis& c : axes) {
    Cell cell;
    cell.r = c.real;
    int32_t type = Real, axis;
    EXPECT_EQ(lamcheck(&type, &cell, &axis), c.axis);
    EXPECT_EQ(type, c.type);
  }
  Ints m34{3, 4}, ones{1, 1}, twos{2, 2}, v{2, 3, 4};
  int32_t* s;
  EXPECT_EQ(take(transshape(&s, ones.data(), 2, m34.data()), s), (Ints{3}));
  EXPECT_EQ(take(transshape(&s, twos.data(), 2, m34.data()), s), (Ints{9999, 3}));
  EXPECT_EQ(take(innershape(&s, 2, m34.data(), 3, v.data()), s), (Ints{3, 3, 4}));
  EXPECT_EQ(take(shapecat(&s, 0, nullptr, 0, nullptr), s), Ints{});
  EXPECT_EQ(iabs(INT_MIN), INT_MAX);
  EXPECT_EQ(prodrange(0, 3, v.data()), 12);
  EXPECT_EQ(prodrange(2, 3, v.data()), 1);
  int32_t out[2];
  EXPECT_EQ(intcopy_skip(out, 1, 3, v.data()), out + 2);
  EXPECT_EQ(Ints(out, out + 2), (Ints{2, 4}));
}

}  // namespace
