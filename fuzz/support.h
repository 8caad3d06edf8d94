// What every fuzz target shares: quiet streams, a guard that survives the
// runtime's stops (freeing what the stopped call had allocated), and the
// release of the values a target made.
#pragma once

#include <sanitizer/allocator_interface.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/array.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace zelvofuzz {

namespace detail {

// The blocks allocated during a guarded call and not yet freed, so that a
// stop can free them. Filled by malloc and free hooks, which may not allocate.
inline constexpr int maxheld = 1 << 16;
inline void* held[maxheld];
inline int nheld = 0;
// Per thread: only the guarded call's own thread records. libFuzzer's helper
// threads allocate too, and freeing their blocks after a stop would leave
// them dangling.
inline thread_local bool tracking = false;

inline void onmalloc(const volatile void* p, size_t) {
  if (!tracking) return;
  if (nheld == maxheld) std::abort();  // more than a guarded call should ever hold
  held[nheld++] = const_cast<void*>(p);
}

inline void onfree(const volatile void* p) {
  if (!tracking) return;
  for (int i = nheld - 1; i >= 0; --i)
    if (held[i] == p) {
      held[i] = held[--nheld];
      return;
    }
}

inline std::jmp_buf* stopped = nullptr;
[[noreturn]] inline void jumpback(int) { std::longjmp(*stopped, 1); }
inline void exitprocess(int status) { std::exit(status); }

}  // namespace detail

// Prepares a target: sends standard output and the runtime's error stream to
// /dev/null (the runtime's diagnostics are still formatted, but a run is not
// flooded with them; libFuzzer reports on standard error, which stays open),
// and installs the allocation hooks of survives.
//
// Both streams are unbuffered: a stream allocates its buffer on its first
// write, and a buffer first allocated during a guarded call that stops
// would be freed with that call's blocks while the stream still uses it.
inline void setup() {
  static FILE* devnull = std::fopen("/dev/null", "w");
  if (devnull == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  std::setvbuf(devnull, nullptr, _IONBF, 0);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  rt::errstream = devnull;
  if (__sanitizer_install_malloc_and_free_hooks(detail::onmalloc, detail::onfree) == 0) std::abort();
}

}  // namespace zelvofuzz

// The libFuzzer start-up hook of a target that needs nothing beyond setup().
#define ZELVO_FUZZ_INITIALIZE()                         \
  extern "C" int LLVMFuzzerInitialize(int*, char***) { \
    zelvofuzz::setup();                                 \
    return 0;                                           \
  }

namespace zelvofuzz {

// Runs fn, which may stop through rterror or syserror; returns whether it
// returned (true) or stopped (false). A stop jumps back here instead of
// ending the process, and every block allocated during fn and not freed is
// freed then, so the values fn was making hold dangling pointers: clear
// them, do not release them. fn must hold no object that needs its
// destructor run.
template <typename Fn>
bool survives(Fn&& fn) {
  std::jmp_buf here;
  detail::stopped = &here;
  rt::errorexit = detail::jumpback;
  volatile bool returned = false;
  detail::nheld = 0;
  detail::tracking = true;
  if (setjmp(here) == 0) {
    fn();
    returned = true;
  }
  detail::tracking = false;
  if (!returned)
    for (int i = 0; i < detail::nheld; ++i) std::free(detail::held[i]);
  detail::nheld = 0;
  rt::errorexit = detail::exitprocess;
  detail::stopped = nullptr;
  return returned;
}

// The input bytes and `end` after them, in a block of exactly that size, so
// that a read past `end` is caught; the caller frees it.
inline char* copyof(const uint8_t* data, size_t size, char end) {
  char* bytes = static_cast<char*>(std::malloc(size + 1));
  if (size > 0) std::memcpy(bytes, data, size);
  bytes[size] = end;
  return bytes;
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
