// The console's element loops: each primitive on a few shapes, and the stops
// for counts and indices outside an axis.
#include "console/arrays.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "console/locals.h"
#include "runtime/core/globals.h"
#include "runtime/scalar/dyadic.h"
#include "runtime/text/number.h"
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
rt::Array m23() { return numbers(rt::Int, {2, 3}, {1, 2, 3, 4, 5, 6}); }
// The character matrix "abc" / "def".
rt::Array chars23() {
  rt::Array m = numbers(rt::Char, {2, 3}, {});
  for (int32_t i = 0; i < 6; ++i) rt::chars(m)[i] = static_cast<char>('a' + i);
  return m;
}

// A result under test, released at the end of its scope: its shape followed
// by its elements as ints (characters by their codes).
struct Result : Var {
  explicit Result(rt::Array a) : Var("Result", a) {}
  Ints all() const {
    const rt::Array& a = get();
    Ints v(a.shape, a.shape + a.rank);
    for (int32_t i = 0, n = rt::elemcount(a.rank, a.shape); i < n; ++i)
      v.push_back(a.type == rt::Char ? rt::chars(a)[i] : rt::ints(a)[i]);
    return v;
  }
  std::string text() const { return std::string(rt::chars(get()), length(get())); }
};

TEST(Arrays, DyadicApplicationAndCatenation) {
  Var Two("Two", intscalar(2)), V("V", ivec({1, 5, 3})), M("M", m23()), One("One", ivec({10}));
  EXPECT_EQ(Result(dyadic(rt::OpMax, Two.get(), V.get())).all(), (Ints{3, 2, 5, 3}));
  EXPECT_EQ(Result(dyadic(rt::OpMinus, M.get(), One.get())).all(),
            (Ints{2, 3, -9, -8, -7, -6, -5, -4}));
  Var Comma("Comma", charscalar(',')), Text("Text", charvec("a,b,")), Empty("Empty", charvec(""));
  EXPECT_EQ(Result(dyadic(rt::OpNotEqual, Comma.get(), Text.get())).all(), (Ints{4, 1, 0, 1, 0}));
  EXPECT_EQ(Result(dyadic(rt::OpEqual, Comma.get(), Empty.get())).all(), (Ints{0}));

  Var Cd("Cd", charvec("cd")), Cr("Cr", charscalar('\r')), C23("C23", chars23());
  EXPECT_EQ(Result(catenate(Text.get(), Cd.get())).text(), "a,b,cd");
  EXPECT_EQ(Result(catenate(Empty.get(), Cr.get())).text(), "\r");
  EXPECT_EQ(Result(catenate(Cr.get(), Cr.get())).text(), "\r\r");
  EXPECT_EQ(Result(catenate(C23.get(), Cd.get())).all(),
            (Ints{2, 4, 'a', 'b', 'c', 'c', 'd', 'e', 'f', 'd'}));
  EXPECT_EQ(Result(catenate(M.get(), V.get(), 0)).all(), (Ints{3, 3, 1, 2, 3, 4, 5, 6, 1, 5, 3}));
  Var Zero("Zero", intscalar(0)), NoInts("NoInts", iota(Zero.get()));
  EXPECT_EQ(Result(catenate(NoInts.get(), Cd.get())).text(), "cd");  // takes the other's type
}

TEST(ArraysDeathTest, DyadicAndCatenationRefusals) {
  Var V2("V2", ivec({1, 2})), V3("V3", ivec({1, 2, 3})), Text("Text", charvec("ab"));
  EXPECT_RTERROR(dyadic(rt::OpPlus, V2.get(), V3.get()),
                 "\\[dsops\\] dyadic scalar shape conformability error\n$");
  EXPECT_RTERROR(catenate(Text.get(), V2.get()), "^" RTMSG("illegal conversion to char") "$");
}

