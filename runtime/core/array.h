// The array value: descriptor, type codes, the shared scalar shape, the scalar
// cell, and the storage rules (allocation, resizing, moves and release).
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

// Bytes per element of a storable type (bit, int, real, char); 0 for any
// other code.
std::size_t elemsize(int32_t type);

void descclear(Array* d);
void descset(Array* d, int32_t type, int32_t rank, const int32_t* shape);
int32_t descalloc(Array* d);
// The product of the rank lengths (1 for rank 0); stops when an int cannot
// hold it.
int32_t elemcount(int32_t rank, const int32_t* shape);
// Whether an int holds the product of the n ints at v (1 when n <= 0; 0 when
// one of them is 0, however large the others); if so, stores it in *product.
bool intproduct(const int32_t* v, int64_t n, int32_t* product);
void vectalloc(void** p, int32_t n, int32_t type);
void vectrealloc(void** p, int32_t n, int32_t type);
Array* desccopy(Array* dst, const Array* src);
Array* detalloc(Array* d);
int32_t* vect1(int32_t n);
int32_t* vect2(int32_t a, int32_t b);
void mkscalar(Array* d, int32_t* p);
int32_t mkcvect(Array* d, const char* s);
void cstring(char* buf, const Array* d);
int32_t* intcopy(int32_t* dst, int32_t n, const int32_t* src);
void setargs(int argc, char** argv);

// Typed views of a descriptor's elements.
inline int32_t* ints(const Array& a) { return static_cast<int32_t*>(a.value); }
inline double* reals(const Array& a) { return static_cast<double*>(a.value); }
inline char* chars(const Array& a) { return static_cast<char*>(a.value); }

}  // namespace rt
