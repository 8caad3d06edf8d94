// Grading and the search of a graded vector.
#include "runtime/core/grade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

using namespace rt;

namespace {

// The grade of the keys as a vector (the storage is freed here).
std::vector<int32_t> grade(void* keys, int32_t n, int32_t type, int32_t direction) {
  int32_t* g = nullptr;
  gradesort(&g, &keys, n, type, direction);
  std::vector<int32_t> v(g, g + n);
  std::free(g);
  return v;
}

template <typename T>
std::vector<int32_t> grade(std::vector<T>& keys, int32_t type, int32_t direction) {
  return grade(keys.data(), static_cast<int32_t>(keys.size()), type, direction);
}

// Searches the keys, graded ascending, for the value.
template <typename T>
int32_t search(std::vector<T>& keys, int32_t keytype, Cell value, int32_t valuetype) {
  int32_t n = static_cast<int32_t>(keys.size());
  std::vector<int32_t> g = grade(keys, keytype, 1);
  void* p = keys.data();
  return gradesearch(g.data(), &p, &value, keytype, valuetype, n);
}

Cell intcell(int32_t i) { Cell c{}; c.i = i; return c; }
Cell realcell(double r) { Cell c{}; c.r = r; return c; }
Cell charcell(char ch) { Cell c{}; c.c = ch; return c; }

using V = std::vector<int32_t>;
const double nan = std::nan("");

TEST(Grade, SmallCases) {
  std::vector<int32_t> k1 = {3, 1, 2}, k2 = {2, 1, 2, 1};
  EXPECT_EQ(grade(k1, Int, 1), (V{1, 2, 0}));
  EXPECT_EQ(grade(k1, Int, -1), (V{0, 2, 1}));
  EXPECT_EQ(grade(k2, Int, 1), (V{1, 3, 0, 2}));
  EXPECT_EQ(grade(k2, Int, -1), (V{0, 2, 1, 3}));
  std::vector<double> r2 = {2, 1, 2, 1};
  EXPECT_EQ(grade(r2, Real, -1), (V{0, 2, 1, 3}));

  // Chars order as signed bytes: 200 comes before 'A'.
  std::vector<char> c = {'A', static_cast<char>(200), 'B'};
  EXPECT_EQ(grade(c, Char, 1), (V{1, 0, 2}));
  EXPECT_EQ(grade(c, Char, -1), (V{2, 0, 1}));

  // No keys: one entry is still allocated, nothing is sorted.
  int32_t* g = nullptr;
  void* none = nullptr;
  gradesort(&g, &none, 0, Int, 1);
  EXPECT_NE(g, nullptr);
  std::free(g);

  // Keys of an unknown type keep the identity grade.
  std::vector<int32_t> odd = {5, 4, 3};
  EXPECT_EQ(grade(odd.data(), 3, 4, 1), (V{0, 1, 2}));
}

TEST(Grade, NaNIsAboveEveryNumberAndMinusZeroEqualsZero) {
  std::vector<double> k = {nan, 1, -INFINITY, -nan, -0.0, 0.0, INFINITY};
  EXPECT_EQ(grade(k, Real, 1), (V{2, 4, 5, 1, 6, 0, 3}));
  EXPECT_EQ(grade(k, Real, -1), (V{0, 3, 6, 1, 4, 5, 2}));
  EXPECT_EQ(search(k, Real, realcell(nan), Real), 7);  // never found
  EXPECT_EQ(search(k, Real, realcell(INFINITY), Real), 6);
  EXPECT_EQ(search(k, Real, realcell(0.0), Real), 4);
  EXPECT_EQ(search(k, Real, realcell(2.0), Real), 7);
  EXPECT_EQ(search(k, Real, intcell(1), Int), 1);
}

TEST(Grade, Search) {
  std::vector<int32_t> k2 = {2, 1, 2, 1}, k3 = {1, 2, 3}, one = {9};
  std::vector<char> c = {'x', 'y'};
  struct Case { std::vector<int32_t>* keys; Cell value; int32_t type; int32_t want; } cases[] = {
      {&k2, intcell(2), Int, 0},     {&k2, intcell(1), Int, 1},      {&k2, intcell(5), Int, 4},
      {&k2, intcell(0), Int, 4},     {&k3, realcell(2.0), Real, 1},  {&k3, realcell(2.5), Real, 3},
      {&k3, intcell(3), Bit, 2},     {&one, intcell(9), Int, 0},     {&one, intcell(8), Int, 1},
      {&one, intcell(10), Int, 1},   {&k3, charcell(2), Char, 3},
  };
  for (const Case& t : cases)
    EXPECT_EQ(search(*t.keys, Int, t.value, t.type), t.want) << t.value.i;
  EXPECT_EQ(search(c, Char, charcell('y'), Char), 1);
  EXPECT_EQ(search(c, Char, intcell('y'), Int), 2);  // char keys never meet a number
  void* none = nullptr;
  Cell v = intcell(1);
  EXPECT_EQ(gradesearch(nullptr, &none, &v, Int, Int, 0), 0);
}

// The key order written out independently of the runtime: true when key x
// goes strictly before key y. Reals: NaN above all, -0.0 equal to 0.0.
bool before(double x, double y, int32_t direction) {
  if (std::isnan(x) || std::isnan(y)) return direction > 0 ? !std::isnan(x) : !std::isnan(y);
  return direction > 0 ? x < y : y < x;
}

double asdouble(int32_t k) { return k; }
double asdouble(double k) { return k; }
double asdouble(char k) { return static_cast<signed char>(k); }

// Grades the keys both ways and checks the grade against std::stable_sort by
// the independent key order and by gradeorder, and every search against the
// lowest equal index.
template <typename T>
void checkidentity(std::vector<T>& keys, int32_t type) {
  int32_t n = static_cast<int32_t>(keys.size());
  for (int32_t dir : {1, -1}) {
    V want(keys.size());
    std::iota(want.begin(), want.end(), 0);
    std::stable_sort(want.begin(), want.end(), [&](int32_t a, int32_t b) {
      return before(asdouble(keys[a]), asdouble(keys[b]), dir);
    });
    V bycompare(want.size());
    std::iota(bycompare.begin(), bycompare.end(), 0);
    std::stable_sort(bycompare.begin(), bycompare.end(), [&](int32_t a, int32_t b) {
      return gradeorder(keys.data(), type, dir, a, b) < 0;
    });
    ASSERT_EQ(bycompare, want) << "type " << type << " n " << n << " dir " << dir;
    ASSERT_EQ(grade(keys, type, dir), want) << "type " << type << " n " << n << " dir " << dir;
  }
  V g = grade(keys, type, 1);
  void* p = keys.data();
  for (int32_t j = 0; j < std::min(n, 300); ++j) {
    Cell v{};
    if (type == Real) v.r = asdouble(keys[j]);
    else if (type == Char) v.c = static_cast<char>(keys[j]);
    else v.i = static_cast<int32_t>(asdouble(keys[j]));
    int32_t first = n;
    for (int32_t i = 0; i < n && first == n; ++i)
      if (asdouble(keys[i]) == asdouble(keys[j])) first = i;
    ASSERT_EQ(gradesearch(g.data(), &p, &v, type, type, n), first) << "type " << type << " j " << j;
  }
}

TEST(Grade, MatchesStableSortOnRandomKeys) {
  std::mt19937 rng(12345);
  auto pick = [&](uint32_t k) { return static_cast<uint32_t>(rng() % k); };
  const double specials[] = {nan, -nan, INFINITY, -INFINITY, 0.0, -0.0, DBL_MAX, -DBL_MAX,
                             DBL_MIN, -DBL_MIN, 4.9e-324, -4.9e-324, 1.0, -1.0};
  for (int32_t n : {2, 3, 50, 127, 128, 129, 1000, 20000}) {
    std::vector<int32_t> ints(static_cast<std::size_t>(n)), bits(ints.size());
    std::vector<double> reals(ints.size());
    std::vector<char> chars(ints.size());
    for (std::size_t i = 0; i < ints.size(); ++i) {
      uint32_t u = static_cast<uint32_t>(rng());
      switch (pick(4)) {
        case 0: ints[i] = static_cast<int32_t>(pick(7)) - 3; break;
        case 1: ints[i] = pick(2) ? INT32_MAX : INT32_MIN; break;
        default: ints[i] = static_cast<int32_t>(u);
      }
      bits[i] = static_cast<int32_t>(pick(2));
      switch (pick(4)) {
        case 0: reals[i] = specials[pick(std::size(specials))]; break;
        case 1: reals[i] = static_cast<double>(static_cast<int32_t>(pick(9)) - 4); break;
        default: reals[i] = std::ldexp(static_cast<double>(u) - 2147483648.0, static_cast<int>(pick(200)) - 100);
      }
      chars[i] = static_cast<char>(u);
    }
    checkidentity(ints, Int);
    checkidentity(bits, Bit);
    checkidentity(reals, Real);
    checkidentity(chars, Char);
  }
}

}  // namespace
