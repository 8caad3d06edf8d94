// System variables, bxdl and the hundredths delay.
#include "runtime/system/sysvar.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "runtime/core/globals.h"
#include "tests/support/child.h"
#include "tests/support/values.h"

using zelvotest::Capture;
using zelvotest::Val;

namespace {

// Seconds that fn takes on a monotonic clock: the least of three runs, so
// that a moment without the processor on a busy machine does not count.
template <typename F>
double timed(F fn) {
  double least = 1e9;
  for (int run = 0; run < 3; ++run) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    least = std::min(least, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return least;
}

TEST(Sysvar, SettableCodesReadSetAndKeepTheirCell) {
  struct Case { int32_t code; int32_t* global; int32_t start; } cases[] = {
      {rt::PrintPrecision, &rt::printprecision, 7},
      {rt::RandomLink, &rt::randomlink, 1},
      {rt::IndexOrigin, &rt::indexorigin, 1},
  };
  Val none;
  for (auto c : cases) {
    rt::resetglobals();
    Val r1, r2, r3;
    rt::sysvar(c.code, &r1, &none, &none);
    EXPECT_EQ(r1->type, rt::Int);
    EXPECT_EQ(r1->rank, 0);
    EXPECT_EQ(r1->storage, rt::Fixed) << "the cell is the runtime's";
    EXPECT_EQ(r1.first(), c.start) << c.code;

    Val zero = Val::intscalar(0);
    rt::sysvar(c.code, &r2, &none, &zero);
    EXPECT_EQ(r2.first(), 0);
    EXPECT_EQ(*c.global, 0);
    EXPECT_EQ(r2->value, r1->value) << "the next call rewrites the same cell";
    EXPECT_EQ(r1.first(), 0);

    Val real = Val::real(2.6);  // a real is rounded, not read by its bit pattern
    rt::sysvar(c.code, &r3, &none, &real);
    EXPECT_EQ(*c.global, 3) << c.code;
  }
  rt::resetglobals();
}

TEST(Sysvar, StreamMap) {
  rt::resetglobals();
  Val none, r;
  rt::sysvar(rt::OMAP, &r, &none, &none);
  EXPECT_EQ(r.list(), (std::vector<int32_t>{0, 0})) << "read before any assignment";
  EXPECT_EQ(rt::outstream, stdout);
  EXPECT_EQ(rt::errstream, stderr);
  EXPECT_EQ(r->storage, rt::Fixed);

  struct Case { Val flags; std::vector<int32_t> read; FILE* out; FILE* err; };
  Case cases[] = {
      {Val::intscalar(1), {1, 1}, stderr, stderr},
      {Val::ints({0, 1}), {0, 1}, stdout, stderr},  // the start-up arrangement
      {Val::ints({5}), {5, 5}, stderr, stderr},
      {Val::ints({0}, {}, rt::Bit), {0, 0}, stdout, stdout},  // flag 0 is standard output for both
      {Val::ints({1, 0}), {1, 0}, stderr, stdout},
  };
  for (auto& c : cases) {
    Val set, get;
    rt::sysvar(rt::OMAP, &set, &none, &c.flags);
    EXPECT_EQ(set.list(), c.read);
    EXPECT_EQ(rt::outstream, c.out);
    EXPECT_EQ(rt::errstream, c.err);
    rt::sysvar(rt::OMAP, &get, &none, &none);
    EXPECT_EQ(get.list(), c.read);
  }
  rt::resetglobals();
}

TEST(Sysvar, TimeStampAndClock) {
  // The same clock as the runtime's: time() may lag it by a tick.
  auto now = [] {
    timeval tv;
    gettimeofday(&tv, nullptr);
    return tv;
  };
  Val none, stamp, clock;
  time_t before = now().tv_sec;
  rt::sysvar(rt::TimeStamp, &stamp, &none, &none);
  rt::sysvar(rt::ClockSeconds, &clock, &none, &none);
  time_t after = now().tv_sec;
  ASSERT_EQ(stamp->rank, 1);
  ASSERT_EQ(stamp->shape[0], 7);
  EXPECT_EQ(stamp->storage, rt::Fixed);
  std::vector<int32_t> f = stamp.list();
  // The fields name a local second between the two readings.
  struct tm local = {};
  local.tm_year = f[0] - 1900;
  local.tm_mon = f[1] - 1;
  local.tm_mday = f[2];
  local.tm_hour = f[3];
  local.tm_min = f[4];
  local.tm_sec = f[5];
  local.tm_isdst = -1;
  time_t t = std::mktime(&local);
  EXPECT_GE(t, before);
  EXPECT_LE(t, after);
  EXPECT_GE(f[1], 1);
  EXPECT_LE(f[1], 12);
  EXPECT_GE(f[6], 0);
  EXPECT_LE(f[6], 999);

  EXPECT_EQ(clock->type, rt::Real);
  EXPECT_EQ(clock->storage, rt::Owned);
  EXPECT_GE(clock.first(), static_cast<double>(before));
  EXPECT_LE(clock.first(), static_cast<double>(after) + 1.0);
}

// The matrix is built once per process, so each case runs in a child of its own.
TEST(Sysvar, ArgumentMatrix) {
  struct Case { std::vector<const char*> args; std::string shown; } cases[] = {
      {{"zelvo"}, "1 5 [zelvo]"},
      {{"zelvo", "-x", "longest"}, "3 7 [zelvo  -x     longest]"},
  };
  for (auto& c : cases) {
    auto child = zelvotest::runchild([&] {
      rt::setargs(static_cast<int>(c.args.size()), const_cast<char**>(c.args.data()));
      Val none, m, again;
      rt::sysvar(rt::ArgMatrix, &m, &none, &none);
      rt::sysvar(rt::ArgMatrix, &again, &none, &none);
      std::printf("%d %d [%s]%s", m->shape[0], m->shape[1], m.text().c_str(),
                  again->value == m->value && m->storage == rt::Fixed ? "" : " rebuilt");
    });
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.out, c.shown);
  }
}

TEST(Sysvar, ShellGivesTheSystemStatus) {
  struct Case { const char* command; int32_t status; } cases[] = {
      {"exit 1", 256}, {"true", 0}, {"exit 3", 768}, {"sleep 1 >/dev/null 2>&1 & exit 0", 0},
  };
  Val none;
  for (auto c : cases) {
    Val cmd = Val::chars(c.command), r;
    auto t0 = std::chrono::steady_clock::now();
    rt::sysvar(rt::Shell, &r, &none, &cmd);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(r.first(), c.status) << c.command;
    EXPECT_EQ(r->storage, rt::Owned);
    EXPECT_LT(took, 0.9) << "a background command returns at once";
  }
}

TEST(SysvarDeathTest, Refusals) {
  Val none, r;
  for (int32_t code : {1, 8, 20, 22, -1})
    EXPECT_RTERROR(rt::sysvar(code, &r, &none, &none), "^" RTMSG("\\[sysvar\\] unimplemented system function error") "$");
  Val real = Val::real(1), three = Val::ints({1, 0, 1}), empty = Val::ints({});
  Val matrix(rt::Int, {1, 2}), text = Val::chars("1"), num = Val::intscalar(1);
  EXPECT_RTERROR(rt::sysvar(rt::OMAP, &r, &none, &real), "^" RTMSG("\\[OMAP\\] domain error") "$");
  EXPECT_RTERROR(rt::sysvar(rt::OMAP, &r, &none, &three), "^" RTMSG("\\[OMAP\\] shape error") "$");
  EXPECT_RTERROR(rt::sysvar(rt::OMAP, &r, &none, &empty), "^" RTMSG("\\[OMAP\\] shape error") "$");
  EXPECT_RTERROR(rt::sysvar(rt::OMAP, &r, &none, &matrix), "^" RTMSG("\\[OMAP\\] rank error") "$");
  EXPECT_RTERROR(rt::sysvar(rt::IndexOrigin, &r, &none, &text), "^" RTMSG("\\[sysvar\\] domain error") "$");
  EXPECT_RTERROR(rt::sysvar(rt::PrintPrecision, &r, &none, &empty), "^" RTMSG("\\[sysvar\\] domain error") "$");
  EXPECT_RTERROR(rt::sysvar(rt::Shell, &r, &none, &num), "^" RTMSG("\\[shell\\]: bad command type") "$");
}

TEST(Bxdl, SleepsForTheGivenSeconds) {
  struct Case { Val seconds; double low, high; } cases[] = {
      {Val::real(0), 0, 0.05},
      {Val::intscalar(0), 0, 0.05},
      {Val::ints({0}, {}, rt::Bit), 0, 0.05},
      {Val::real(0.03), 0.03, 0.5},
      {Val::real(-1), 0, 0.008},  // a negative duration sleeps not at all
      {Val::real(-0.5), 0, 0.008},
  };
  for (auto& c : cases) {
    Capture streams;
    double least = 1e9;
    for (int run = 0; run < 3; ++run) {  // the least of three: see timed
      Val r;
      rt::bxdl(&r, &c.seconds);
      EXPECT_EQ(r->type, rt::Real);
      EXPECT_EQ(r->rank, 0);
      least = std::min(least, r.first());
    }
    EXPECT_GE(least, c.low);
    EXPECT_LT(least, c.high);
    EXPECT_EQ(streams.err(), "") << "nothing to report";
  }
}

TEST(Bxdl, ASignalCutsTheSleepShort) {
  auto child = zelvotest::runchild([] {
    struct sigaction sa = {};
    sa.sa_handler = [](int) {};
    sigaction(SIGALRM, &sa, nullptr);  // no SA_RESTART: the sleep is interrupted
    itimerval timer = {{0, 0}, {0, 50000}};
    setitimer(ITIMER_REAL, &timer, nullptr);
    Val seconds = Val::real(2), r;
    rt::bxdl(&r, &seconds);
    std::printf("%s", r.first() < 1.0 ? "short" : "full");
  });
  EXPECT_EQ(child.out, "short");
  EXPECT_TRUE(testing::internal::RE::FullMatch(
      child.err, testing::internal::RE("\n\\[bxdl\\] sleep cut short \n\\[bxdl\\] time remaining: 1\\.9[0-9]+ sec\\. \n")))
      << child.err;
}

TEST(BxdlDeathTest, WrongArgument) {
  Val none, text = Val::chars("1"), empty = Val::ints({}), r;
  EXPECT_RTERROR(rt::bxdl(&r, &none), "^" RTMSG("\\[\\.bxdl\\] wrong type argument") "$");
  EXPECT_RTERROR(rt::bxdl(&r, &text), "^" RTMSG("\\[\\.bxdl\\] wrong type argument") "$");
  EXPECT_RTERROR(rt::bxdl(&r, &empty), "^" RTMSG("\\[\\.bxdl\\] empty argument") "$");
}

TEST(Delay, Hundredths) {
  struct Case { int32_t h; double low, high; } cases[] = {
      {1, 0.010, 0.5}, {12, 0.120, 0.6}, {0, 0, 0.008}, {-5, 0, 0.008},
  };
  for (auto c : cases) {
    double took = timed([&] { rt::delay(c.h); });
    EXPECT_GE(took, c.low) << c.h;
    EXPECT_LT(took, c.high) << c.h;
  }
}

}  // namespace
