// Element access and conversion between element types.
#include "runtime/core/convert.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>

#include "tests/support/child.h"
#include "tests/support/values.h"

using namespace rt;
using zelvotest::Val;

namespace {

TEST(Convert, ElementsMoveThroughCells) {
  int32_t ints3[] = {1, 2, 3};
  double reals2[] = {0.5, -1.5};
  char text[] = "abc";
  void* pi = ints3;
  void* pr = reals2;
  void* pc = text;
  Cell cell;
  EXPECT_EQ(getmp(&cell, &pi, 2, Int)->i, 3);
  EXPECT_EQ(getmp(&cell, &pr, 1, Real)->r, -1.5);
  EXPECT_EQ(getmp(&cell, &pc, 1, Char)->c, 'b');
  cell.c = 'z';
  setmp(&cell, &pc, 0, Char);
  EXPECT_STREQ(text, "zbc");
  cell.r = 2.25;
  setmp(&cell, &pr, 0, Real);
  EXPECT_EQ(reals2[0], 2.25);
  cell.i = 7;
  setmp(&cell, &pi, 1, Bit);
  EXPECT_EQ(ints3[1], 7);
}

TEST(Convert, AcceptedConversions) {
  Cell c{.i = 1};
  cktype(&c, Bit, Int);
  EXPECT_EQ(c.i, 1);
  c.i = -7;
  cktype(&c, Real, Int);
  EXPECT_EQ(c.r, -7.0);
  c.i = 1;
  cktype(&c, Int, Bit);
  EXPECT_EQ(c.i, 1);
  c.r = 2.5;
  cktype(&c, 0, Real);  // wanted 0 keeps the given type
  EXPECT_EQ(c.r, 2.5);
  cktype(&c, 4, 4);  // wanted = given returns quietly, even outside the table
  Cell d{.i = 0};
  cktype2(&d, Real, &c, Real);
  EXPECT_EQ(d.r, 2.5);
  Cell src{.i = 0};
  cktype2(&d, Bit, &src, Int);
  EXPECT_EQ(d.i, 0);

  Cell a{.i = 3}, b{.r = 0.5};
  EXPECT_EQ(cktypes(&a, Int, &b, Real), Real);
  EXPECT_EQ(a.r, 3.0);
  Cell x{.c = 'x'}, y{.c = 'y'};
  EXPECT_EQ(cktypes(&x, Char, &y, Char), Char);
  EXPECT_EQ(x.c, 'x');
  Cell da, db, sa{.i = 1}, sb{.r = 4.0};
  EXPECT_EQ(cktypes2(&da, &sa, Bit, &db, &sb, Real), Real);
  EXPECT_EQ(da.r, 1.0);
  EXPECT_EQ(db.r, 4.0);
}

TEST(ConvertDeathTest, RefusedConversions) {
  Cell c{.i = 2};
  EXPECT_RTERROR(cktype(&c, Bit, Int), "^" RTMSG("illegal coversion to bit") "$");
  Cell r{.r = 1.0};
  EXPECT_RTERROR(cktype(&r, Int, Real), "^giventype 3, " RTMSG("illegal conversion to int") "$");
  EXPECT_RTERROR(cktype(&r, Bit, Real), "^" RTMSG("illegal coversion to bit") "$");
  Cell ch{.c = 'a'};
  EXPECT_RTERROR(cktype(&ch, Real, Char), "^" RTMSG("illegal conversion to real") "$");
  EXPECT_RTERROR(cktype(&c, Char, Int), "^" RTMSG("illegal conversion to char") "$");
  EXPECT_RTERROR(cktype(&c, 0, 0), "^" RTMSG("unknown type") "$");
  EXPECT_RTERROR(cktype(&c, 5, Int), "^ \\[type= 5 ,giventype= 2\\]\n" RTMSG("unknown type in cktype") "$");
  Cell d;
  EXPECT_RTERROR(cktype2(&d, 4, &c, 4), "^ \\[type= 4 ,giventype= 4\\]\n" RTMSG("unknown type in cktype2") "$");
  EXPECT_RTERROR(cktype2(&d, Int, &r, Real), "^giventype 3, " RTMSG("illegal conversion to int") "$");
  EXPECT_RTERROR(cktype2(&d, 0, &c, 0), "^" RTMSG("unknown type") "$");
}

TEST(Convert, IndexedAssignment) {
  Val ints3 = Val::ints({0, 0, 0}), reals2 = Val::reals({0, 0}, {2}), chars2 = Val::chars("--");
  Val si = Val::intscalar(9), vi = Val::ints({4, 5}), sr = Val::real(1.5), sc = Val::chars("q", {});
  assign_ind(&ints3, 2, &si, 5);  // a scalar source gives its one element
  assign_ind(&ints3, 0, &vi, 1);
  assign_ind(&reals2, 0, &si, 0);
  assign_ind(&reals2, 1, &sr, 0);
  assign_ind(&chars2, 1, &sc, 0);
  EXPECT_EQ(ints3.list(), (std::vector<int32_t>{5, 0, 9}));
  EXPECT_EQ(zelvotest::numbers(*reals2), (std::vector<double>{9.0, 1.5}));
  EXPECT_EQ(chars2.text(), "-q");
}

TEST(ConvertDeathTest, IndexedAssignmentRefusals) {
  Val ints1 = Val::ints({0}), reals1 = Val::reals({0}, {1}), chars1 = Val::chars("x");
  Val sb = Val::ints({1}, {}, Bit), sc = Val::chars("x", {});
  int32_t iv[1] = {0};
  Array odd{6, 1, nullptr, Owned, iv};  // a type no value can be made of
  EXPECT_RTERROR(assign_ind(&ints1, 0, &sb, 0), "^" RTMSG("\\[assign_ind\\] impossible conversion to VEXA_INT") "$");
  EXPECT_RTERROR(assign_ind(&reals1, 0, &sc, 0), "^" RTMSG("\\[assign_ind\\] impossible conversion to REAL") "$");
  EXPECT_RTERROR(assign_ind(&chars1, 0, &sb, 0), "^" RTMSG("\\[assign_ind\\] impossible conversion to VEXA_CHAR") "$");
  EXPECT_RTERROR(assign_ind(&odd, 0, &sb, 0), "^type 6\n" RTMSG("\\[assign_ind\\] impossible type") "$");
  Cell c;
  void* p = iv;
  EXPECT_RTERROR(getmp(&c, &p, 0, 4), "^type 4\n" RTMSG("\\[getmp\\] impossible condition") "$");
  EXPECT_RTERROR(setmp(&c, &p, 0, 0), "^type 0\n" RTMSG("\\[setmp\\] impossible condition") "$");
}

TEST(Convert, FillAndIdentity) {
  Cell c;
  fillvalue(&c, Char);
  EXPECT_EQ(c.c, ' ');
  fillvalue(&c, Real);
  EXPECT_EQ(c.r, 0.0);
  struct Case { int32_t op; int32_t i; double r; } cases[] = {
      {1, INT_MAX, DBL_MAX}, {2, INT_MIN, -DBL_MAX}, {3, 0, 0}, {4, 0, 0}, {5, 1, 1},
      {7, 1, 1},  {8, 1, 1}, {11, 1, 1}, {12, 1, 1}, {13, 0, 0}, {16, 0, 0},
      {17, 1, 1}, {18, 1, 1}, {19, 0, 0},
  };
  for (auto k : cases) {
    identity(k.op, &c, Bit);
    EXPECT_EQ(c.i, k.i) << k.op;
    identity(k.op, &c, Real);
    EXPECT_EQ(c.r, k.r) << k.op;
  }
}

TEST(ConvertDeathTest, FillAndIdentityRefusals) {
  Cell c;
  EXPECT_RTERROR(fillvalue(&c, 5), "^" RTMSG("fill type vexa_error") "$");
  for (int op : {0, 6, 9, 10, 14, 15, 20}) {
    std::string pattern = "^operator " + std::to_string(op) + "\n" RTMSG("unknown op used in identity") "$";
    EXPECT_RTERROR(identity(op, &c, Int), pattern.c_str());
  }
  EXPECT_RTERROR(identity(3, &c, Char), "^" RTMSG("identity type error") "$");
}

}  // namespace
