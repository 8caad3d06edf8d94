// gradeorder, gradesort, gradecompare and gradesearch.
//
// The grade is fully determined by gradeorder (ties go by ascending index in
// both directions), so any correct sort gives the same permutation. Large
// grades use a stable LSD radix sort on order-preserving unsigned keys (for
// chars a single counting pass); small ones use qsort with gradecompare.
#include "runtime/core/grade.h"

#include <bit>
#include <cmath>
#include <cstdlib>

namespace rt {

namespace {

// The gradesort in progress, for gradecompare (which qsort calls with two
// entry pointers only).
int32_t sorttype = Undefined;
int32_t sortdirection = 1;
void* const* sortkeys = nullptr;

// Below this many keys a comparison sort beats the radix passes. Above
// radixmax the scratch records would not fit one allocation request, and
// qsort, which needs none, takes over.
constexpr int32_t radixmin = 128;
constexpr int32_t radixmax = 1 << 29;

// Radix digits of 11 bits: 3 passes cover an int key, 6 a real key.
constexpr int digitbits = 11;
constexpr uint32_t buckets = 1u << digitbits;
constexpr int maxpasses = 6;

// -1, 0 or +1 for two values of an ordered type.
template <typename T>
int32_t threeway(T x, T y) {
  return x < y ? -1 : y < x ? 1 : 0;
}

// Order of two reals: exact, -0.0 equal to 0.0, a NaN above every number and
// equal to any other NaN. (Plain comparison is no order once a NaN is in.)
int32_t realorder(double x, double y) {
  bool nx = std::isnan(x), ny = std::isnan(y);
  if (nx || ny) return nx && ny ? 0 : nx ? 1 : -1;
  return threeway(x, y);
}

// A stable LSD radix sort of n records by `passes` digits of 11 bits; the
// digit of pass d of record r is digit(r, d). All histograms come from one
// sweep, and a pass whose digit is the same for every record is skipped.
// The records move between a and b; the result is the one returned.
template <typename Rec, typename Digit>
Rec* radixsort(Rec* a, Rec* b, std::size_t n, int passes, Digit digit) {
  uint32_t count[maxpasses][buckets] = {};
  for (std::size_t i = 0; i < n; ++i)
    for (int d = 0; d < passes; ++d) ++count[d][digit(a[i], d)];
  for (int d = 0; d < passes; ++d) {
    uint32_t* c = count[d];
    if (c[digit(a[0], d)] == n) continue;
    uint32_t sum = 0;
    for (uint32_t k = 0; k < buckets; ++k) {
      uint32_t t = c[k];
      c[k] = sum;
      sum += t;
    }
    for (std::size_t i = 0; i < n; ++i) b[c[digit(a[i], d)]++] = a[i];
    std::swap(a, b);
  }
  return a;
}

// Scratch storage for n records (n at most radixmax) of a type made of whole
// 8-byte words, through vectalloc so that a failed allocation stops the way
// every other one does.
template <typename Rec>
Rec* scratch(int32_t n) {
  static_assert(sizeof(Rec) % 8 == 0);
  void* p;
  vectalloc(&p, static_cast<int32_t>(sizeof(Rec) / 8) * n, Real);
  return static_cast<Rec*>(p);
}

// Int keys as unsigned keys in the same order: the sign bit flipped, and
// everything complemented for descending order (equal keys stay equal, so
// their ascending index order survives). Each record holds the key in its
// high half and the index in its low half.
void gradeints(int32_t* grade, const int32_t* keys, int32_t n, int32_t direction) {
  uint32_t flip = direction < 0 ? 0xFFFFFFFFu : 0u;
  uint64_t* a = scratch<uint64_t>(n);
  uint64_t* b = scratch<uint64_t>(n);
  for (int32_t i = 0; i < n; ++i) {
    uint32_t u = (static_cast<uint32_t>(keys[i]) ^ 0x80000000u) ^ flip;
    a[i] = (uint64_t{u} << 32) | static_cast<uint32_t>(i);
  }
  auto digit = [](uint64_t r, int d) {
    return static_cast<uint32_t>(r >> (32 + d * digitbits)) & (buckets - 1);
  };
  uint64_t* sorted = radixsort(a, b, static_cast<std::size_t>(n), 3, digit);
  for (int32_t i = 0; i < n; ++i) grade[i] = static_cast<int32_t>(sorted[i]);
  std::free(a);
  std::free(b);
}

// A real as an unsigned key in realorder's order: negatives complemented,
// positives with the sign bit set, -0.0 as 0.0, every NaN one above +inf.
uint64_t realkey(double x) {
  if (std::isnan(x)) return 0xFFF0000000000001u;
  if (x == 0.0) x = 0.0;
  uint64_t u = std::bit_cast<uint64_t>(x);
  return (u >> 63) != 0 ? ~u : u | 0x8000000000000000u;
}

struct RealRec {
  uint64_t key;
  uint32_t index;
};

// Real keys graded through realkey, complemented for descending order.
void gradereals(int32_t* grade, const double* keys, int32_t n, int32_t direction) {
  uint64_t flip = direction < 0 ? ~uint64_t{0} : 0u;
  RealRec* a = scratch<RealRec>(n);
  RealRec* b = scratch<RealRec>(n);
  for (int32_t i = 0; i < n; ++i) a[i] = {realkey(keys[i]) ^ flip, static_cast<uint32_t>(i)};
  auto digit = [](const RealRec& r, int d) {
    return static_cast<uint32_t>(r.key >> (d * digitbits)) & (buckets - 1);
  };
  RealRec* sorted = radixsort(a, b, static_cast<std::size_t>(n), maxpasses, digit);
  for (int32_t i = 0; i < n; ++i) grade[i] = static_cast<int32_t>(sorted[i].index);
  std::free(a);
  std::free(b);
}

// Char keys by one stable counting pass over their signed byte values.
void gradechars(int32_t* grade, const char* keys, int32_t n, int32_t direction) {
  uint32_t flip = direction < 0 ? 0xFFu : 0u;
  auto bucket = [&](int32_t i) { return (static_cast<unsigned char>(keys[i]) ^ 0x80u) ^ flip; };
  int32_t start[256] = {};
  for (int32_t i = 0; i < n; ++i) ++start[bucket(i)];
  int32_t sum = 0;
  for (int32_t& s : start) {
    int32_t t = s;
    s = sum;
    sum += t;
  }
  for (int32_t i = 0; i < n; ++i) grade[start[bucket(i)]++] = i;
}

// A key as a double, which holds every int and signed byte exactly.
double keyvalue(const void* keys, int32_t type, int32_t i) {
  switch (type) {
    case Real: return static_cast<const double*>(keys)[i];
    case Char: return static_cast<signed char>(static_cast<const char*>(keys)[i]);
    default: return static_cast<const int32_t*>(keys)[i];
  }
}

bool isnumeric(int32_t type) { return type == Bit || type == Int || type == Real; }

}  // namespace

int32_t gradeorder(const void* keys, int32_t type, int32_t direction, int32_t a, int32_t b) {
  int32_t r;
  switch (type) {
    case Bit:
    case Int: {
      const int32_t* k = static_cast<const int32_t*>(keys);
      r = threeway(k[a], k[b]);
      break;
    }
    case Real: {
      const double* k = static_cast<const double*>(keys);
      r = realorder(k[a], k[b]);
      break;
    }
    case Char: {
      const char* k = static_cast<const char*>(keys);
      r = threeway(static_cast<signed char>(k[a]), static_cast<signed char>(k[b]));
      break;
    }
    default: return 1;
  }
  // Equal keys keep ascending index order whatever the direction.
  if (r == 0) return threeway(a, b);
  return direction < 0 ? -r : r;
}

int gradecompare(const void* pa, const void* pb) {
  return gradeorder(*sortkeys, sorttype, sortdirection, *static_cast<const int32_t*>(pa),
                    *static_cast<const int32_t*>(pb));
}

void gradesort(int32_t** grade, void* const* keys, int32_t n, int32_t type, int32_t direction) {
  int32_t* g = newints(n);
  *grade = g;
  sorttype = type;
  sortdirection = direction;
  sortkeys = keys;
  if (n <= 1) {
    if (n == 1) g[0] = 0;
    return;
  }
  bool known = type == Bit || type == Int || type == Real || type == Char;
  if (type == Char) {
    gradechars(g, static_cast<const char*>(*keys), n, direction);
  } else if (n < radixmin || n > radixmax || !known) {
    for (int32_t i = 0; i < n; ++i) g[i] = i;
    // Unknown key types keep the identity grade: their comparison orders nothing.
    if (known) std::qsort(g, static_cast<std::size_t>(n), sizeof(int32_t), gradecompare);
  } else if (type == Real) {
    gradereals(g, static_cast<const double*>(*keys), n, direction);
  } else {
    gradeints(g, static_cast<const int32_t*>(*keys), n, direction);
  }
}

int32_t gradesearch(const int32_t* grade, void* const* keys, const Cell* value, int32_t keytype,
                    int32_t valuetype, int32_t n) {
  if (n <= 0) return 0;
  bool comparable = (isnumeric(keytype) && isnumeric(valuetype)) ||
                    (keytype == Char && valuetype == Char);
  if (!comparable) return n;
  double v = valuetype == Real   ? value->r
             : valuetype == Char ? static_cast<signed char>(value->c)
                                 : value->i;
  if (std::isnan(v)) return n;
  // Value against key i: a NaN key is above every value, as in the grade.
  auto against = [&](int32_t i) {
    double k = keyvalue(*keys, keytype, i);
    return std::isnan(k) ? -1 : threeway(v, k);
  };
  int32_t b = 1;
  while (b <= n / 2) b *= 2;  // the largest power of two not above n
  int32_t pos = b - 1;
  for (;;) {
    b /= 2;
    int32_t c = against(grade[pos]);
    if (c == 0) {
      // The grade is stable: the first of the equal keys has the lowest index.
      while (pos >= 0 && against(grade[pos]) == 0) --pos;
      return grade[pos + 1];
    }
    if (c > 0)
      pos = b > n - 1 - pos ? n - 1 : pos + b;
    else
      pos -= b;
    if (b == 0) return n;
  }
}

}  // namespace rt
