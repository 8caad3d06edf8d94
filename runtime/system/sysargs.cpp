// Lengths, character copies and the scalar results of the system functions.
#include "runtime/system/sysargs.h"

#include <cstdlib>
#include <cstring>

#include "runtime/core/error.h"

namespace rt {

void (*entryhook)() = nullptr;

void sysentry() {
  if (entryhook != nullptr) entryhook();
}

int32_t axislength(const Array& a) {
  int32_t first = a.rank <= 0 ? 1 : a.shape[0];
  int32_t n = elemcount(a.rank, a.shape);
  return first < n ? first : n;
}

CText::CText(const Array& a, int32_t n) {
  if (n < 0) n = 0;
  // Room for the bytes and the NUL; a text of the largest count (2 GiB) loses
  // its last byte rather than overflow the count.
  if (n == INT32_MAX) --n;
  void* p;
  vectalloc(&p, n + 1, Char);
  text_ = static_cast<char*>(p);
  if (n > 0) std::memcpy(text_, a.value, static_cast<std::size_t>(n));
  text_[n] = '\0';
}

CText::~CText() { std::free(text_); }

void setflags(int fd, Flags which, int on, int off, const char* getfailed, const char* setfailed) {
  FlagStep step = syssetflags(fd, which, on, off);
  if (step == FlagStep::Get) rterror(getfailed);
  if (step == FlagStep::Set) rterror(setfailed);
}

void intresult(Array* r, int32_t v) {
  *r = newarray(Int, 0, scalarshape);
  ints(*r)[0] = v;
}

void realresult(Array* r, double v) {
  *r = newarray(Real, 0, scalarshape);
  reals(*r)[0] = v;
}

}  // namespace rt
