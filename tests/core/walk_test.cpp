// Walks: the start and steps that walksteps computes, and the source
// positions a caller visits with them.
#include "runtime/core/walk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "runtime/core/array.h"
#include "tests/support/child.h"

using namespace rt;

namespace {

using Ints = std::vector<int32_t>;

// A walk under test: its three vectors, released at the end.
struct Walk {
  int32_t *map, *offsets, *directions;
  explicit Walk(int32_t n) { walkinit(n, &map, &offsets, &directions); }
  ~Walk() {
    std::free(map);
    std::free(offsets);
    std::free(directions);
  }
};

struct Trace {
  int32_t start;
  Ints steps, visits;
};

// Runs a walk the way the console does: after each element the last axis
// moves on, and every axis whose inner axes have all wrapped moves on too.
Trace trace(const Ints& result, const Ints& source, const Walk& w) {
  int32_t r = static_cast<int32_t>(result.size()), *steps;
  Trace t;
  t.start = walksteps(r, result.data(), static_cast<int32_t>(source.size()), source.data(), &steps,
                      w.map, w.offsets, w.directions);
  t.steps.assign(steps, steps + r);
  int32_t n = elemcount(r, result.data()), at = t.start;
  Ints index(result.size(), 0);
  for (int32_t e = 0; e < n; ++e) {
    t.visits.push_back(at);
    int32_t k = r - 1;
    at += steps[k];
    while (k > 0 && ++index[k] == result[k]) {
      index[k] = 0;
      at += steps[--k];
    }
  }
  std::free(steps);
  return t;
}

TEST(Walk, FreshWalkVisitsInOrder) {
  Walk w(2);
  EXPECT_EQ(Ints(w.map, w.map + 2), (Ints{0, 1}));
  EXPECT_EQ(Ints(w.offsets, w.offsets + 2), (Ints{0, 0}));
  EXPECT_EQ(Ints(w.directions, w.directions + 2), (Ints{1, 1}));
  Trace t = trace({2, 3}, {2, 3}, w);
  EXPECT_EQ(t.start, 0);
  EXPECT_EQ(t.steps, (Ints{0, 1}));
  EXPECT_EQ(t.visits, (Ints{0, 1, 2, 3, 4, 5}));
}

TEST(Walk, ReversalTakeTransposeAndDiagonal) {
  {  // reverse a 2x3 matrix along its last axis
    Walk w(2);
    w.offsets[1] = 2;
    w.directions[1] = -1;
    Trace t = trace({2, 3}, {2, 3}, w);
    EXPECT_EQ(t.start, 2);
    EXPECT_EQ(t.steps, (Ints{6, -1}));
    EXPECT_EQ(t.visits, (Ints{2, 1, 0, 5, 4, 3}));
  }
  {  // reverse along the first axis
    Walk w(2);
    w.offsets[0] = 1;
    w.directions[0] = -1;
    EXPECT_EQ(trace({2, 3}, {2, 3}, w).visits, (Ints{3, 4, 5, 0, 1, 2}));
  }
  {  // take the last 2 columns of a 2x3 matrix
    Walk w(2);
    w.offsets[1] = 1;
    EXPECT_EQ(trace({2, 2}, {2, 3}, w).visits, (Ints{1, 2, 4, 5}));
  }
  {  // transpose a 2x3 matrix: source axis 0 runs along result axis 1
    Walk w(2);
    w.map[0] = 1;
    w.map[1] = 0;
    EXPECT_EQ(trace({3, 2}, {2, 3}, w).visits, (Ints{0, 3, 1, 4, 2, 5}));
  }
  {  // the diagonal of a 3x3 matrix: both source axes along one result axis
    Walk w(2);
    w.map[1] = 0;
    Trace t = trace({3}, {3, 3}, w);
    EXPECT_EQ(t.steps, (Ints{4}));
    EXPECT_EQ(t.visits, (Ints{0, 4, 8}));
  }
  {  // a 2x2x2 array reversed along its middle axis
    Walk w(3);
    w.offsets[1] = 1;
    w.directions[1] = -1;
    EXPECT_EQ(trace({2, 2, 2}, {2, 2, 2}, w).visits, (Ints{2, 3, 0, 1, 6, 7, 4, 5}));
  }
}

TEST(Walk, EmptyResultsAcceptAnyOffset) {
  // Dropping a whole axis leaves an offset equal to the length; nothing is
  // visited, so nothing is checked.
  Walk w(2);
  w.offsets[1] = 3;
  Trace t = trace({2, 0}, {2, 3}, w);
  EXPECT_TRUE(t.visits.empty());
}

TEST(WalkDeathTest, OutOfBoundsWalksStop) {
  {
    Walk w(2);
    w.offsets[1] = 1;  // a full-length run from 1 would end past the axis
    EXPECT_RTERROR(trace({2, 3}, {2, 3}, w), "^\naxis 2, first 2, last 4, length 3\n" RTMSG(
                                                 "\\[walksteps\\] index error") "$");
  }
  {
    Walk w(1);
    w.directions[0] = -1;  // a reversal that starts at 0 runs below it
    EXPECT_RTERROR(trace({3}, {3}, w), "^\naxis 1, first 1, last -1, length 3\n");
  }
  {
    Walk w(2);
    w.map[0] = 2;
    EXPECT_RTERROR(
        trace({2, 3}, {2, 3}, w),
        "^\nsource axis 1, result axis 3, result rank 2\n" RTMSG("\\[walksteps\\] axis error") "$");
  }
}

TEST(Walk, ReverseAndPermute) {
  Walk w(3);
  for (int32_t i = 0; i < 3; ++i) w.offsets[i] = 10 + i;
  w.directions[2] = -1;
  walkreverse(3, w.map, w.offsets, w.directions);
  EXPECT_EQ(Ints(w.map, w.map + 3), (Ints{2, 1, 0}));
  EXPECT_EQ(Ints(w.offsets, w.offsets + 3), (Ints{12, 11, 10}));
  EXPECT_EQ(Ints(w.directions, w.directions + 3), (Ints{-1, 1, 1}));
  walkreverse(1, w.map, w.offsets, w.directions);  // one entry: unchanged
  EXPECT_EQ(w.map[0], 2);

  int32_t perm[3] = {3, 1, 2};
  int32_t *oldmap = w.map, *oldoffsets = w.offsets, *olddirections = w.directions;
  walkpermute(perm, 3, &w.map, &w.offsets, &w.directions);
  EXPECT_NE(w.map, oldmap);
  EXPECT_EQ(Ints(w.map, w.map + 3), (Ints{0, 2, 1}));
  EXPECT_EQ(Ints(w.offsets, w.offsets + 3), (Ints{10, 12, 11}));
  EXPECT_EQ(Ints(w.directions, w.directions + 3), (Ints{1, -1, 1}));
  std::free(oldmap);
  std::free(oldoffsets);
  std::free(olddirections);
}

TEST(WalkDeathTest, PermutationOutsideTheRankStops) {
  Walk w(3);
  int32_t bad[3] = {1, 4, 2};
  EXPECT_RTERROR(walkpermute(bad, 3, &w.map, &w.offsets, &w.directions),
                 "^\npermutation\\[2\\] = 4, rank 3\n" RTMSG("\\[walkpermute\\] axis error") "$");
}

}  // namespace
