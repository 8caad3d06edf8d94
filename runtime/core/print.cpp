// printit, nlcount and the display of a whole value.
#include "runtime/core/print.h"

#include <cstdio>

#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace rt {

void printit(const Cell* cell, int32_t type, int32_t breaks) {
  switch (type) {
    case Bit:
    case Int: std::fprintf(outstream, "%*d", printprecision, cell->i); break;
    // Reals get 8 more columns than ints: room for sign, point and exponent.
    case Real: std::fprintf(outstream, "%*.*g", printprecision + 8, printprecision, cell->r); break;
    case Char: std::fprintf(outstream, "%c", cell->c); break;
    default: rterror("printit run-time type error \n");
  }
  for (int32_t k = 0; k < breaks; ++k) std::fputc('\n', outstream);
}

int32_t nlcount(int32_t i, int32_t rank, const int32_t* shape) {
  if (rank <= 0) return 1;
  int32_t n = 0;
  int64_t p = 1;
  for (int32_t j = rank - 1; j >= 0; --j) {
    p *= shape[j];
    if (p == 0 || (int64_t{i} + 1) % p != 0) break;
    ++n;
  }
  return n >= rank ? 1 : n;
}

void display(const Array& a) {
  int32_t n = elemcount(a.rank, a.shape);
  Cell cell;
  void* v = a.value;
  for (int32_t i = 0; i < n; ++i) {
    getmp(&cell, &v, i, a.type);
    printit(&cell, a.type, nlcount(i, a.rank, a.shape));
  }
}

}  // namespace rt
