// Helpers shared by the system functions: what each does on entry, lengths
// of designations, NUL-terminated copies of character arguments, changes of
// descriptor flags, and integer and real scalar results.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"
#include "runtime/system/syscalls.h"

namespace rt {

// What every system function does first: calls the entry hook, if one is in
// place. The process functions put in the collection of their finished
// children when they start the first one (reapchildren), so that a long run
// gathers no zombies while the other system functions know nothing of
// processes. errno is left as it was.
void sysentry();
extern void (*entryhook)();

// The length of the first axis (1 for a scalar), but never more than the
// elements stored, so that a name or a list of descriptors can be read
// without running past its storage (a 3-by-0 matrix has a first axis of 3
// and no elements).
int32_t axislength(const Array& a);

// A NUL-terminated copy of the first n bytes of a character argument, in
// heap storage that is released when the copy goes out of scope.
class CText {
 public:
  CText(const Array& a, int32_t n);
  ~CText();
  CText(const CText&) = delete;
  CText& operator=(const CText&) = delete;
  const char* str() const { return text_; }

 private:
  char* text_;
};

// Adds `on` to fd's flags and takes `off` away (syssetflags); stops through
// rterror with `getfailed` when they cannot be read, with `setfailed` when
// they cannot be stored.
void setflags(int fd, Flags which, int on, int off, const char* getfailed, const char* setfailed);

// Fills r as an integer scalar in fresh storage.
void intresult(Array* r, int32_t v);

// Fills r as a real scalar in fresh storage.
void realresult(Array* r, double v);

}  // namespace rt
