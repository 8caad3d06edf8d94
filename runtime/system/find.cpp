// find.
#include "runtime/system/find.h"

#include <cstring>

#include "runtime/core/error.h"
#include "runtime/system/sysargs.h"

namespace rt {

void find(Array* result, const Array* text, const Array* pattern) {
  if (text->type != Char || pattern->type != Char) rterror("[find]: non-character argument");
  int32_t m = text->rank <= 0 ? 1 : text->shape[0];
  if (m == 0) {
    emptyresult(result, Int);
    return;
  }
  // Positions past the stored text (a text of several empty rows) hold no
  // characters and never match.
  int32_t stored = axislength(*text), k = axislength(*pattern);
  const char *t = chars(*text), *p = chars(*pattern);
  descclear(result);
  result->type = Int;
  result->rank = 1;
  result->shape = vect1(m);
  vectalloc(&result->value, m, Int);
  int32_t* marks = ints(*result);
  for (int32_t i = 0; i < m; ++i)
    marks[i] = i < stored && k <= stored - i && std::memcmp(t + i, p, static_cast<std::size_t>(k)) == 0 ? 1 : 0;
}

}  // namespace rt