TEST(Arrays, TakeDropAndReverse) {
  struct Case {
    bool drop;
    int32_t count;
    std::string want;
  } cases[] = {
      {false, 2, "ab"}, {false, -2, "de"}, {false, 0, ""},      {false, 5, "abcde"},
      {true, 2, "cde"}, {true, -2, "abc"}, {true, 0, "abcde"},  {true, 5, ""},
      {true, 7, ""},    {true, -7, ""},    {true, INT_MIN, ""},
  };
  Var Text("Text", charvec("abcde"));
  for (const Case& c : cases) {
    Var Count("Count", intscalar(c.count));
    Result r(c.drop ? drop(Count.get(), Text.get()) : take(Count.get(), Text.get()));
    EXPECT_EQ(r.text(), c.want) << (c.drop ? "drop " : "take ") << c.count;
  }
  EXPECT_EQ(Result(reverse(Text.get())).text(), "edcba");
  Var M("M", m23()), Two("Two", intscalar(2)), Back("Back", intscalar(-1));
  Var Counts("Counts", ivec({0, 1})), Scalar("Scalar", charscalar('q'));
  EXPECT_EQ(Result(take(Two.get(), M.get())).all(), (Ints{2, 2, 1, 2, 4, 5}));
  EXPECT_EQ(Result(take(Back.get(), M.get(), 0)).all(), (Ints{1, 3, 4, 5, 6}));
  EXPECT_EQ(Result(drop(Two.get(), M.get(), 0)).all(), (Ints{0, 3}));
  EXPECT_EQ(Result(drop(Counts.get(), M.get())).all(), (Ints{2, 2, 2, 3, 5, 6}));
  EXPECT_EQ(Result(reverse(M.get())).all(), (Ints{2, 3, 3, 2, 1, 6, 5, 4}));
  EXPECT_EQ(Result(reverse(M.get(), 0)).all(), (Ints{2, 3, 4, 5, 6, 1, 2, 3}));
  EXPECT_EQ(Result(take(Back.get(), Scalar.get())).all(), (Ints{1, 'q'}));
  // A stretch cut out, and a drop joined to a catenation, each in one move.
  EXPECT_EQ(Result(slice(Two.get(), Two.get(), Text.get())).text(), "cd");
  EXPECT_EQ(Result(slice(Two.get(), Temp(intscalar(0)), Text.get())).text(), "");
  EXPECT_EQ(Result(dropcatenate(Two.get(), Text.get(), Scalar.get())).text(), "cdeq");
  EXPECT_EQ(Result(dropcatenate(Temp(intscalar(9)), Text.get(), Text.get())).text(), "abcde");
}

TEST(ArraysDeathTest, TakeBeyondTheAxisAndBadAxes) {
  Var Text("Text", charvec("abcde")), M("M", m23());
  Var Six("Six", intscalar(6)), Back("Back", intscalar(-6)), Three("Three", ivec({1, 1, 1}));
  EXPECT_RTERROR(take(Six.get(), Text.get()),
                 "^\naxis 1, count 6, length 5\n" RTMSG("\\[take\\] length error") "$");
  EXPECT_RTERROR(take(Back.get(), M.get(), 0), "^\naxis 1, count -6, length 2\n");
  EXPECT_RTERROR(take(Six.get(), M.get(), 2),
                 "^\naxis 2, rank 2\n" RTMSG("\\[take\\] axis error") "$");
  EXPECT_RTERROR(reverse(M.get(), -1), "\\[reverse\\] axis error\n$");
  EXPECT_RTERROR(drop(Three.get(), M.get()),
                 "^\ncounts 3, rank 2\n" RTMSG("\\[drop\\] rank error") "$");
  EXPECT_RTERROR(slice(Back.get(), Six.get(), Text.get()),
                 "^\nfrom -6, count 6, length 5\n" RTMSG("\\[take\\] length error") "$");
  EXPECT_RTERROR(slice(Six.get(), Temp(intscalar(0)), Text.get()), "^\nfrom 6, count 0, length 5\n");
  EXPECT_RTERROR(dropcatenate(Back.get(), Text.get(), Text.get()), "\\[drop\\] domain error\n$");
}

TEST(Arrays, CompressScanReduceAndIota) {
  Var Text("Text", charvec("abcde")), Mask("Mask", ivec({1, 0, 2, 1, 0}));
  EXPECT_EQ(Result(compress(Mask.get(), Text.get())).text(), "acd");  // any non-zero selects
  Var X("X", charvec("x")), Bits("Bits", ivec({1, 1, 0, 1}));
  EXPECT_EQ(Result(compress(Bits.get(), X.get())).text(), "xxx");
  Var Zeros("Zeros", ivec({0, 0, 0, 0, 0}));
  EXPECT_EQ(Result(compress(Zeros.get(), Text.get())).all(), (Ints{0}));

  EXPECT_EQ(Result(andscan(Bits.get())).all(), (Ints{4, 1, 1, 0, 0}));
  EXPECT_EQ(Result(orscan(Zeros.get())).all(), (Ints{5, 0, 0, 0, 0, 0}));
  Var Rows("Rows", numbers(rt::Bit, {2, 2}, {0, 1, 1, 0}));  // along each row
  EXPECT_EQ(Result(orscan(Rows.get())).all(), (Ints{2, 2, 0, 1, 1, 1}));
  EXPECT_EQ(Result(plusreduce(Rows.get())).all(), (Ints{2, 1, 1}));
  Result count(plusreduce(Bits.get()));
  EXPECT_EQ(count.get().type, rt::Int);  // a sum of bits counts them
  EXPECT_EQ(count.all(), (Ints{3}));
  Var Zero("Zero", intscalar(0)), Four("Four", intscalar(4)), None("None", iota(Zero.get()));
  EXPECT_EQ(Result(maxreduce(Mask.get())).all(), (Ints{2}));
  EXPECT_EQ(Result(plusreduce(None.get())).all(), (Ints{0}));
  EXPECT_EQ(Result(maxreduce(None.get())).all(), (Ints{INT_MIN}));

  EXPECT_EQ(Result(iota(Four.get())).all(), (Ints{4, 1, 2, 3, 4}));
  rt::indexorigin = 0;
  EXPECT_EQ(Result(iota(Four.get())).all(), (Ints{4, 0, 1, 2, 3}));
  rt::resetglobals();
}

