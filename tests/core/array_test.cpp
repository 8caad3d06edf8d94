// Array values: allocation, release, moves and the small constructors.
#include "runtime/core/array.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/core/globals.h"
#include "tests/support/child.h"

using namespace rt;

namespace {

Array fresh() {
  Array a;
  descclear(&a);
  return a;
}

TEST(Array, AllocationAlwaysGivesAtLeastOneElement) {
  struct Case { int32_t n; int32_t type; } cases[] = {{0, Int}, {-5, Char}, {1, Real}, {3, Bit}};
  for (auto c : cases) {
    void* p = nullptr;
    vectalloc(&p, c.n, c.type);
    EXPECT_NE(p, nullptr) << c.n;
    std::free(p);
  }
  Array a = fresh();
  int32_t zero = 0;
  descset(&a, Int, 1, &zero);
  EXPECT_EQ(descalloc(&a), 0);
  EXPECT_NE(a.value, nullptr);
  std::free(a.value);
  std::free(a.shape);
}

TEST(Array, ElementCount) {
  int32_t s[] = {3, 0};
  int32_t s2[] = {2, 3, 4};
  EXPECT_EQ(elemcount(0, nullptr), 1);  // never reads the shape
  EXPECT_EQ(elemcount(2, s), 0);
  EXPECT_EQ(elemcount(3, s2), 24);
}

TEST(Array, ScalarsShareTheScalarShape) {
  Array a = fresh();
  descset(&a, Int, 0, nullptr);
  EXPECT_EQ(a.shape, scalarshape);
  EXPECT_EQ(a.shape[0], 1);
  descalloc(&a);
  detalloc(&a);
  EXPECT_EQ(scalarshape[0], 1);  // not freed, not written
  EXPECT_EQ(a.type, Undefined);
  EXPECT_EQ(a.value, nullptr);
}

TEST(Array, ReleaseRules) {
  // Fixed descriptors are never touched.
  int32_t cell = 5;
  Array f = fresh();
  mkscalar(&f, &cell);
  f.storage = Fixed;
  detalloc(&f);
  EXPECT_EQ(f.type, Int);
  EXPECT_EQ(f.value, &cell);

  // An empty vector frees nothing and stays defined.
  static int32_t emptyshape[1] = {0};
  Array e = fresh();
  e.type = Char;
  e.rank = 1;
  e.shape = emptyshape;
  char byte;
  e.value = &byte;
  detalloc(&e);
  EXPECT_EQ(e.type, Char);
  EXPECT_EQ(e.shape, emptyshape);
  EXPECT_EQ(e.value, &byte);

  // A 2x0 matrix loses its shape but keeps type and value.
  Array m = fresh();
  int32_t s[] = {2, 0};
  descset(&m, Int, 2, s);
  descalloc(&m);
  void* v = m.value;
  detalloc(&m);
  EXPECT_EQ(m.rank, 0);
  EXPECT_EQ(m.shape, nullptr);
  EXPECT_EQ(m.type, Int);
  EXPECT_EQ(m.value, v);
  std::free(v);

  // A cleared descriptor: nothing to free, stays undefined.
  Array c = fresh();
  detalloc(&c);
  EXPECT_EQ(c.type, Undefined);
  EXPECT_EQ(c.value, nullptr);
  EXPECT_EQ(detalloc(nullptr), nullptr);
}

TEST(Array, MovesKeepTheDestinationsOwnershipMark) {
  int32_t cell = 0;
  Array dst = fresh();
  mkscalar(&dst, &cell);
  dst.storage = Fixed;
  Array src = fresh();
  mkcvect(&src, "abc");
  desccopy(&dst, &src);
  EXPECT_EQ(dst.storage, Fixed);
  EXPECT_EQ(dst.value, src.value);
  EXPECT_EQ(dst.type, Char);
  detalloc(&dst);  // fixed: frees nothing
  detalloc(&src);
}

TEST(Array, Constructors) {
  Array a = fresh();
  EXPECT_EQ(mkcvect(&a, "hello"), 5);
  EXPECT_EQ(a.rank, 1);
  EXPECT_EQ(a.shape[0], 5);
  char buf[6];
  cstring(buf, &a);
  EXPECT_STREQ(buf, "hello");
  detalloc(&a);

  Array e = fresh();
  EXPECT_EQ(mkcvect(&e, ""), 0);
  EXPECT_EQ(e.shape[0], 0);
  EXPECT_NE(e.value, nullptr);
  std::free(e.value);
  std::free(e.shape);

  Array i = fresh();
  int32_t v = 7;
  mkscalar(&i, &v);
  char untouched[2] = {'x', 'y'};
  cstring(untouched, &i);  // not characters: nothing written, not even a NUL
  EXPECT_EQ(untouched[0], 'x');

  int32_t* s2 = vect2(3, 4);
  EXPECT_EQ(s2[0], 3);
  EXPECT_EQ(s2[1], 4);
  std::free(s2);
  int32_t src[] = {1, 2, 3}, dst[3];
  EXPECT_EQ(intcopy(dst, 3, src), dst + 3);
  EXPECT_EQ(dst[2], 3);
}

// Values without elements take no heap storage for them, so releasing them
// frees what they own and nothing that is shared.
TEST(Array, NewValuesShareTheStorageOfNoElements) {
  Array v = newarray(Char, 1, vect1(0)), e = emptyvector(Int);
  EXPECT_EQ(v.shape, emptyshape);
  EXPECT_EQ(v.value, e.value);
  EXPECT_EQ(e.storage, Owned);
  Array m = newarray(Int, 2, vect2(3, 0));
  EXPECT_EQ(m.value, e.value);
  Array s = newarray(Real, 0, scalarshape), w = newarray(Int, 2, shapecopy(2, m.shape));
  EXPECT_EQ(s.shape, scalarshape);
  EXPECT_EQ(shapecopy(0, nullptr), scalarshape);
  EXPECT_NE(w.shape, m.shape);
  for (Array* a : {&v, &e, &m, &s, &w}) detalloc(a);
  EXPECT_EQ(emptyshape[0], 0);
  EXPECT_EQ(v.type, Char);  // an empty vector stays as it is
}

TEST(Array, ReallocToZeroGivesUsableStorage) {
  void* p = nullptr;
  vectalloc(&p, 10, Char);
  vectrealloc(&p, 0, Char);
  ASSERT_NE(p, nullptr);
  vectrealloc(&p, 4, Int);
  static_cast<int32_t*>(p)[3] = 9;
  std::free(p);
}

TEST(ArrayDeathTest, AllocationFailures) {
  void* p = nullptr;
  EXPECT_RTERROR(vectalloc(&p, 1, 4), "^type 4\n" RTMSG("\\[vectalloc\\] impossible case") "$");
  EXPECT_RTERROR(vectrealloc(&p, 1, 5), "^type 5\n" RTMSG("\\[vectrealloc\\] impossible case") "$");
  EXPECT_RTERROR(vectrealloc(&p, -3, Int),
                 "^request for type 2, size -3\n" RTMSG("\\[vectrealloc\\] out of memory allocation space") "$");
  Array a = fresh();
  a.type = 9;
  a.shape = scalarshape;
  EXPECT_RTERROR(detalloc(&a), "^" RTMSG("\\[detalloc\\] impossible case") "$");
}

// An exhausted heap, made real by capping the child's address space. The
// sanitizers reserve address space of their own, so this runs unsanitized.
TEST(ArrayDeathTest, HeapExhausted) {
  if (zelvotest::sanitized()) GTEST_SKIP() << "address space is the sanitizer's";
  void* p = nullptr;
  EXPECT_RTERROR({ zelvotest::limitaddressspace(); vectalloc(&p, 0x7fffffff, Real); },
                 "^request for type 3, size 2147483647\n" RTMSG("\\[vectalloc\\] out of memory allocation space") "$");
  EXPECT_RTERROR({ zelvotest::limitaddressspace(); vectalloc(&p, 4, Int); vectrealloc(&p, 0x7fffffff, Real); },
                 "^request for type 3, size 2147483647\n" RTMSG("\\[vectrealloc\\] out of memory allocation space") "$");
}

TEST(Array, OddTypeCodesOwnNoElements) {
  for (int32_t t : {-1, 4, 5, 6}) {
    Array a = fresh();
    a.type = t;
    a.shape = scalarshape;
    detalloc(&a);
    EXPECT_EQ(a.type, Undefined) << t;
  }
}

}  // namespace
