// The console's element loops: each primitive on a few shapes, and the stops
// for indices and counts outside an axis.
#include "console/arrays.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "console/locals.h"
#include "runtime/core/globals.h"
#include "runtime/scalar/dyadic.h"
#include "tests/support/child.h"

using namespace zelvo;

namespace {

using Ints = std::vector<int32_t>;

// A numeric array of the given type and shape holding the given values.
rt::Array numbers(int32_t type, Ints shape, std::initializer_list<double> values) {
  rt::Array a;
  rt::descclear(&a);
  rt::descset(&a, type, static_cast<int32_t>(shape.size()), shape.data());
  rt::descalloc(&a);
  int32_t i = 0;
  for (double v : values) {
    if (type == rt::Real)
      rt::reals(a)[i++] = v;
    else
      rt::ints(a)[i++] = static_cast<int32_t>(v);
  }
  return a;
}

rt::Array ivec(std::initializer_list<double> v) {
  return numbers(rt::Int, {static_cast<int32_t>(v.size())}, v);
}
rt::Array bvec(std::initializer_list<double> v) {
  return numbers(rt::Bit, {static_cast<int32_t>(v.size())}, v);
}
rt::Array imat(int32_t rows, int32_t cols, std::initializer_list<double> v) {
  return numbers(rt::Int, {rows, cols}, v);
}
// The 2x3 matrix 1 2 3 / 4 5 6.
rt::Array m23() { return imat(2, 3, {1, 2, 3, 4, 5, 6}); }
// The 2x3 character matrix "abc" / "def".
rt::Array chars23() {
  Var Text("Text", charvec("abcdef")), Shape("Shape", ivec({2, 3}));
  rt::Array m;
  rt::descclear(&m);
  rt::descset(&m, rt::Char, 2, rt::ints(Shape.get()));
  rt::descalloc(&m);
  for (int32_t i = 0; i < 6; ++i) rt::chars(m)[i] = rt::chars(Text.get())[i];
  return m;
}

// A result under test: held in a variable, released at the end.
struct Result : Var {
  explicit Result(rt::Array a) : Var("Result", a) {}
  Ints shape() const { return Ints(get().shape, get().shape + get().rank); }
  int32_t type() const { return get().type; }
  int32_t count() const { return rt::elemcount(get().rank, get().shape); }
  Ints ints() const { return Ints(rt::ints(get()), rt::ints(get()) + count()); }
  std::vector<double> reals() const {
    return std::vector<double>(rt::reals(get()), rt::reals(get()) + count());
  }
  std::string text() const { return std::string(rt::chars(get()), count()); }
};

TEST(Arrays, DyadicApplication) {
  {
    Var L("L", intscalar(2)), R("R", ivec({1, 5, 3}));
    Result r(dyadic(rt::OpMax, L.get(), R.get()));
    EXPECT_EQ(r.shape(), (Ints{3}));
    EXPECT_EQ(r.ints(), (Ints{2, 5, 3}));
  }
  {  // a one-element vector pairs with every element of a matrix
    Var L("L", m23()), R("R", ivec({10}));
    Result r(dyadic(rt::OpMinus, L.get(), R.get()));
    EXPECT_EQ(r.shape(), (Ints{2, 3}));
    EXPECT_EQ(r.ints(), (Ints{-9, -8, -7, -6, -5, -4}));
  }
  {
    Var L("L", charscalar(',')), R("R", charvec("a,b,"));
    Result r(dyadic(rt::OpNotEqual, L.get(), R.get()));
    EXPECT_EQ(r.type(), rt::Bit);
    EXPECT_EQ(r.ints(), (Ints{1, 0, 1, 0}));
  }
  {
    Var L("L", ivec({1, 2})), R("R", numbers(rt::Real, {2}, {0.5, 0.25}));
    Result r(dyadic(rt::OpDivide, L.get(), R.get()));
    EXPECT_EQ(r.reals(), (std::vector<double>{2.0, 8.0}));
  }
  {  // scalar with an empty vector: an empty result
    Var L("L", intscalar(1)), R("R", charvec(""));
    Result r(dyadic(rt::OpEqual, L.get(), R.get()));
    EXPECT_EQ(r.shape(), (Ints{0}));
  }
}

TEST(ArraysDeathTest, DyadicApplicationChecksShapes) {
  Var L("L", ivec({1, 2})), R("R", ivec({1, 2, 3}));
  EXPECT_RTERROR(dyadic(rt::OpPlus, L.get(), R.get()),
                 "\\[dsops\\] dyadic scalar shape conformability error\n$");
}

TEST(Arrays, Catenation) {
  struct Case {
    rt::Array left, right;
    Ints shape;
    std::string text;
  } texts[] = {
      {charvec("ab"), charvec("cd"), {4}, "abcd"},
      {charvec(""), charvec("x"), {1}, "x"},
      {charvec(""), charvec(""), {0}, ""},
      {charscalar('a'), charscalar('b'), {2}, "ab"},
      {charvec("ab"), charscalar('\r'), {3}, "ab\r"},
      {chars23(), charvec("xy"), {2, 4}, "abcxdefy"},
      {charscalar('-'), chars23(), {2, 4}, "-abc-def"},
  };
  for (Case& c : texts) {
    Var L("L", c.left), R("R", c.right);
    Result r(catenate(L.get(), R.get()));
    EXPECT_EQ(r.type(), rt::Char);
    EXPECT_EQ(r.shape(), c.shape);
    EXPECT_EQ(r.text(), c.text);
  }
  {  // an empty side takes the other's type
    Var L("L", iota(intscalar(0))), R("R", charvec("ok"));
    Result r(catenate(L.get(), R.get()));
    EXPECT_EQ(r.text(), "ok");
  }
  {  // ints and reals give reals
    Var L("L", ivec({1, 2})), R("R", numbers(rt::Real, {}, {0.5}));
    Result r(catenate(L.get(), R.get()));
    EXPECT_EQ(r.reals(), (std::vector<double>{1.0, 2.0, 0.5}));
  }
  {  // along the first axis
    Var L("L", m23()), R("R", ivec({7, 8, 9}));
    Result r(catenate(L.get(), R.get(), 0));
    EXPECT_EQ(r.shape(), (Ints{3, 3}));
    EXPECT_EQ(r.ints(), (Ints{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  }
}

TEST(ArraysDeathTest, CatenationRefusesMixedTypesAndShapes) {
  Var L("L", charvec("ab")), R("R", ivec({1}));
  EXPECT_RTERROR(catenate(L.get(), R.get()), "^" RTMSG("illegal conversion to char") "$");
  Var M("M", m23()), V("V", ivec({1, 2, 3}));
  EXPECT_RTERROR(catenate(M.get(), V.get()), "\\[catenate\\] length error\n$");
}

TEST(Arrays, TakeDropReverseOfAVector) {
  struct Case {
    bool drop;
    int32_t count;
    std::string want;
  } cases[] = {
      {false, 2, "ab"},     {false, -2, "de"}, {false, 0, ""},    {false, 5, "abcde"},
      {false, -5, "abcde"}, {true, 2, "cde"},  {true, -2, "abc"}, {true, 0, "abcde"},
      {true, 5, ""},        {true, 7, ""},     {true, -7, ""},    {true, INT_MIN, ""},
      {true, INT_MAX, ""},
  };
  Var Text("Text", charvec("abcde"));
  for (const Case& c : cases) {
    Var Count("Count", intscalar(c.count));
    Result r(c.drop ? drop(Count.get(), Text.get()) : take(Count.get(), Text.get()));
    EXPECT_EQ(r.text(), c.want) << (c.drop ? "drop " : "take ") << c.count;
    EXPECT_EQ(r.shape(), (Ints{static_cast<int32_t>(c.want.size())}));
  }
  Result r(reverse(Text.get()));
  EXPECT_EQ(r.text(), "edcba");
  Var Empty("Empty", charvec(""));
  EXPECT_EQ(Result(reverse(Empty.get())).count(), 0);
  Var One("One", intscalar(1)), Scalar("Scalar", charscalar('q'));
  Result s(take(One.get(), Scalar.get()));
  EXPECT_EQ(s.shape(), (Ints{1}));
  EXPECT_EQ(s.text(), "q");
  EXPECT_EQ(Result(reverse(Scalar.get())).shape(), Ints{});
}

TEST(Arrays, TakeDropReverseOfAMatrix) {
  Var M("M", m23()), Two("Two", intscalar(2)), Back("Back", intscalar(-1));
  struct Case {
    rt::Array result;
    Ints shape, values;
  } cases[] = {
      {take(Two.get(), M.get()), {2, 2}, {1, 2, 4, 5}},
      {take(Back.get(), M.get(), 0), {1, 3}, {4, 5, 6}},
      {drop(Back.get(), M.get()), {2, 2}, {1, 2, 4, 5}},
      {drop(Two.get(), M.get(), 0), {0, 3}, {}},
      {reverse(M.get()), {2, 3}, {3, 2, 1, 6, 5, 4}},
      {reverse(M.get(), 0), {2, 3}, {4, 5, 6, 1, 2, 3}},
  };
  for (Case& c : cases) {
    Result r(c.result);
    EXPECT_EQ(r.shape(), c.shape);
    EXPECT_EQ(r.ints(), c.values);
  }
  Var Counts("Counts", ivec({0, 1})), Corner("Corner", ivec({-1, -2}));
  EXPECT_EQ(Result(drop(Counts.get(), M.get())).ints(), (Ints{2, 3, 5, 6}));
  EXPECT_EQ(Result(take(Corner.get(), M.get())).ints(), (Ints{5, 6}));
}

TEST(ArraysDeathTest, TakeBeyondTheAxisAndBadAxes) {
  Var Text("Text", charvec("abcde")), M("M", m23());
  Var Six("Six", intscalar(6)), Back("Back", intscalar(-6)), Least("Least", intscalar(INT_MIN));
  EXPECT_RTERROR(take(Six.get(), Text.get()),
                 "^\naxis 1, count 6, length 5\n" RTMSG("\\[take\\] length error") "$");
  EXPECT_RTERROR(take(Back.get(), Text.get()), "^\naxis 1, count -6, length 5\n");
  EXPECT_RTERROR(take(Least.get(), Text.get()), "\\[take\\] length error\n$");
  EXPECT_RTERROR(take(Six.get(), M.get(), 0), "^\naxis 1, count 6, length 2\n");
  EXPECT_RTERROR(take(Six.get(), M.get(), 2),
                 "^\naxis 2, rank 2\n" RTMSG("\\[take\\] axis error") "$");
  EXPECT_RTERROR(drop(Six.get(), M.get(), -1), "\\[drop\\] axis error\n$");
  EXPECT_RTERROR(reverse(M.get(), 5), "\\[reverse\\] axis error\n$");
  Var Three("Three", ivec({1, 1, 1}));
  EXPECT_RTERROR(take(Three.get(), M.get()),
                 "^\ncounts 3, rank 2\n" RTMSG("\\[take\\] rank error") "$");
}

TEST(Arrays, Compression) {
  Var Text("Text", charvec("abcde"));
  Var Mask("Mask", bvec({1, 0, 1, 1, 0}));
  Result r(compress(Mask.get(), Text.get()));
  EXPECT_EQ(r.text(), "acd");
  Var None("None", bvec({0, 0, 0, 0, 0}));
  Result e(compress(None.get(), Text.get()));
  EXPECT_EQ(e.shape(), (Ints{0}));
  EXPECT_EQ(e.type(), rt::Char);
  // One element supplies every selected position; any non-zero mask selects.
  Var One("One", charvec("x")), Some("Some", ivec({1, 0, 2}));
  EXPECT_EQ(Result(compress(Some.get(), One.get())).text(), "xx");
  Var Numbers("Numbers", ivec({4, 5, 6}));
  EXPECT_EQ(Result(compress(Some.get(), Numbers.get())).ints(), (Ints{4, 6}));
}

TEST(ArraysDeathTest, CompressionLengthMismatch) {
  Var Text("Text", charvec("abcde")), Mask("Mask", bvec({1, 0}));
  EXPECT_RTERROR(compress(Mask.get(), Text.get()),
                 "^" RTMSG("length error: compress, shape missmatch") "$");
}

TEST(Arrays, ScansAndReductions) {
  Var A("A", bvec({1, 1, 0, 1})), O("O", bvec({0, 0, 1, 0}));
  EXPECT_EQ(Result(andscan(A.get())).ints(), (Ints{1, 1, 0, 0}));
  EXPECT_EQ(Result(orscan(O.get())).ints(), (Ints{0, 0, 1, 1}));
  Var M("M", imat(2, 3, {1, 1, 0, 0, 1, 0}));  // scans run along each row
  EXPECT_EQ(Result(andscan(M.get())).ints(), (Ints{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Result(orscan(M.get())).ints(), (Ints{1, 1, 1, 0, 1, 1}));

  Result count(plusreduce(A.get()));
  EXPECT_EQ(count.type(), rt::Int);  // a sum of bits counts them
  EXPECT_EQ(count.shape(), Ints{});
  EXPECT_EQ(count.ints(), (Ints{3}));
  Var N("N", ivec({3, 9, -2})), Empty("Empty", iota(intscalar(0)));
  EXPECT_EQ(Result(maxreduce(N.get())).ints(), (Ints{9}));
  EXPECT_EQ(Result(plusreduce(Empty.get())).ints(), (Ints{0}));
  EXPECT_EQ(Result(maxreduce(Empty.get())).ints(), (Ints{INT_MIN}));
  Var R("R", numbers(rt::Real, {3}, {0.5, 1.25, -3}));
  EXPECT_EQ(Result(plusreduce(R.get())).reals(), (std::vector<double>{-1.25}));
  Var Rows("Rows", m23());
  Result sums(plusreduce(Rows.get()));
  EXPECT_EQ(sums.shape(), (Ints{2}));
  EXPECT_EQ(sums.ints(), (Ints{6, 15}));
}

TEST(ArraysDeathTest, ScansNeedBooleans) {
  Var N("N", ivec({1, 2}));
  EXPECT_RTERROR(andscan(N.get()), "^" RTMSG("illegal coversion to bit") "$");
  Var Text("Text", charvec(""));
  EXPECT_RTERROR(plusreduce(Text.get()), "^" RTMSG("identity type error") "$");
}

TEST(Arrays, IndexGenerator) {
  Var Four("Four", intscalar(4));
  EXPECT_EQ(Result(iota(Four.get())).ints(), (Ints{1, 2, 3, 4}));
  rt::indexorigin = 0;
  EXPECT_EQ(Result(iota(Four.get())).ints(), (Ints{0, 1, 2, 3}));
  rt::resetglobals();
  Var Zero("Zero", intscalar(0));
  EXPECT_EQ(Result(iota(Zero.get())).shape(), (Ints{0}));
}

TEST(ArraysDeathTest, IndexGeneratorOfANegativeCount) {
  Var N("N", intscalar(-1));
  EXPECT_RTERROR(iota(N.get()), "^" RTMSG("\\[iota\\] domain error") "$");
}

TEST(Arrays, RowsAndIndexing) {
  Var M("M", chars23()), Two("Two", intscalar(2)), One("One", intscalar(1));
  EXPECT_EQ(Result(row(M.get(), Two.get())).text(), "def");
  Var Row("Row", charvec("xyz"));
  assignrow(M.place(), One.get(), Row.get());
  Var Fill("Fill", charscalar('*'));
  assignrow(M.place(), Two.get(), Fill.get());
  EXPECT_EQ(std::string(rt::chars(M.get()), 6), "xyz***");

  Var V("V", ivec({10, 20, 30})), I("I", ivec({3, 1, 3}));
  Result picked(pick(V.get(), I.get()));
  EXPECT_EQ(picked.ints(), (Ints{30, 10, 30}));
  Result single(pick(V.get(), Two.get()));
  EXPECT_EQ(single.shape(), Ints{});
  EXPECT_EQ(single.ints(), (Ints{20}));

  Var Where("Where", ivec({1, 3})), Seven("Seven", intscalar(7)), Pair("Pair", ivec({8, 9}));
  assign(V.place(), Where.get(), Seven.get());
  EXPECT_EQ(Result(copyof(V.get())).ints(), (Ints{7, 20, 7}));
  assign(V.place(), Where.get(), Pair.get());
  EXPECT_EQ(Result(copyof(V.get())).ints(), (Ints{8, 20, 9}));
  Var Reals("Reals", numbers(rt::Real, {2}, {0.5, 0.5}));
  assign(Reals.place(), Two.get(), Seven.get());  // ints widen to reals
  EXPECT_EQ(Result(copyof(Reals.get())).reals(), (std::vector<double>{0.5, 7.0}));
}

TEST(ArraysDeathTest, IndicesOutsideAnAxisStop) {
  Var M("M", chars23()), V("V", ivec({10, 20, 30}));
  Var Zero("Zero", intscalar(0)), Three("Three", intscalar(3)), Four("Four", intscalar(4));
  Var Row("Row", charvec("xyz"));
  EXPECT_RTERROR(row(M.get(), Three.get()),
                 "^\nindex 3, length 2\n" RTMSG("\\[index\\] index error") "$");
  EXPECT_RTERROR(row(M.get(), Zero.get()), "^\nindex 0, length 2\n");
  EXPECT_RTERROR(assignrow(M.place(), Three.get(), Row.get()), "^\nindex 3, length 2\n");
  EXPECT_RTERROR(pick(V.get(), Four.get()), "^\nindex 4, length 3\n");
  EXPECT_RTERROR(pick(V.get(), Zero.get()), "^\nindex 0, length 3\n");
  EXPECT_RTERROR(assign(V.place(), Four.get(), Zero.get()), "^\nindex 4, length 3\n");
  Var Least("Least", intscalar(INT_MIN));
  EXPECT_RTERROR(pick(V.get(), Least.get()), "\\[index\\] index error\n$");
}

TEST(ArraysDeathTest, RowAssignmentChecksTheValue) {
  Var M("M", chars23()), One("One", intscalar(1));
  Var Matrix("Matrix", chars23()), Short("Short", charvec("xy"));
  EXPECT_RTERROR(assignrow(M.place(), One.get(), Matrix.get()),
                 "^" RTMSG("\\[sub assignment\\] rank error 2") "$");
  EXPECT_RTERROR(assignrow(M.place(), One.get(), Short.get()),
                 "^" RTMSG("\\[sub assignment\\] length error") "$");
}

TEST(ArraysDeathTest, InlineChecks) {
  Var M("M", chars23()), V("V", charvec("ab")), N("N", ivec({1}));
  testmxrank(V.get());
  testchar(V.get());
  testchar(M.get());
  EXPECT_RTERROR(testmxrank(M.get()), "^" RTMSG("\\[testmxrank\\] rank error") "$");
  EXPECT_RTERROR(testchar(N.get()), "^" RTMSG("type error") "$");
}

}  // namespace
