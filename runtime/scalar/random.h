// Random numbers: the multiply-with-carry generator, roll and deal.
#pragma once

#include <cstdint>

namespace rt {

// The next uniform real in [0, 1]. On its first call in a process the
// generator seeds itself from *link; every call stores the 32-bit word it
// produced in *link.
double mwcrand(int32_t* link);

// One random integer from the index origin to index origin + n - 1, drawn
// through the random link. The two end values are half as likely as the rest.
int32_t roll(int32_t n);

// Fills values[0 .. count-1] with distinct results of roll(n). A count above
// n (or below 0) has no answer and stops the program.
void deal(int32_t* values, int32_t count, int32_t n);

// Puts the generator back in its start-of-process state, so that the next
// mwcrand seeds again from the link (for tests).
void mwcreset();

}  // namespace rt
