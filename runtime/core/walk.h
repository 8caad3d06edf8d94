// Strided traversal of a source array in the element order of a result: the
// walk behind reversal, take, drop and transposition.
//
// A walk is three int vectors with one entry per source axis: the axis map
// (the result axis along which the source axis runs), the offsets (the
// source index that the first result element takes) and the directions (+1
// or -1). walksteps turns them into a start position in the source storage
// and one step per result axis. The caller then visits the result in
// row-major order: after each element it adds the last axis's step, and for
// each axis whose inner axes have all just wrapped, that axis's step too.
#pragma once

#include <cstdint>

namespace rt {

// Three new n-entry vectors: map i -> i, offsets 0, directions +1. Returns n.
int32_t walkinit(int32_t n, int32_t** map, int32_t** offsets, int32_t** directions);

// The start position, and in *steps a new vector of one step per result
// axis, for a result of rank rrank and shape rshape over a source of rank
// srank and shape sshape. Stops if the map names no result axis, if a
// non-empty result would visit a source index outside its axis or a source
// that an int cannot count, or if an int cannot count the result.
int32_t walksteps(int32_t rrank, const int32_t* rshape, int32_t srank, const int32_t* sshape,
                  int32_t** steps, const int32_t* map, const int32_t* offsets,
                  const int32_t* directions);

// Reverses the order of the first n entries of all three vectors, in place.
void walkreverse(int32_t n, int32_t* map, int32_t* offsets, int32_t* directions);

// Replaces each of the three vectors by a new n-entry vector whose entry i is
// the old entry at perm[i] - 1 (perm is 1-based). The old vectors are not
// freed: the caller still owns them.
void walkpermute(const int32_t* perm, int32_t n, int32_t** map, int32_t** offsets,
                 int32_t** directions);

}  // namespace rt
