// Shape arithmetic of the structural functions: the conformability of dyadic
// scalar functions, catenation and lamination, result-shape builders, and a
// few integer helpers. Elements are never moved here; callers move them with
// getmp/setmp using the shapes and counts computed here.
//
// Every returned shape is a new int vector owned by the caller, except that a
// rank-0 result is the shared scalar shape, which is never freed.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Result shape of a dyadic scalar function of a left (lrank, lshape) and a
// right (rrank, rshape) argument, with scalar and singleton extension.
// Returns the result rank; stops on a rank or shape mismatch.
int32_t dsops(int32_t** shape, int32_t lrank, const int32_t* lshape, int32_t rrank,
              const int32_t* rshape);

// Where a catenation joins its two sides.
enum class Along : int32_t {
  LastAxis,  // along the last axis of the higher rank (k is not read)
  Axis,      // along axis k
  NewAxis,   // laminate: along a new axis inserted at position k
};

// Catenation of left and right along an axis, or lamination at a new one.
// Stores the result shape, the block size (product of the result's lengths
// after the axis) and the left and right counts along the axis; returns the
// result rank. A length or block size that an int cannot hold stops.
int32_t catenate(int32_t** shape, int32_t lrank, const int32_t* lshape, int32_t rrank,
                 const int32_t* rshape, int32_t k, Along mode, int32_t* block, int32_t* lcount,
                 int32_t* rcount);

// The shape of the side that receives the new axis of a lamination at k: its
// shape with a length 1 inserted at k.
int32_t* lamshape(int32_t k, int32_t lrank, const int32_t* lshape, int32_t rrank,
                  const int32_t* rshape);

// The int axis of a catenation or lamination given as an int or a real
// (*type 2 or 3). A whole real sets *type to 2 (catenate); a fraction sets
// it to 3 and gives its ceiling (laminate before that axis).
int32_t lamcheck(int32_t* type, const Cell* value, int32_t* axis);

// A new n-entry shape: 1 at position k, the n-1 lengths of `shape` in order
// elsewhere. Never reads more than n-1 entries of `shape`.
int32_t* insaxis(const int32_t* shape, int32_t n, int32_t k);

// Shape a followed by shape b (outer product); returns a + b.
int32_t shapecat(int32_t** shape, int32_t a, const int32_t* ashape, int32_t b,
                 const int32_t* bshape);

// Left shape without its last axis followed by right shape without its first
// (inner product); returns the result rank.
int32_t innershape(int32_t** shape, int32_t lrank, const int32_t* lshape, int32_t rrank,
                   const int32_t* rshape);

// Result shape of a transpose by the 1-based axis list `axes` (n entries)
// over `source`: result axis i has the least length of the source axes mapped
// to it (9999 when none is). Returns the result rank, the largest entry.
int32_t transshape(int32_t** shape, const int32_t* axes, int32_t n, const int32_t* source);

int32_t imax(int32_t a, int32_t b);

// |a|; the most negative int, which has no 32-bit absolute value, gives the
// largest int.
int32_t iabs(int32_t a);

// Product of v's entries strictly between positions a and b (1 if none);
// stops when an int cannot hold it.
int32_t prodrange(int32_t a, int32_t b, const int32_t* v);

// Copies the n ints of src except the one at position k into dst; returns
// dst advanced past the copied ints.
int32_t* intcopy_skip(int32_t* dst, int32_t k, int32_t n, const int32_t* src);

}  // namespace rt
