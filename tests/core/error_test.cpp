// The exit hook of rterror and syserror.
#include "runtime/core/error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <string>

#include "runtime/core/globals.h"
#include "tests/support/child.h"

namespace {

std::jmp_buf back;
int hookstatus = -1;
[[noreturn]] void jumpback(int status) {
  hookstatus = status;
  std::longjmp(back, 1);
}
void returns(int) {}

// Everything written on a stream since it was opened.
std::string contents(FILE* f) {
  std::string s;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  return s;
}

// A replaced hook gets status 1 after the message is written, and a hook
// that jumps away takes control with it (what a fuzz harness relies on).
TEST(ErrorExit, ReplacedHookTakesOverTheStop) {
  void (*saved)(int) = rt::errorexit;
  FILE* err = std::tmpfile();
  rt::errstream = err;
  rt::errorexit = jumpback;
  struct Case { void (*stop)(); const char* want; } cases[] = {
      {[] { rt::rterror("[vectalloc] impossible case"); }, "apl run-time error: \n[vectalloc] impossible case\n"},
      {[] { errno = ENOENT; rt::syserror("open"); }, "system error: open (2: No such file or directory)\n"},
  };
  for (const Case& c : cases) {
    hookstatus = -1;
    if (setjmp(back) == 0) {
      c.stop();
      ADD_FAILURE() << "the stop returned";
    }
    EXPECT_EQ(hookstatus, 1);
    EXPECT_EQ(contents(err), c.want);
    std::fclose(err);
    err = std::tmpfile();
    rt::errstream = err;
  }
  rt::errorexit = saved;
  rt::resetglobals();
  std::fclose(err);
}

// A hook that returns does not make the stop return: the process still exits 1.
TEST(ErrorExitDeathTest, HookThatReturnsStillExits) {
  EXPECT_RTERROR(
      {
        rt::errorexit = returns;
        rt::rterror("still stops");
      },
      "^" RTMSG("still stops") "$");
}

}  // namespace
