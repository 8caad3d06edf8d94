// Storage of array values: allocation, resizing, moves, release and the small
// constructors. Every block comes from malloc/realloc so that plain free
// releases it.
#include "runtime/core/array.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace rt {

int32_t scalarshape[1] = {1};
int32_t emptyshape[1] = {0};

// The elements of every value without any: never read, written or freed.
static Cell noelements;

std::size_t elemsize(int32_t type) {
  switch (type) {
    case Bit:
    case Int: return 4;
    case Real: return 8;
    case Char: return 1;
    default: return 0;
  }
}

void descclear(Array* d) {
  d->type = Undefined;
  d->rank = 0;
  d->shape = nullptr;
  d->storage = Owned;
  d->value = nullptr;
}

void descset(Array* d, int32_t type, int32_t rank, const int32_t* shape) {
  d->type = type;
  d->rank = rank;
  d->shape = shapecopy(rank, shape);
}

int32_t descalloc(Array* d) {
  int32_t n = elemcount(d->rank, d->shape);
  vectalloc(&d->value, n, d->type);
  return n;
}

int32_t elemcount(int32_t rank, const int32_t* shape) {
  int32_t n;
  if (!intproduct(shape, rank, &n)) rterror("[elemcount] element count beyond the int range");
  return n;
}

bool intproduct(const int32_t* v, int64_t n, int32_t* product) {
  constexpr int64_t bound = int64_t{1} << 31;
  int64_t p = 1;
  bool wide = false;  // |p| has passed 2^31, and only a 0 can bring it back
  for (int64_t i = n - 1; i >= 0; --i) {
    if (v[i] == 0) {
      *product = 0;
      return true;
    }
    if (wide) continue;
    p *= v[i];  // |p| was at most 2^31, so it is at most 2^62 now
    wide = p > bound || p < -bound;
  }
  if (wide || p > INT32_MAX) return false;
  *product = static_cast<int32_t>(p);
  return true;
}

// The bytes of any count an int holds, of the widest element, fit a size_t.
static_assert(SIZE_MAX / 8 >= std::size_t{INT32_MAX});

void vectalloc(void** p, int32_t n, int32_t type) {
  if (n <= 0) n = 1;
  std::size_t size = elemsize(type);
  if (size == 0) {
    std::fprintf(errstream, "type %d\n", type);
    rterror("[vectalloc] impossible case");
  }
  void* block = std::malloc(size * static_cast<std::size_t>(n));
  if (block == nullptr) {
    std::fprintf(errstream, "request for type %d, size %d\n", type, n);
    rterror("[vectalloc] out of memory allocation space");
  }
  *p = block;
}

void vectrealloc(void** p, int32_t n, int32_t type) {
  std::size_t size = elemsize(type);
  if (size == 0) {
    std::fprintf(errstream, "type %d\n", type);
    rterror("[vectrealloc] impossible case");
  }
  // A resize to zero elements keeps one element's room, so the storage stays
  // valid (and releasable) instead of depending on what realloc(p, 0) does.
  std::size_t bytes = size * static_cast<std::size_t>(n > 0 ? n : 1);
  void* block = n < 0 ? nullptr : std::realloc(*p, bytes);
  if (block == nullptr) {
    std::fprintf(errstream, "request for type %d, size %d\n", type, n);
    rterror("[vectrealloc] out of memory allocation space");
  }
  *p = block;
}

Array* desccopy(Array* dst, const Array* src) {
  dst->type = src->type;
  dst->rank = src->rank;
  dst->shape = src->shape;
  dst->value = src->value;
  return dst;
}

Array* detalloc(Array* d) {
  if (d == nullptr || d->storage == Fixed) return d;
  int32_t n = d->shape != nullptr ? elemcount(d->rank, d->shape) : (d->rank <= 0 ? 1 : 0);
  if (d->shape != nullptr) {
    if (d->rank <= 0) {
      d->shape = nullptr;  // the shared scalar shape is never freed
    } else if (d->rank == 1 && d->shape[0] == 0) {
      return d;  // empty vectors may share a static shape: leave them as they are
    } else {
      std::free(d->shape);
      d->rank = 0;
      d->shape = nullptr;
    }
  }
  if (n <= 0) return d;
  switch (d->type) {
    case Bit:
    case Int:
    case Real:
    case Char: std::free(d->value); break;
    case -1:
    case Undefined:
    case 4:
    case 5:
    case 6: break;
    default: rterror("[detalloc] impossible case");
  }
  d->type = Undefined;
  d->value = nullptr;
  return d;
}

Array emptyvector(int32_t type) {
  Array a;
  descclear(&a);
  a.type = type;
  a.rank = 1;
  a.shape = emptyshape;
  a.value = &noelements;
  return a;
}

Array newarray(int32_t type, int32_t rank, int32_t* shape) {
  if (rank <= 0) shape = scalarshape;
  int32_t n = elemcount(rank, shape);
  if (n == 0 && rank == 1) {
    std::free(shape);
    return emptyvector(type);
  }
  Array a;
  descclear(&a);
  a.type = type;
  a.rank = rank;
  a.shape = shape;
  if (n > 0)
    vectalloc(&a.value, n, type);
  else
    a.value = &noelements;
  return a;
}

Array adoptvector(int32_t type, int32_t n, void* elements) {
  if (n == 0) {
    std::free(elements);
    return emptyvector(type);
  }
  Array a;
  descclear(&a);
  a.type = type;
  a.rank = n == 1 ? 0 : 1;
  a.shape = n == 1 ? scalarshape : vect1(n);
  a.value = elements;
  return a;
}

int32_t* newints(int32_t n) {
  void* p;
  vectalloc(&p, n, Int);
  return static_cast<int32_t*>(p);
}

int32_t* shapecopy(int32_t rank, const int32_t* shape) {
  if (rank <= 0) return scalarshape;
  int32_t* copy = newints(rank);
  intcopy(copy, rank, shape);
  return copy;
}

int32_t* vect1(int32_t n) {
  int32_t* v = newints(1);
  v[0] = n;
  return v;
}

int32_t* vect2(int32_t a, int32_t b) {
  void* p;
  vectalloc(&p, 1, Real);  // one double's room holds the two ints
  int32_t* v = static_cast<int32_t*>(p);
  v[0] = a;
  v[1] = b;
  return v;
}

void mkscalar(Array* d, int32_t* p) {
  d->type = Int;
  d->rank = 0;
  d->shape = scalarshape;
  d->value = p;
}

int32_t mkcvect(Array* d, const char* s) {
  std::size_t length = std::strlen(s);
  if (length > INT32_MAX) rterror("[mkcvect] length beyond the int range");
  int32_t n = static_cast<int32_t>(length);
  d->type = Char;
  d->rank = 1;
  d->shape = vect1(n);
  vectalloc(&d->value, n, Char);
  std::memcpy(d->value, s, static_cast<std::size_t>(n));
  return n;
}

void cstring(char* buf, const Array* d) {
  if (d->type != Char) return;
  int32_t n = elemcount(d->rank, d->shape);
  std::memcpy(buf, d->value, static_cast<std::size_t>(n));
  buf[n] = '\0';
}

int32_t* intcopy(int32_t* dst, int32_t n, const int32_t* src) {
  for (int32_t i = 0; i < n; ++i) dst[i] = src[i];
  return dst + n;
}

void setargs(int argc, char** argv) {
  argcount = argc;
  argvector = argv;
}

}  // namespace rt
