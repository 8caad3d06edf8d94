// Running code in a forked child: its exit status, standard output and
// standard error, for the runtime's failures that write to standard output
// or exit through rterror.
#pragma once

#include <sys/wait.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace zelvotest {

struct ChildResult {
  int status = -1;   // exit status, or 128 + signal number if it died of a signal
  std::string out;   // everything it wrote on descriptor 1
  std::string err;   // everything it wrote on descriptor 2
};

// Runs fn in a forked child with descriptors 1 and 2 captured through pipes
// (both drained together, so large output cannot deadlock). The child exits
// 0 if fn returns. Leak checking is off in the child: a process that ends
// through rterror still holds its arrays by design.
ChildResult runchild(const std::function<void()>& fn);

// Reads what a child's standard output and error have within waitms (-1:
// until either has something) into result, and at the end of either
// closes it and sets it to -1; false once both have ended.
bool pump(int* out, int* err, ChildResult* result, int waitms);

// A status as waitpid gives it, as ChildResult::status tells it.
inline int exitstatus(int waitstatus) {
  return WIFEXITED(waitstatus) ? WEXITSTATUS(waitstatus) : 128 + WTERMSIG(waitstatus);
}

// Turns off the leak check of this process's exit (no-op without a sanitizer).
void allowleaksatexit();

// Whether this test program was built with the address sanitizer.
bool sanitized();

// Caps this process's address space at 1 GiB, so that large requests fail.
void limitaddressspace();

}  // namespace zelvotest

// A death test for the runtime's one failure mode: exit status 1 and a
// standard error that matches `pattern` (a POSIX extended regex).
#define EXPECT_RTERROR(stmt, pattern)                                         \
  EXPECT_EXIT(                                                                \
      {                                                                       \
        zelvotest::allowleaksatexit();                                        \
        stmt;                                                                 \
      },                                                                      \
      testing::ExitedWithCode(1), pattern)

// The exact standard error of an rterror with `message`, optionally preceded
// by detail lines.
#define RTMSG(message) "apl run-time error: \n" message "\n"
