// Displaying values and the two reporters.
#include "runtime/core/print.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "tests/support/child.h"
#include "tests/support/values.h"

using namespace rt;
using zelvotest::Val;

namespace {

// What f prints on standard output, run in a child.
std::string printed(const std::function<void()>& f) {
  auto r = zelvotest::runchild(f);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

TEST(Print, ElementsUnderThePrintPrecision) {
  struct Case { int32_t type; Cell cell; const char* text; } cases[] = {
      {Int, {.i = 42}, "     42"},
      {Int, {.i = -3}, "     -3"},
      {Bit, {.i = 1}, "      1"},
      {Int, {.i = 123456789}, "123456789"},  // wider numbers are written whole
      {Real, {.r = 3.14159265}, "       3.141593"},
      {Real, {.r = 0.5}, "            0.5"},
      {Real, {.r = 1e20}, "          1e+20"},
      {Char, {.c = 'x'}, "x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(printed([&] { printit(&c.cell, c.type, 0); }), c.text) << c.text;
  Cell cell{.i = 5};
  EXPECT_EQ(printed([&] { printit(&cell, Int, 2); }), "      5\n\n");
  EXPECT_EQ(printed([&] { printit(&cell, Int, -1); }), "      5");
}

TEST(Print, LineBreaksFollowRowsAndPlanes) {
  int32_t m[] = {2, 3}, c[] = {2, 2, 2};
  struct Case { int32_t i, rank; const int32_t* shape; int32_t breaks; } cases[] = {
      {0, 0, scalarshape, 1}, {0, 2, m, 0}, {2, 2, m, 1}, {5, 2, m, 1},
      {1, 3, c, 1},           {3, 3, c, 2}, {7, 3, c, 1}, {0, 3, c, 0},
  };
  for (auto k : cases) EXPECT_EQ(nlcount(k.i, k.rank, k.shape), k.breaks) << k.i << " " << k.rank;
}

TEST(Print, WholeValues) {
  EXPECT_EQ(printed([] { display(*Val::ints({1, 2, 3, 4, 5, 6}, {2, 3})); }),
            "      1      2      3\n      4      5      6\n");
  EXPECT_EQ(printed([] { display(*Val::ints({0, 1, 2, 3, 4, 5, 6, 7}, {2, 2, 2})); }),
            "      0      1\n      2      3\n\n      4      5\n      6      7\n");
  EXPECT_EQ(printed([] {
              display(*Val::ints({9}));
              display(*Val::intscalar(9));
            }),
            "      9\n      9\n");
  EXPECT_EQ(printed([] { display(*Val::chars("")); }), "");
  EXPECT_EQ(printed([] { display(*Val::chars("hi")); }), "hi\n");
}

TEST(PrintDeathTest, Reporters) {
  Cell cell{.i = 0};
  EXPECT_RTERROR(printit(&cell, 4, 0), "^" RTMSG("printit run-time type error \n") "$");
  EXPECT_RTERROR(rterror("undefined value (Text) used"),
                 "^apl run-time error: \nundefined value \\(Text\\) used\n$");
  EXPECT_RTERROR(
      {
        errno = 0;
        syserror("[spawn]: dup (i) failed");
      },
      "^system error: \\[spawn\\]: dup \\(i\\) failed \\(0\\)\n$");
  EXPECT_RTERROR(
      {
        errno = EBADF;
        syserror("step");
      },
      "^system error: step \\(9: Bad file descriptor\\)\n$");
  EXPECT_RTERROR(
      {
        errno = 100000;
        syserror("step");
      },
      "^system error: step \\(100000\\)\n$");
}

TEST(Print, ErrorsGoToTheErrorStreamAfterPendingOutput) {
  auto r = zelvotest::runchild([] {
    std::fputs("pending", stdout);  // buffered: flushed by the exit path
    rterror("boom");
  });
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "pending");
  EXPECT_EQ(r.err, "apl run-time error: \nboom\n");
}

}  // namespace
