// Element access through scalar cells and conversion between element types.
// No index is tested here: callers keep i and j inside the storage. Element
// storage is passed by the address of a value pointer (&a.value), and a cell
// holds an int in i (bit and int), a double in r, a char in c.
//
// The conversions the rules allow: a type to itself; an int holding 0 or 1
// to bit; bit to int; bit and int to real. Every other one stops through
// rterror, naming the type it was asked for.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

// Reads element i of the storage at *place, of `type`, into the cell; returns
// the cell. A type without elements stops with "[getmp] impossible condition"
// after a detail line giving it.
Cell* getmp(Cell* cell, void* const* place, int32_t i, int32_t type);

// Writes the cell's element of `type` as element i of the storage at *place;
// the cell is left as it was. A type without elements stops with "[setmp]
// impossible condition" after a detail line.
void setmp(const Cell* cell, void* const* place, int32_t i, int32_t type);

// Element i of dst becomes element j of src (element 0 when src is a scalar),
// src being left as it was. Only an int source fills a bit or int dst, an int
// or real source a real one (ints widened), a char source a char one; any
// other pair stops with "[assign_ind] impossible conversion to ..." (VEXA_INT,
// REAL, VEXA_CHAR), a dst without elements with "[assign_ind] impossible
// type".
void assign_ind(Array* dst, int32_t i, const Array* src, int32_t j);

// Converts the cell, holding an element of type `given`, to type `wanted` in
// place. Wanted Undefined accepts any defined type and changes nothing (an
// undefined one stops with "unknown type"). A refused conversion stops with
// "illegal coversion to bit", "illegal conversion to int" (after a detail
// line with the given type), "illegal conversion to real" or "illegal
// conversion to char"; a wanted code without elements with "unknown type in
// cktype", after a detail line.
void cktype(Cell* cell, int32_t wanted, int32_t given);

// The same conversion from src into dst, src left as it was; dst is written
// only when the conversion takes place (never for wanted Undefined). Stops as
// cktype does, the last message being "unknown type in cktype2".
void cktype2(Cell* dst, int32_t wanted, const Cell* src, int32_t given);

// Brings two cells to their common type, the larger code: the cell of the
// smaller type is converted in place as cktype does, the other left as it
// was. Returns the common type; stops as cktype does (char with numbers
// stops).
int32_t cktypes(Cell* a, int32_t ta, Cell* b, int32_t tb);

// The same, writing both cells converted into da and db as cktype2 does;
// sa and sb are left as they were. Returns the common type.
int32_t cktypes2(Cell* da, const Cell* sa, int32_t ta, Cell* db, const Cell* sb, int32_t tb);

// Writes the fill element of `type` in the cell: 0 for bit and int, 0.0 for
// real, a blank for char; any other code stops with "fill type vexa_error".
void fillvalue(Cell* cell, int32_t type);

// Writes the identity element of the dyadic function `op` in the cell, as
// `type` (bit, int or real): the largest number for minimum, the smallest for
// maximum, else 0 or 1. A code without one (residue, logarithm, circular,
// nand, nor, the last two relations, or out of range) stops with "unknown op
// used in identity" after a detail line; a char or other type with "identity
// type error".
void identity(int32_t op, Cell* cell, int32_t type);

}  // namespace rt
