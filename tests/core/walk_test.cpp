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

struct Layout {
  Ints result, source, map, offsets, directions;  // empty map etc.: as walkinit made them
};

// Start, steps, then every visited position, walking as the console does:
// after each element the last axis moves on, and so does every axis whose
// inner axes have all wrapped.
Ints trace(const Layout& w) {
  int32_t r = static_cast<int32_t>(w.result.size()), q = static_cast<int32_t>(w.source.size());
  int32_t *map, *offsets, *directions, *steps;
  walkinit(q, &map, &offsets, &directions);
  for (size_t t = 0; t < w.map.size(); ++t) map[t] = w.map[t];
  for (size_t t = 0; t < w.offsets.size(); ++t) offsets[t] = w.offsets[t];
  for (size_t t = 0; t < w.directions.size(); ++t) directions[t] = w.directions[t];
  int32_t at = walksteps(r, w.result.data(), q, w.source.data(), &steps, map, offsets, directions);
  Ints out{at};
  out.insert(out.end(), steps, steps + r);
  Ints index(w.result.size(), 0);
  for (int32_t e = 0, n = elemcount(r, w.result.data()); e < n; ++e) {
    out.push_back(at);
    int32_t k = r - 1;
    at += steps[k];
    while (k > 0 && ++index[k] == w.result[k]) {
      index[k] = 0;
      at += steps[--k];
    }
  }
  for (int32_t* p : {map, offsets, directions, steps}) std::free(p);
  return out;
}

TEST(Walk, Traces) {
  struct Case {
    Layout walk;
    Ints want;  // start, steps, visits
  } cases[] = {
      {{{2, 3}, {2, 3}, {}, {}, {}}, {0, 0, 1, 0, 1, 2, 3, 4, 5}},
      {{{2, 3}, {2, 3}, {}, {0, 2}, {1, -1}}, {2, 6, -1, 2, 1, 0, 5, 4, 3}},  // reverse last axis
      {{{2, 3}, {2, 3}, {}, {1, 0}, {-1, 1}}, {3, -6, 1, 3, 4, 5, 0, 1, 2}},  // reverse first
      {{{2, 2}, {2, 3}, {}, {0, 1}, {}}, {1, 1, 1, 1, 2, 4, 5}},              // take the last 2
      {{{3, 2}, {2, 3}, {1, 0}, {}, {}}, {0, -5, 3, 0, 3, 1, 4, 2, 5}},       // transpose
      {{{3}, {3, 3}, {0, 0}, {}, {}}, {0, 4, 0, 4, 8}},                       // diagonal
      {{{2, 0}, {2, 3}, {}, {0, 3}, {}}, {3, 3, 1}},  // an empty result checks no offset
  };
  for (const Case& c : cases) EXPECT_EQ(trace(c.walk), c.want);
}

TEST(WalkDeathTest, OutOfBoundsWalksStop) {
  EXPECT_RTERROR(trace({{2, 3}, {2, 3}, {}, {0, 1}, {}}),
                 "^\naxis 2, first 2, last 4, length 3\n" RTMSG("\\[walksteps\\] index error") "$");
  EXPECT_RTERROR(trace({{3}, {3}, {}, {}, {-1}}), "^\naxis 1, first 1, last -1, length 3\n");
  EXPECT_RTERROR(
      trace({{2, 3}, {2, 3}, {2}, {}, {}}),
      "^\nsource axis 1, result axis 3, result rank 2\n" RTMSG("\\[walksteps\\] axis error") "$");
  int32_t *map, *offsets, *directions, bad[2] = {1, 3};
  walkinit(2, &map, &offsets, &directions);
  EXPECT_RTERROR(walkpermute(bad, 2, &map, &offsets, &directions),
                 "^\npermutation\\[2\\] = 3, rank 2\n" RTMSG("\\[walkpermute\\] axis error") "$");
  for (int32_t* p : {map, offsets, directions}) std::free(p);
}

TEST(Walk, ReverseAndPermute) {
  int32_t *map, *offsets, *directions;
  walkinit(3, &map, &offsets, &directions);
  offsets[0] = 10;
  walkreverse(3, map, offsets, directions);
  EXPECT_EQ(Ints(map, map + 3), (Ints{2, 1, 0}));
  EXPECT_EQ(Ints(offsets, offsets + 3), (Ints{0, 0, 10}));
  int32_t perm[3] = {3, 1, 2}, *old[3] = {map, offsets, directions};
  walkpermute(perm, 3, &map, &offsets, &directions);
  EXPECT_EQ(Ints(map, map + 3), (Ints{0, 2, 1}));
  EXPECT_EQ(Ints(offsets, offsets + 3), (Ints{10, 0, 0}));
  for (int32_t* p : {map, offsets, directions, old[0], old[1], old[2]}) std::free(p);
}

}  // namespace