TEST(Arrays, IndexOfReshapeAndPlusScan) {
  // Index-of: the first occurrence, or the table length plus the origin.
  Var Table("Table", charvec("abcab")), Values("Values", charvec("bxa"));
  EXPECT_EQ(Result(indexof(Table.get(), Values.get())).all(), (Ints{3, 2, 6, 1}));
  Var Nums("Nums", ivec({5, 3, 5})), Keys("Keys", numbers(rt::Real, {2}, {3.0, 4.5}));
  EXPECT_EQ(Result(indexof(Nums.get(), Keys.get())).all(), (Ints{2, 2, 4}));
  Var Empty("Empty", charvec(""));
  EXPECT_EQ(Result(indexof(Empty.get(), Values.get())).all(), (Ints{3, 1, 1, 1}));
  rt::indexorigin = 0;
  EXPECT_EQ(Result(indexof(Table.get(), Values.get())).all(), (Ints{3, 1, 5, 0}));
  rt::resetglobals();
  // The 256 characters: index-of gives each byte's code plus one.
  Var Av("Av", atomicvector()), Bytes("Bytes", charvec("\x01 \xff"));
  EXPECT_EQ(Result(indexof(Av.get(), Bytes.get())).all(), (Ints{3, 2, 33, 256}));

  Var Shape("Shape", ivec({2, 3})), Fill("Fill", charvec("ab"));
  EXPECT_EQ(Result(reshape(Shape.get(), Fill.get())).all(), (Ints{2, 3, 'a', 'b', 'a', 'b', 'a', 'b'}));
  Var Zero("Zero", intscalar(0)), Three("Three", intscalar(3));
  EXPECT_EQ(Result(reshape(Zero.get(), Fill.get())).all(), (Ints{0}));
  EXPECT_EQ(Result(reshape(Three.get(), Fill.get())).text(), "aba");

  Var Bits("Bits", numbers(rt::Bit, {4}, {1, 0, 1, 1}));
  EXPECT_EQ(Result(plusscan(Bits.get())).all(), (Ints{4, 1, 1, 2, 3}));
  EXPECT_EQ(Result(plusscan(Zero.get())).all(), (Ints{1, 0}));
}

TEST(ArraysDeathTest, CompressScanAndIotaRefusals) {
  Var Text("Text", charvec("abcde")), Mask("Mask", ivec({1, 0})), Minus("Minus", intscalar(-1));
  EXPECT_RTERROR(compress(Mask.get(), Text.get()),
                 "^" RTMSG("length error: compress, shape missmatch") "$");
  EXPECT_RTERROR(andscan(Text.get()), "^" RTMSG("illegal coversion to bit") "$");
  EXPECT_RTERROR(iota(Minus.get()), "^" RTMSG("\\[iota\\] domain error") "$");
}

TEST(Arrays, RowsAndIndexing) {
  Var M("M", chars23()), One("One", intscalar(1)), Two("Two", intscalar(2));
  EXPECT_EQ(Result(row(M.get(), Two.get())).text(), "def");
  Var Xyz("Xyz", charvec("xyz")), Star("Star", charscalar('*'));
  assignrow(M.place(), One.get(), Xyz.get());
  assignrow(M.place(), Two.get(), Star.get());
  EXPECT_EQ(std::string(rt::chars(M.get()), 6), "xyz***");

  Var V("V", ivec({10, 20, 30})), I("I", ivec({3, 1, 3}));
  EXPECT_EQ(Result(pick(V.get(), I.get())).all(), (Ints{3, 30, 10, 30}));
  EXPECT_EQ(Result(pick(V.get(), Two.get())).all(), (Ints{20}));  // a scalar index, a scalar
  Var Where("Where", ivec({1, 3})), Pair("Pair", ivec({8, 9})),
      Reals("Reals", numbers(rt::Real, {2}, {0.5, 0.5}));
  assign(V.place(), Where.get(), Pair.get());
  assign(V.place(), Two.get(), One.get());
  EXPECT_EQ(Result(copyof(V.get())).all(), (Ints{3, 8, 1, 9}));
  assign(Reals.place(), Two.get(), One.get());  // ints widen to reals
  EXPECT_EQ(rt::reals(Reals.get())[1], 1.0);
}

