// The monadic scalar functions: the element kernel by operator code, its
// result types, the integer ceiling and the integer factorial.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"
#include "runtime/scalar/opcodes.h"

namespace rt {


// Applies monadic function `op` to the element x of type `type` and writes
// the one result element, of the type msopt gives, into *result. result and
// x may be the same cell. Domain errors stop the program.
void msopv(Cell* result, int32_t op, const Cell* x, int32_t type);

// The result type of monadic `op` on an argument of type `type`. Pi times
// (code 10) is refused here although msopv computes it.
int32_t msopt(int32_t op, int32_t type);

// The ceiling of an integer or real element as a 32-bit integer; only op 2.
int32_t imsop(int32_t op, const Cell* x, int32_t type);

// n! in 32-bit arithmetic (wrapping above 12!), 1 for n <= 0.
int32_t ifact(int32_t n);

}  // namespace rt
