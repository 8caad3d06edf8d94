// The random generator, roll and deal.
#include "runtime/scalar/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "runtime/core/globals.h"
#include "tests/support/child.h"

using namespace rt;

namespace {

// A generator and runtime as at the start of a process.
struct Random : testing::Test {
  void SetUp() override {
    resetglobals();
    mwcreset();
  }
  void TearDown() override {
    resetglobals();
    mwcreset();
  }
};

std::vector<int32_t> rolls(int32_t n, int count) {
  std::vector<int32_t> v;
  for (int k = 0; k < count; ++k) v.push_back(roll(n));
  return v;
}

TEST_F(Random, FirstDrawFromLinkOne) {
  EXPECT_DOUBLE_EQ(mwcrand(&randomlink), 0.6789399761890387);
  EXPECT_EQ(static_cast<uint32_t>(randomlink), 2916024993u);
}

TEST_F(Random, RollSequenceRepeatsFromTheSameStart) {
  std::vector<int32_t> want = {4, 3, 2, 4, 3, 6, 4, 3, 1, 3};
  EXPECT_EQ(rolls(6, 10), want);
  mwcreset();
  randomlink = 1;
  EXPECT_EQ(rolls(6, 10), want);
}

TEST_F(Random, SettingTheLinkLaterDoesNotReseed) {
  rolls(6, 3);
  std::vector<int32_t> after = rolls(6, 5);
  mwcreset();
  randomlink = 1;
  rolls(6, 3);
  randomlink = 12345;  // only the first draw seeds from the link
  EXPECT_EQ(rolls(6, 5), after);
}

TEST_F(Random, RollStaysInRange) {
  for (int32_t origin : {0, 1}) {
    indexorigin = origin;
    EXPECT_EQ(roll(1), origin);
    std::vector<int32_t> seen(7, 0);
    for (int32_t v : rolls(7, 2000)) {
      ASSERT_GE(v, origin);
      ASSERT_LE(v, origin + 6);
      ++seen[static_cast<std::size_t>(v - origin)];
    }
    for (int32_t count : seen) EXPECT_GT(count, 0);  // every value turns up
  }
}

TEST_F(Random, DealGivesDistinctValues) {
  for (int32_t origin : {0, 1}) {
    indexorigin = origin;
    std::vector<int32_t> v(50);
    deal(v.data(), 50, 50);  // count equal to n: a permutation
    std::sort(v.begin(), v.end());
    for (int32_t k = 0; k < 50; ++k) EXPECT_EQ(v[static_cast<std::size_t>(k)], origin + k);
    std::vector<int32_t> w(5, -99);
    deal(w.data(), 5, 1000);
    std::sort(w.begin(), w.end());
    EXPECT_EQ(std::adjacent_find(w.begin(), w.end()), w.end());
    EXPECT_GE(w.front(), origin);
    EXPECT_LE(w.back(), origin + 999);
  }
  int32_t untouched = -7;
  deal(&untouched, 0, 0);
  EXPECT_EQ(untouched, -7);
}

TEST(RandomDeathTest, DealWithoutAnswer) {
  int32_t v[4];
  EXPECT_RTERROR(deal(v, 4, 3), "^count 4, n 3\n" RTMSG("\\[deal\\] domain error, count > n") "$");
  EXPECT_RTERROR(deal(v, -1, 3), "^" RTMSG("\\[deal\\] domain error, count < 0") "$");
}

}  // namespace
