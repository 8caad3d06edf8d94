// The array value: descriptor, type codes, the shared scalar and empty-vector
// shapes, the scalar cell, and the storage rules (allocation, resizing, moves
// and release).
//
// The rules every caller relies on:
// - Shapes and elements come from malloc/realloc and are released with free.
// - No function here releases what a descriptor held before it is filled:
//   release it first (detalloc), or it leaks.
// - The scalar shape and the empty-vector shape are shared static blocks,
//   never written or freed. An empty vector owns nothing at all: its elements
//   are a shared static block as well, and detalloc passes over it.
// - The elements of an array with a zero axis are never freed by detalloc.
// - A Fixed descriptor is never released.
// Every failure stops the program through rterror.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Element type codes. The numeric codes are ordered so that the larger of two
// is the type that holds both (bit < int < real); char mixes only with char.
enum Type : int32_t {
  Undefined = 0,  // no value: never set, or released
  Bit = 1,        // 0 or 1, held in a 32-bit int
  Int = 2,        // 32-bit signed int
  Real = 3,       // IEEE-754 double
  Char = 7,       // one byte
};

// Ownership marks of a descriptor.
enum Storage : int32_t {
  Owned = 0,  // shape and elements belong to the descriptor; detalloc frees them
  Fixed = 2,  // storage is owned elsewhere; detalloc leaves the descriptor alone
};

// An array descriptor, held by value by its owner. The runtime never
// allocates a descriptor itself.
struct Array {
  int32_t type;     // type code; 0 means undefined
  int32_t rank;     // number of axes; 0 for a scalar
  int32_t* shape;   // rank axis lengths; rank 0 points at scalarshape
  int32_t storage;  // Owned or Fixed
  void* value;      // elements in row-major order, read by type
};
static_assert(sizeof(void*) == 8, "the value field is 8 bytes wide");

// One element of any type: an int in its first 4 bytes, a double in all 8,
// a char in its first byte.
union Cell {
  int32_t i;
  double r;
  char c;
  unsigned char bytes[8];
};
static_assert(sizeof(Cell) == 8);

// The shape of every rank-0 value: one int holding 1, never freed or written.
extern int32_t scalarshape[1];

// The shape of every empty vector the runtime makes: one int holding 0, never
// freed or written.
extern int32_t emptyshape[1];

// Bytes per element of a storable type (bit, int, real, char); 0 for any
// other code.
std::size_t elemsize(int32_t type);

// Makes d undefined and empty: type Undefined, rank 0, no shape, Owned, no
// value. Whatever d held is dropped, not released.
void descclear(Array* d);

// Sets d's type and rank and gives it a shape: the scalar shape for rank 0 or
// less, else a new copy of the rank lengths at `shape`. Leaves storage and
// value as they were, and does not release the old shape.
void descset(Array* d, int32_t type, int32_t rank, const int32_t* shape);

// Gives d new element storage for the element count of its shape (room for
// one at least), of its type, unset; returns the count. The old value is
// dropped, not released; storage is left as it was. Stops as vectalloc and
// elemcount do.
int32_t descalloc(Array* d);

// The product of the rank lengths (1 for rank 0, the shape then unread).
// Stops with "[elemcount] element count beyond the int range" when an int
// cannot hold it.
int32_t elemcount(int32_t rank, const int32_t* shape);

// Whether an int holds the product of the n ints at v (1 when n <= 0; 0 when
// one of them is 0, however large the others); if so, stores it in *product,
// which is otherwise left as it was.
bool intproduct(const int32_t* v, int64_t n, int32_t* product);

// Stores in *p a new malloc block for n elements of `type` (room for one when
// n <= 0), unset; what *p held is not freed. A type without elements stops
// with "[vectalloc] impossible case", a refused block with "[vectalloc] out
// of memory allocation space", each after a detail line.
void vectalloc(void** p, int32_t n, int32_t type);

// Resizes the malloc block at *p (or null) to n elements of `type`, keeping
// the elements that fit; 0 keeps one element's room, so the block stays
// valid. Stops as vectalloc does, with "[vectrealloc]" messages; a negative n
// is refused as out of memory. On a stop *p is left as it was.
void vectrealloc(void** p, int32_t n, int32_t type);

// The move of an assignment: dst takes src's type, rank, shape and value, so
// the two share their storage. dst's storage mark is left as it was (a Fixed
// destination stays Fixed) and nothing is released: release dst first, and
// do not release src afterwards. Returns dst.
Array* desccopy(Array* dst, const Array* src);

// Releases what d owns and returns d; null and Fixed descriptors are left
// alone. The shape is freed (rank and shape then 0 and null), except the
// scalar shape, which is only let go, and the shape of an empty vector: an
// empty vector is passed over whole, and stays defined. The elements are
// freed and d becomes undefined with no value, except when the shape held no
// elements (a zero axis): the type and value are then left as they were.
// Codes -1 and 4 to 6 own no elements and only become undefined; any other
// unknown code stops with "[detalloc] impossible case".
Array* detalloc(Array* d);

// A new owned empty vector of `type`: rank 1 over the empty-vector shape,
// its elements a shared static block that is never read, written or freed.
Array emptyvector(int32_t type);

// A new owned value of `type` with `rank` axes, taking over `shape` (a malloc
// block of the lengths; rank 0 takes the scalar shape and ignores it). Its
// elements are new storage, unset. Storage is never allocated for no
// elements: an empty vector becomes emptyvector(type), its shape freed, and
// another value with a zero axis keeps its shape and gets the shared static
// elements. Stops as elemcount and vectalloc do.
Array newarray(int32_t type, int32_t rank, int32_t* shape);

// A new owned value of `type` that takes over `elements`, a malloc block
// holding n of them (n >= 0): with none the block is freed and the value is
// emptyvector(type); one is a scalar, more a vector of n. The block is
// neither resized nor copied: it becomes the value's elements as it is. Stops
// as vect1 does.
Array adoptvector(int32_t type, int32_t n, void* elements);

// A new malloc block of n ints, unset (room for one when n <= 0). Stops as
// vectalloc does.
int32_t* newints(int32_t n);

// A new copy of the rank lengths at `shape`; the scalar shape for rank 0 or
// less (nothing read).
int32_t* shapecopy(int32_t rank, const int32_t* shape);

// A new one-int vector holding n.
int32_t* vect1(int32_t n);
// A new two-int vector holding a and b.
int32_t* vect2(int32_t a, int32_t b);

// Makes d an int scalar whose element is the int at p, which d does not own
// by this: storage is left as it was for the caller to set.
void mkscalar(Array* d, int32_t* p);

// Makes d a character vector holding a copy of the NUL-terminated text s, in
// a new shape and new storage (also for ""); returns its length. Storage is
// left as it was. A text longer than an int can count stops.
int32_t mkcvect(Array* d, const char* s);

// Copies the characters of d into buf and ends them with a NUL; buf must hold
// the element count plus one. A value of another type writes nothing.
void cstring(char* buf, const Array* d);

// Copies n ints from src to dst; returns dst + n.
int32_t* intcopy(int32_t* dst, int32_t n, const int32_t* src);

// Records the program's argument count and vector (not copied) for the
// argument-matrix system variable.
void setargs(int argc, char** argv);

// Typed views of a descriptor's elements.
inline int32_t* ints(const Array& a) { return static_cast<int32_t*>(a.value); }
inline double* reals(const Array& a) { return static_cast<double*>(a.value); }
inline char* chars(const Array& a) { return static_cast<char*>(a.value); }

}  // namespace rt
