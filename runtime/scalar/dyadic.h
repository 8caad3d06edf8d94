// The element kernel of the dyadic scalar functions: one element of each
// argument in, one result element out, by operator code. Looping, scalar
// extension and conformability belong to the callers (see dsops).
#pragma once

#include <cstdint>

#include "runtime/scalar/opcodes.h"

namespace rt {


// Applies the dyadic function `op` to the element at `left` (of type
// lefttype) and the one at `right`, and writes the result element at
// `result` with the width of its type (dsopt): 4 bytes for bit and int, 8
// for real, 1 for char. Stops through rterror on a refused operand.
void dsopv(int32_t op, void* result, const void* left, int32_t lefttype, const void* right,
           int32_t righttype);

// The result element type of `op` for these argument types.
int32_t dsopt(int32_t op, int32_t lefttype, int32_t righttype);

// Adds (op 3) or subtracts (op 4) n to or from the int (type 2) or real
// (type 3) at `value`, in place.
void resop(void* value, int32_t type, int32_t op, int32_t n);

// k!n, the number of ways of choosing k things from n, extended to negative
// integers; on ints (results beyond the int range saturate) and on reals.
int32_t ibinomial(int32_t k, int32_t n);
double binomial(double k, double n);

}  // namespace rt
