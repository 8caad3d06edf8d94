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

// The shape as a vector, then released (the scalar shape is never freed).
Ints take(int32_t rank, int32_t* shape) {
  Ints v(shape, shape + rank);
  if (rank == 0)
    EXPECT_EQ(shape, scalarshape);
  else
    std::free(shape);
  return v;
}

const int32_t* data(const Ints& v) { return v.data(); }
int32_t rankof(const Ints& v) { return static_cast<int32_t>(v.size()); }

TEST(Shape, DsopsResultShapes) {
  struct Case {
    Ints left, right, result;
  } cases[] = {
      {{}, {}, {}},              // scalar with scalar: the shared scalar shape
      {{1}, {}, {1}},            // singleton with scalar
      {{}, {1}, {1}},            // scalar with singleton
      {{1}, {2, 3}, {2, 3}},     // singleton with matrix
      {{2, 3}, {1}, {2, 3}},     // matrix with singleton
      {{1}, {1}, {1}},           // two singletons
      {{}, {0}, {0}},            // scalar with an empty vector
      {{2, 3}, {2, 3}, {2, 3}},  // equal shapes
      {{1, 1}, {}, {1, 1}},      // a one-element matrix is not a singleton
  };
  for (const Case& c : cases) {
    int32_t* shape = nullptr;
    int32_t rank = dsops(&shape, rankof(c.left), data(c.left), rankof(c.right), data(c.right));
    EXPECT_EQ(take(rank, shape), c.result);
  }
}

TEST(ShapeDeathTest, DsopsMismatches) {
  Ints m23{2, 3}, m32{3, 2}, v6{6}, m24{2, 4};
  int32_t* shape;
  EXPECT_RTERROR(dsops(&shape, 2, data(m23), 2, data(m32)),
                 "^\n\\[dsops\\] i = 0, leftshape\\[i\\] = 2, rightshape\\[i\\] = 3\n" RTMSG(
                     "\\[dsops\\] dyadic scalar shape conformability error") "$");
  EXPECT_RTERROR(dsops(&shape, 2, data(m23), 2, data(m24)),
                 "^\n\\[dsops\\] i = 1, leftshape\\[i\\] = 3, rightshape\\[i\\] = 4\n");
  EXPECT_RTERROR(dsops(&shape, 2, data(m23), 1, data(v6)),
                 "^\n leftrank 2, rightrank 1\n" RTMSG(
                     "\\[dsops\\] dyadic scalar rank comformability error") "$");
}

