// The element loops of the primitives that the console's functions use. The
// runtime computes shapes, counts and walk steps; the elements move here,
// through getmp and setmp, and nowhere else in the console.
//
// Every function that gives a value returns a fresh owned array, made by
// rt::newarray: a value without elements keeps its elements (and, for an
// empty vector, its shape) in the runtime's shared static storage, which
// detalloc never frees, so empty results cost no heap storage. Such storage
// must never be resized or freed directly.
//
// Counts, masks and indices are ints (bits pass, reals are refused); index
// positions follow the index origin, axes are given from 0. A scalar
// argument of take, drop, compress and indexing counts as a one-element
// vector. Every count or index outside its axis stops through rterror, and
// so does a result whose lengths, element count or indices no int can hold.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/core/array.h"

namespace zelvo {

// A character vector holding the bytes of s (any bytes, NUL included).
rt::Array charvec(std::string_view s);
// The bytes of a character value (others stop with "type error"), in
// place: valid while a is unchanged.
std::string_view textof(const rt::Array& a);
// A fresh integer scalar.
rt::Array intscalar(int32_t v);
// A fresh character scalar.
rt::Array charscalar(char c);
// An element-by-element duplicate of a, with its own shape and storage.
rt::Array copyof(const rt::Array& a);
// The first element of a numeric value as an int (reals are refused).
int32_t firstint(const rt::Array& a);
// The length of a vector: the first shape element (1 for a scalar).
int32_t length(const rt::Array& a);

// The dyadic scalar function `op` (an operator code) applied element by
// element; a scalar or one-element vector pairs with every element of the
// other side.
rt::Array dyadic(int32_t op, const rt::Array& left, const rt::Array& right);

// left, right: catenation along the last axis, or along `axis`. A side with
// no elements takes the type of the other.
rt::Array catenate(const rt::Array& left, const rt::Array& right);
rt::Array catenate(const rt::Array& left, const rt::Array& right, int32_t axis);

// count take a: the first count (count >= 0) or last -count items along the
// last axis, or along `axis`; a count with one entry per axis takes along
// every axis. There are no fill items: a count beyond the axis stops.
rt::Array take(const rt::Array& count, const rt::Array& a);
rt::Array take(const rt::Array& count, const rt::Array& a, int32_t axis);

// count drop a: all but the first count (count >= 0) or last -count items,
// as for take; dropping the whole axis or more leaves it empty.
rt::Array drop(const rt::Array& count, const rt::Array& a);
rt::Array drop(const rt::Array& count, const rt::Array& a, int32_t axis);

// The n elements of the vector a from element `from` on (counted from 0):
// n take from drop a, in one pass that costs n, however long a is. The
// stretch must lie inside a.
rt::Array slice(const rt::Array& from, const rt::Array& n, const rt::Array& a);

// (count drop a), b for vectors (count >= 0): the elements of a after its
// first count, then those of b, moved once, with no copy of a in between.
rt::Array dropcatenate(const rt::Array& count, const rt::Array& a, const rt::Array& b);

// The items of a in reverse order along the last axis, or along `axis`.
rt::Array reverse(const rt::Array& a);
rt::Array reverse(const rt::Array& a, int32_t axis);

// mask / a: the elements of the vector a whose mask element is not 0, in
// order. A one-element a supplies its element to every selected position.
rt::Array compress(const rt::Array& mask, const rt::Array& a);

// The and-scan and or-scan of a boolean value along its last axis: the
// and-scan keeps 1 up to the first 0, the or-scan turns 1 from the first 1.
rt::Array andscan(const rt::Array& a);
rt::Array orscan(const rt::Array& a);

// The plus and maximum reductions along the last axis; an empty axis gives
// the function's identity. Bits reduce to ints.
rt::Array plusreduce(const rt::Array& a);
rt::Array maxreduce(const rt::Array& a);

// The first n indices, from the index origin on.
rt::Array iota(const rt::Array& n);

// Row i (index origin) of the matrix m.
rt::Array row(const rt::Array& m, const rt::Array& i);
// Row i of the matrix m, every column, becomes value (a scalar, or a vector
// as long as a row), in place.
void assignrow(rt::Array& m, const rt::Array& i, const rt::Array& value);

// v[i]: the elements of the vector v at the indices i (index origin); the
// result has the shape of i.
rt::Array pick(const rt::Array& v, const rt::Array& i);
// v[i] <- value, in place: value is a single element or has one element per
// index; each is converted to v's type.
void assign(rt::Array& v, const rt::Array& i, const rt::Array& value);

// table index-of values: for each element of values, the position (index
// origin) of its first occurrence in the vector table, or the table's length
// plus the index origin when it does not occur. The table is graded once and
// searched once per element. The result has the shape of values.
rt::Array indexof(const rt::Array& table, const rt::Array& values);

// shape reshape value: a new array of the given shape (a scalar or vector of
// lengths) filled with the elements of value, cycled in row-major order.
rt::Array reshape(const rt::Array& shape, const rt::Array& value);

// The plus-scan of a numeric vector: running sums; bits sum to ints.
rt::Array plusscan(const rt::Array& a);

// The 256 characters of codes 0 to 255, in order.
rt::Array atomicvector();

// Stops with "[testmxrank] rank error" unless a is a scalar or a vector.
void testmxrank(const rt::Array& a);
// Stops with "type error" unless a holds characters.
void testchar(const rt::Array& a);

}  // namespace zelvo
