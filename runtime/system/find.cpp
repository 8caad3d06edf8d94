// find.
#include "runtime/system/find.h"

#include <cstring>

#include "runtime/core/error.h"
#include "runtime/system/sysargs.h"

namespace rt {

void find(Array* result, const Array* text, const Array* pattern) {
  if (text->type != Char || pattern->type != Char) rterror("[find]: non-character argument");
  int32_t m = text->rank <= 0 ? 1 : text->shape[0];
  // Positions past the stored text (a text of several empty rows) hold no
  // characters and never match.
  int32_t stored = axislength(*text), k = axislength(*pattern);
  const char *t = chars(*text), *p = chars(*pattern);
  *result = newarray(Int, 1, vect1(m));
  int32_t* marks = ints(*result);
  for (int32_t i = 0; i < m; ++i)
    marks[i] = i < stored && k <= stored - i && std::memcmp(t + i, p, static_cast<std::size_t>(k)) == 0 ? 1 : 0;
}

}  // namespace rt
