// Element loops of the console's primitives.
#include "console/arrays.h"

#include "runtime/core/convert.h"

namespace zelvo {

rt::Array charvec(const char* s) {
  rt::Array a;
  rt::descclear(&a);
  rt::mkcvect(&a, s);
  return a;
}

rt::Array intscalar(int32_t v) {
  rt::Array a;
  rt::descclear(&a);
  rt::descset(&a, rt::Int, 0, nullptr);
  rt::descalloc(&a);
  rt::ints(a)[0] = v;
  return a;
}

rt::Array charscalar(char c) {
  rt::Array a;
  rt::descclear(&a);
  rt::descset(&a, rt::Char, 0, nullptr);
  rt::descalloc(&a);
  rt::chars(a)[0] = c;
  return a;
}

rt::Array copyof(const rt::Array& a) {
  rt::Array r;
  rt::descclear(&r);
  rt::descset(&r, a.type, a.rank, a.shape);
  int32_t n = rt::descalloc(&r);
  rt::Cell cell;
  for (int32_t i = 0; i < n; ++i) {
    rt::getmp(&cell, &a.value, i, a.type);
    rt::setmp(&cell, &r.value, i, r.type);
  }
  return r;
}

int32_t firstint(const rt::Array& a) {
  rt::Cell cell;
  rt::getmp(&cell, &a.value, 0, a.type);
  rt::cktype(&cell, rt::Int, a.type);
  return cell.i;
}

int32_t length(const rt::Array& a) { return a.shape[0]; }

}  // namespace zelvo