// The relations compare chars, bits and ints directly rather than a cell at
// a time: they must give what the element kernel gives, with either side a
// single element, bytes above 127 comparing as negative and ints at both
// ends of their range.
TEST(Arrays, RelationsAgreeWithTheElementKernel) {
  std::mt19937 random(20240611);
  const char bytes[] = {'a', 'b', '\r', '\x7f', '\x80', '\xe9', '\xff', '\0'};
  const int32_t values[] = {0, 1, -1, 7, INT_MIN, INT_MAX, 1, 0};
  struct Pair {
    int32_t ltype, rtype;
  } pairs[] = {{rt::Char, rt::Char}, {rt::Int, rt::Int}, {rt::Bit, rt::Bit}, {rt::Bit, rt::Int}, {rt::Int, rt::Bit}};
  // n random elements of the type (n 0: a scalar).
  auto make = [&](int32_t type, int32_t n) {
    rt::Array a = numbers(type, n == 0 ? Ints{} : Ints{n}, {});
    for (int32_t i = 0; i < (n == 0 ? 1 : n); ++i) {
      std::size_t pick = random() % 8;
      if (type == rt::Char) rt::chars(a)[i] = bytes[pick];
      else rt::ints(a)[i] = type == rt::Bit ? values[pick] & 1 : values[pick];
    }
    return a;
  };
  for (const Pair& p : pairs) {
    for (auto [nl, nr] : {std::pair{40, 40}, {0, 40}, {40, 0}, {0, 0}}) {
      Var L("L", make(p.ltype, nl)), R("R", make(p.rtype, nr));
      for (int32_t op = rt::OpLess; op <= rt::OpGreater; ++op) {
        Result got(dyadic(op, L.get(), R.get()));
        ASSERT_EQ(got.get().type, rt::Bit);
        for (int32_t i = 0; i < std::max({nl, nr, 1}); ++i) {
          const char* l = static_cast<const char*>(L.get().value) + (nl == 0 ? 0 : i) * rt::elemsize(p.ltype);
          const char* r = static_cast<const char*>(R.get().value) + (nr == 0 ? 0 : i) * rt::elemsize(p.rtype);
          rt::Cell want;
          rt::dsopv(op, &want, l, p.ltype, r, p.rtype);
          ASSERT_EQ(rt::ints(got.get())[i], want.i) << "op " << op << " types " << p.ltype << "," << p.rtype << " at " << i;
        }
      }
    }
  }
}

