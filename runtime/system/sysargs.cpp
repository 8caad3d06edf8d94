// Lengths, character copies and the small results of the system functions.
#include "runtime/system/sysargs.h"

#include <cstdlib>
#include <cstring>

#include "runtime/system/files.h"

namespace rt {

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

void intresult(Array* r, int32_t v) {
  descset(r, Int, 0, nullptr);
  descalloc(r);
  r->storage = Owned;
  ints(*r)[0] = v;
}

void realresult(Array* r, double v) {
  descset(r, Real, 0, nullptr);
  descalloc(r);
  r->storage = Owned;
  reals(*r)[0] = v;
}

// Element storage of every empty result: never read, written or freed.
static double emptystorage[1];

void emptyresult(Array* r, int32_t type) {
  r->value = emptystorage;
  r->storage = Owned;
  if (type == Char)
    mkemptycvect(r);
  else
    mkemptyivect(r);
}

}  // namespace rt