struct Catenation {
  Ints shape;
  int32_t block, lcount, rcount;
  bool operator==(const Catenation&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Catenation& c) {
  os << "shape";
  for (int32_t n : c.shape) os << ' ' << n;
  return os << ", block " << c.block << ", counts " << c.lcount << ' ' << c.rcount;
}

Catenation cat(const Ints& l, const Ints& r, int32_t k, int32_t m1, int32_t m2) {
  int32_t* shape;
  Catenation c{};
  int32_t rank = catenate(&shape, rankof(l), data(l), rankof(r), data(r), k, m1, m2, &c.block,
                          &c.lcount, &c.rcount);
  c.shape = take(rank, shape);
  return c;
}

TEST(Shape, CatenateModes) {
  struct Case {
    Ints left, right;
    int32_t axis, m1, m2;
    Catenation want;
  } cases[] = {
      // Last axis.
      {{}, {}, 0, 2, 2, {{2}, 1, 1, 1}},
      {{}, {3}, 0, 2, 2, {{4}, 1, 1, 3}},
      {{3}, {}, 0, 2, 2, {{4}, 1, 3, 1}},
      {{2, 3}, {2, 4}, 0, 2, 2, {{2, 7}, 1, 3, 4}},
      {{2, 3}, {2}, 0, 2, 2, {{2, 4}, 1, 3, 1}},
      {{2}, {2, 3}, 0, 2, 2, {{2, 4}, 1, 1, 3}},
      {{}, {2, 3}, 0, 2, 2, {{2, 4}, 1, 1, 3}},
      {{0}, {3}, 0, 2, 2, {{3}, 1, 0, 3}},
      // A given axis.
      {{2, 3}, {4, 3}, 0, 0, 2, {{6, 3}, 3, 2, 4}},
      {{2, 3}, {3}, 0, 0, 2, {{3, 3}, 3, 2, 1}},
      {{2, 3, 4}, {2, 5, 4}, 1, 0, 2, {{2, 8, 4}, 4, 3, 5}},
      // Lamination of two 3-vectors and of two scalars.
      {{3}, {3}, 0, 0, 0, {{2, 3}, 3, 1, 1}},
      {{3}, {3}, 1, 0, 0, {{3, 2}, 1, 1, 1}},
      {{}, {}, 0, 0, 0, {{2}, 1, 1, 1}},
      {{}, {3}, 1, 0, 0, {{3, 2}, 1, 1, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cat(c.left, c.right, c.axis, c.m1, c.m2), c.want)
        << "axis " << c.axis << " modes " << c.m1 << ' ' << c.m2;
}

TEST(ShapeDeathTest, CatenateFailures) {
  EXPECT_RTERROR(cat({2, 3}, {3, 3}, 0, 2, 2),
                 "^\\[catenate\\] length error: rank=2, axis= 1; leftshape=2, rightshape=3\n" RTMSG(
                     "\\[catenate\\] length error") "$");
  EXPECT_RTERROR(
      cat({3}, {2, 3}, 0, 2, 2),
      "^\\[catenate\\] length error: ranks=\\(1, 2\\), axis=1; "
      "leftshape\\[1\\]=3, rightshape\\[1\\]=2\n" RTMSG("\\[catenate\\] length error") "$");
  EXPECT_RTERROR(
      cat({2, 3}, {3}, 0, 2, 2),
      "^\\[catenate\\] length error: ranks=\\(2, 1\\), axis=1; "
      "leftshape\\[1\\]=2, rightshape\\[1\\]=3\n" RTMSG("\\[catenate\\] length error") "$");
  EXPECT_RTERROR(cat({3}, {2, 3, 4}, 0, 2, 2), "^" RTMSG("\\[catenate\\] rank error") "$");
  EXPECT_RTERROR(cat({2, 3}, {2, 3}, 2, 0, 2),
                 "^\naxis 2, maxrank 2\n" RTMSG("\\[catenate\\] axis error") "$");
  EXPECT_RTERROR(cat({2, 3}, {2, 3}, -1, 0, 2), "^\naxis -1, maxrank 2\n");
  EXPECT_RTERROR(cat({3}, {3}, 2, 0, 0),
                 "^\naxis 2, maxrank 2\n" RTMSG("\\[catenate\\] axis error") "$");
  EXPECT_RTERROR(cat({3}, {3}, 3, 0, 0), "^" RTMSG("axis error") "$");
  EXPECT_RTERROR(cat({3}, {3}, -1, 0, 0), "^" RTMSG("axis error") "$");
  EXPECT_RTERROR(cat({3}, {2, 3}, 0, 0, 0),
                 "^\\[lamshape\\] rank error, leftrank = 1, rightrank = 2\n" RTMSG(
                     "\\[lamshape\\] rank error") "$");
}

TEST(Shape, LaminationReadsOnlyTheGivenShape) {
  // Heap shapes of exactly their rank, so that a read past them is caught by
  // the address sanitizer.
  int32_t* three = vect1(3);
  int32_t* s = lamshape(2, 1, three, 1, three);  // position equal to the new rank
  EXPECT_EQ(s[0], 3);
  std::free(s);
  s = insaxis(three, 2, 0);
  EXPECT_EQ(Ints(s, s + 2), (Ints{1, 3}));
  std::free(s);
  s = lamshape(1, 0, scalarshape, 0, scalarshape);
  EXPECT_EQ(s[0], 1);
  std::free(s);
  std::free(three);
}

TEST(Shape, LamcheckAxisTypes) {
  struct Case {
    int32_t type;
    double real;
    int32_t wanttype, axis;
  } cases[] = {
      {Real, 2.0, Int, 2},
      {Real, 1.5, Real, 2},
      {Real, -0.5, Real, 0},
      {Real, -3.0, Int, -3},
  };
  for (const Case& c : cases) {
    Cell cell;
    cell.r = c.real;
    int32_t type = c.type, axis = -9;
    EXPECT_EQ(lamcheck(&type, &cell, &axis), c.axis) << c.real;
    EXPECT_EQ(axis, c.axis);
    EXPECT_EQ(type, c.wanttype);
  }
  Cell cell;
  cell.i = 4;
  int32_t type = Int, axis;
  EXPECT_EQ(lamcheck(&type, &cell, &axis), 4);
}

TEST(ShapeDeathTest, LamcheckRefusesOtherAxisTypes) {
  Cell cell;
  cell.c = '1';
  int32_t type = Char, axis;
  EXPECT_RTERROR(lamcheck(&type, &cell, &axis), "^" RTMSG("\\[lamcheck\\] unknown axis type") "$");
}

TEST(Shape, Builders) {
  Ints m23{2, 3}, v4{4}, m34{3, 4}, v3{3};
  // The shape that a builder stores, given the builder's call on a place.
  auto built = [](auto call) {
    int32_t* s;
    int32_t rank = call(&s);
    return take(rank, s);
  };
  EXPECT_EQ(built([&](int32_t** s) { return shapecat(s, 2, data(m23), 1, data(v4)); }),
            (Ints{2, 3, 4}));
  EXPECT_EQ(built([&](int32_t** s) { return shapecat(s, 0, nullptr, 1, data(v4)); }), (Ints{4}));
  EXPECT_EQ(built([&](int32_t** s) { return shapecat(s, 0, nullptr, 0, nullptr); }), Ints{});
  EXPECT_EQ(built([&](int32_t** s) { return innershape(s, 2, data(m23), 2, data(m34)); }),
            (Ints{2, 4}));
  EXPECT_EQ(built([&](int32_t** s) { return innershape(s, 1, data(v3), 1, data(v3)); }), Ints{});
  EXPECT_EQ(built([&](int32_t** s) { return innershape(s, 0, nullptr, 2, data(m34)); }), (Ints{4}));

  struct Case {
    Ints axes, want;
  } transposes[] = {
      {{1, 1}, {3}},
      {{2, 2}, {9999, 3}},
      {{2, 1}, {4, 3}},
      {{0, -1}, {}},
  };
  for (const Case& c : transposes)
    EXPECT_EQ(built([&](int32_t** s) { return transshape(s, data(c.axes), 2, data(m34)); }),
              c.want);
}

TEST(Shape, IntegerHelpers) {
  EXPECT_EQ(imax(-3, 2), 2);
  EXPECT_EQ(iabs(-7), 7);
  EXPECT_EQ(iabs(INT_MIN), INT_MAX);
  Ints v{2, 3, 4};
  EXPECT_EQ(prodrange(0, 3, data(v)), 12);
  EXPECT_EQ(prodrange(-1, 3, data(v)), 24);
  EXPECT_EQ(prodrange(2, 3, data(v)), 1);
  EXPECT_EQ(prodrange(1, 1, data(v)), 1);
  int32_t out[3] = {-1, -1, -1};
  EXPECT_EQ(intcopy_skip(out, 1, 3, data(v)), out + 2);
  EXPECT_EQ(Ints(out, out + 3), (Ints{2, 4, -1}));
  EXPECT_EQ(intcopy_skip(out, 5, 3, data(v)), out + 3);  // no such position: all copied
}

}  // namespace
