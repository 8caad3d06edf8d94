// Grading: the permutation that sorts a vector of keys, the comparison that
// defines it, and the search of a graded vector for the first equal key.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Order of two keys, by key index a and b, for keys of the given type and
// direction (+1 ascending, -1 descending): negative, zero or positive.
// Distinct keys follow the direction; equal keys always compare by ascending
// index, so the order is total and the grade is fully determined. Ints and
// bits compare as signed 32-bit values, chars as signed bytes; reals compare
// exactly, with -0.0 equal to 0.0 and every NaN above every number and equal
// to every other NaN. For any other type every pair gives +1.
int32_t gradeorder(const void* keys, int32_t type, int32_t direction, int32_t a, int32_t b);

// Grades the n keys held at *keys: *grade becomes a new int vector of n key
// indices counted from 0 (at least one entry allocated; the caller frees it),
// listing the keys in the order gradeorder defines. Keys of any other type
// than bit, int, real or char keep the identity grade.
void gradesort(int32_t** grade, void* const* keys, int32_t n, int32_t type, int32_t direction);

// gradeorder as a qsort comparison of two grade entries, for the keys, type
// and direction of the gradesort in progress. Not re-entrant.
int gradecompare(const void* pa, const void* pb);

// The key index of the first key equal to the value in the cell (the lowest
// such index), searching the ascending grade of the n keys; n when no key is
// equal, when the key and value types are not comparable, or when the value
// is a NaN. Ints and reals compare as doubles, chars only with chars.
int32_t gradesearch(const int32_t* grade, void* const* keys, const Cell* value, int32_t keytype,
                    int32_t valuetype, int32_t n);

}  // namespace rt
