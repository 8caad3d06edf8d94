// What every fuzz target shares: quiet streams, a guard that survives the
// runtime's stops, and the release of the values a target made.
#pragma once

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "runtime/core/array.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace zelvofuzz {

// Sends standard output and the runtime's error stream to /dev/null: the
// runtime's diagnostics are still formatted, but a run is not flooded with
// them. libFuzzer reports on standard error, which stays open.
inline void quietstreams() {
  static FILE* devnull = std::fopen("/dev/null", "w");
  if (devnull == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  rt::errstream = devnull;
}

namespace detail {
inline std::jmp_buf* stopped = nullptr;
[[noreturn]] inline void jumpback(int) { std::longjmp(*stopped, 1); }
inline void exitprocess(int status) { std::exit(status); }
}  // namespace detail

// Runs fn, which may stop through rterror or syserror; returns whether it
// returned (true) or stopped (false). A stop jumps back here instead of
// ending the process, abandoning what the stopped call had allocated, so fn
// must hold no object that needs its destructor run.
template <typename Fn>
bool survives(Fn&& fn) {
  std::jmp_buf here;
  detail::stopped = &here;
  rt::errorexit = detail::jumpback;
  volatile bool returned = false;
  if (setjmp(here) == 0) {
    fn();
    returned = true;
  }
  rt::errorexit = detail::exitprocess;
  detail::stopped = nullptr;
  return returned;
}

// Frees a value a runtime function made: its shape unless it is the shared
// scalar shape, and its elements. With `staticempty`, an empty vector is one
// whose shape and elements are static (as the input functions and execute
// make them) and nothing is freed. Leaves the descriptor cleared.
inline void release(rt::Array& a, bool staticempty) {
  if (staticempty && a.rank == 1 && a.shape[0] == 0) {
    rt::descclear(&a);
    return;
  }
  if (a.rank > 0) std::free(a.shape);
  std::free(a.value);
  rt::descclear(&a);
}

}  // namespace zelvofuzz
