// The element kernel of the dyadic scalar functions: one element of each
// argument in, one result element out, by operator code; and the kernel's
// comparisons, for callers that loop over relations themselves. Looping,
// scalar extension and conformability belong to the callers (see dsops).
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/scalar/opcodes.h"

namespace rt {

// Applies the dyadic function `op` to the element at `left` (of type
// lefttype) and the one at `right`, and writes the result element at
// `result` with the width of its type (dsopt): 4 bytes for bit and int, 8
// for real, 1 for char. Stops through rterror on a refused operand.
void dsopv(int32_t op, void* result, const void* left, int32_t lefttype, const void* right,
           int32_t righttype);

// The comparison of a relation, OpLess to OpGreater (any other code is taken
// as OpGreater): calls `use` once with a function object that takes two
// elements of one type and gives whether the relation holds between them.
// The kernel compares ints as signed 32-bit numbers, reals by IEEE rules
// (only OpNotEqual holds with a NaN) and chars as signed bytes (pass them as
// signed char). A loop over many elements asks once, and compares in a loop
// of its own rather than dispatching on the code per element.
template <typename Use>
void comparison(int32_t op, Use use) {
  switch (op) {
    case OpLess: use(std::less<>()); break;
    case OpNotGreater: use(std::less_equal<>()); break;
    case OpEqual: use(std::equal_to<>()); break;
    case OpNotEqual: use(std::not_equal_to<>()); break;
    case OpNotLess: use(std::greater_equal<>()); break;
    default: use(std::greater<>());
  }
}

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