// The structural loops move elements as bytes, a run at a time: walks of a
// rank-3 array along each axis, catenations and compressions of reals, and
// scans and reductions of bit rows.
TEST(Arrays, RunsOfElements) {
  Var A("A", numbers(rt::Int, {2, 2, 3}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  Var Cut("Cut", ivec({1, -1, 2})), Off("Off", ivec({1, 0, -1}));
  EXPECT_EQ(Result(take(Cut.get(), A.get())).all(), (Ints{1, 1, 2, 3, 4}));
  EXPECT_EQ(Result(drop(Off.get(), A.get())).all(), (Ints{1, 2, 2, 6, 7, 9, 10}));
  EXPECT_EQ(Result(reverse(A.get(), 1)).all(), (Ints{2, 2, 3, 3, 4, 5, 0, 1, 2, 9, 10, 11, 6, 7, 8}));
  EXPECT_EQ(Result(reverse(A.get())).all(), (Ints{2, 2, 3, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9}));

  Var Re("Re", numbers(rt::Real, {3}, {0.5, -1.25, 3e300})), Half("Half", numbers(rt::Real, {}, {0.5}));
  Result joined(catenate(Re.get(), Half.get()));
  EXPECT_EQ(std::vector<double>(rt::reals(joined.get()), rt::reals(joined.get()) + 4),
            (std::vector<double>{0.5, -1.25, 3e300, 0.5}));
  Var Mask("Mask", ivec({0, 3, 1})), Three("Three", ivec({1, 1, 1}));
  Result chosen(compress(Mask.get(), Re.get())), repeated(compress(Three.get(), Half.get()));
  EXPECT_EQ(std::vector<double>(rt::reals(chosen.get()), rt::reals(chosen.get()) + 2),
            (std::vector<double>{-1.25, 3e300}));
  EXPECT_EQ(std::vector<double>(rt::reals(repeated.get()), rt::reals(repeated.get()) + 3),
            (std::vector<double>{0.5, 0.5, 0.5}));
  Var Runs("Runs", ivec({1, 1, 0, 1, 0, 0, 1, 1})), Text("Text", charvec("abcdefgh"));
  EXPECT_EQ(Result(compress(Runs.get(), Text.get())).text(), "abdgh");

  Var Rows("Rows", numbers(rt::Bit, {3, 4}, {1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(Result(andscan(Rows.get())).all(), (Ints{3, 4, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(Result(orscan(Rows.get())).all(), (Ints{3, 4, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(Result(plusreduce(Rows.get())).all(), (Ints{3, 3, 1, 4}));
  Var Big("Big", ivec({INT_MAX, 1, 5})), Low("Low", ivec({-9, INT_MIN, -3}));
  EXPECT_EQ(Result(plusreduce(Big.get())).all(), (Ints{INT_MIN + 5}));  // ints wrap around
  EXPECT_EQ(Result(maxreduce(Low.get())).all(), (Ints{-3}));
}

TEST(ArraysDeathTest, IndicesOutsideAnAxisAndInlineChecks) {
  Var M("M", chars23()), V("V", ivec({10, 20, 30})), Row("Row", charvec("xy"));
  Var Zero("Zero", intscalar(0)), One("One", intscalar(1)), Three("Three", intscalar(3));
  EXPECT_RTERROR(row(M.get(), Three.get()),
                 "^\nindex 3, length 2\n" RTMSG("\\[index\\] index error") "$");
  EXPECT_RTERROR(assignrow(M.place(), Zero.get(), Row.get()), "^\nindex 0, length 2\n");
  EXPECT_RTERROR(pick(V.get(), Zero.get()), "^\nindex 0, length 3\n");
  EXPECT_RTERROR(pick(V.get(), Row.get()), "^giventype 7, " RTMSG("illegal conversion to int") "$");
  EXPECT_RTERROR(assignrow(M.place(), One.get(), M.get()),
                 "^" RTMSG("\\[sub assignment\\] rank error 2") "$");
  EXPECT_RTERROR(assignrow(M.place(), One.get(), Row.get()),
                 "^" RTMSG("\\[sub assignment\\] length error") "$");
  testmxrank(V.get());
  EXPECT_RTERROR(testmxrank(M.get()), "^" RTMSG("\\[testmxrank\\] rank error") "$");
  EXPECT_RTERROR(testchar(V.get()), "^" RTMSG("type error") "$");
}

// Lengths, counts and indices beyond an int stop; the largest an int holds pass.
TEST(ArraysDeathTest, CountsBeyondTheIntRangeStop) {
  Var Two("Two", intscalar(2)), Max("Max", intscalar(INT_MAX));
  auto shaped = [&](std::initializer_list<double> shape) { return reshape(Temp(ivec(shape)), Two.get()); };
  EXPECT_EQ(Result(catenate(Temp(shaped({0, INT_MAX - 1})), Temp(shaped({0, 1})))).all(), (Ints{0, INT_MAX}));
  int32_t widest[] = {1, INT_MAX};
  EXPECT_EQ(rt::elemcount(2, widest), INT_MAX);
  struct Case { std::function<void()> run; std::string message; } cases[] = {
      {[&] { Var M("M", shaped({65536, 65537})); assignrow(M.place(), Two.get(), Two.get()); }, "elemcount] element count"},
      {[&] { Var M("M", shaped({65536, 32768})); assignrow(M.place(), Two.get(), Two.get()); }, "elemcount] element count"},
      {[&] { catenate(Temp(shaped({0, INT_MAX})), Temp(shaped({0, 1}))); }, "catenate] axis length"},
      {[&] { catenate(Temp(shaped({0, 65536, 65537})), Temp(shaped({0, 65536, 65537})), 0); }, "prodrange] product"},
      {[&] { rt::indexorigin = 2; iota(Max.get()); }, "iota] index"},
      {[&] { charvec(std::string_view(reinterpret_cast<char*>(widest), size_t{1} << 31)); }, "charvec] length"},
      {[&] { rt::NumList full{nullptr, rt::Int, INT_MAX, INT_MAX}; rt::numstore(&full, rt::Int); }, "numstore] count"},
  };
  for (const Case& c : cases)
    EXPECT_RTERROR(c.run(), "^apl run-time error: \n\\[" + c.message + " beyond the int range\n$");
}

}  // namespace
