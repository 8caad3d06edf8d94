// find: where a pattern occurs in a text.
#pragma once

#include "runtime/core/array.h"

namespace rt {

// An int vector as long as the text, 1 at every position where the whole
// pattern occurs in the text from there, else 0 (bytes compare exactly). An
// empty pattern occurs everywhere: every position is 1.
void find(Array* result, const Array* text, const Array* pattern);

}  // namespace rt
