// dsops, catenate with lamshape, lamcheck and insaxis, the shape builders
// shapecat, innershape and transshape, and the small integer helpers.
#include "runtime/core/shape.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/tolerant.h"

namespace rt {

// A catenation's length along its axis: a length grown by n. A sum that an
// int cannot hold stops.
static int32_t grow(int32_t length, int32_t n) {
  int64_t sum = int64_t{length} + n;
  if (sum > INT32_MAX || sum < INT32_MIN) rterror("[catenate] axis length beyond the int range");
  return static_cast<int32_t>(sum);
}

int32_t dsops(int32_t** shape, int32_t lrank, const int32_t* lshape, int32_t rrank,
              const int32_t* rshape) {
  bool lsingle = lrank == 1 && lshape[0] == 1;
  bool rsingle = rrank == 1 && rshape[0] == 1;
  if (lrank == 0 && rrank == 0) {
    *shape = scalarshape;
    return 0;
  }
  if (lrank == 0 || (lsingle && rrank != 0)) {
    *shape = shapecopy(rrank, rshape);
    return rrank;
  }
  if (lsingle || rrank == 0 || rsingle) {
    *shape = shapecopy(lrank, lshape);
    return lrank;
  }
  if (lrank != rrank) {
    std::fprintf(errstream, "\n leftrank %d, rightrank %d\n", lrank, rrank);
    rterror("[dsops] dyadic scalar rank comformability error");
  }
  for (int32_t i = 0; i < lrank; ++i) {
    if (lshape[i] != rshape[i]) {
      std::fprintf(errstream, "\n[dsops] i = %d, leftshape[i] = %d, rightshape[i] = %d\n", i,
                   lshape[i], rshape[i]);
      rterror("[dsops] dyadic scalar shape conformability error");
    }
  }
  *shape = shapecopy(rrank, rshape);
  return rrank;
}

// Catenation of a scalar with an array of rank n: the array's shape with one
// more along axis k. Stores the block size and the array's count.
static int32_t withscalar(int32_t** shape, int32_t n, const int32_t* s, int32_t k, int32_t* block,
                          int32_t* count) {
  *shape = shapecopy(n, s);
  (*shape)[k] = grow(s[k], 1);
  *block = prodrange(k, n, s);
  *count = s[k];
  return n;
}

// Equal ranks: every axis but k must agree, checked from the last.
static void checkequal(int32_t n, const int32_t* ls, const int32_t* rs, int32_t k) {
  for (int32_t j = n - 1; j >= 0; --j) {
    if (j == k || ls[j] == rs[j]) continue;
    std::fprintf(errstream, "[catenate] length error: rank=%d, axis= %d; ", n, j + indexorigin);
    std::fprintf(errstream, "leftshape=%d, rightshape=%d\n", ls[j], rs[j]);
    rterror("[catenate] length error");
  }
}

// Ranks differing by one: the higher side's axes other than k, from the
// last, must agree with the lower side's axes, from its last.
static void checklower(int32_t lrank, const int32_t* ls, int32_t rrank, const int32_t* rs,
                       int32_t k) {
  bool lefthigh = lrank > rrank;
  int32_t high = lefthigh ? lrank : rrank;
  int32_t j = (lefthigh ? rrank : lrank) - 1;
  for (int32_t i = high - 1; i >= 0; --i) {
    if (i == k) continue;
    int32_t li = lefthigh ? i : j, ri = lefthigh ? j : i;
    if (ls[li] != rs[ri]) {
      std::fprintf(errstream, "[catenate] length error: ranks=(%d, %d), axis=%d; ", lrank, rrank,
                   i + indexorigin);
      std::fprintf(errstream, "leftshape[%d]=%d, rightshape[%d]=%d\n", li + indexorigin, ls[li],
                   ri + indexorigin, rs[ri]);
      rterror("[catenate] length error");
    }
    --j;
  }
}

int32_t catenate(int32_t** shape, int32_t lrank, const int32_t* lshape, int32_t rrank,
                 const int32_t* rshape, int32_t k, Along mode, int32_t* block, int32_t* lcount,
                 int32_t* rcount) {
  int32_t* made = nullptr;  // the shape a lamination gives one side
  if (mode == Along::NewAxis) {
    made = lamshape(k, lrank, lshape, rrank, rshape);
    if (lrank == 0) {
      rshape = made;
      ++rrank;
    } else {
      lshape = made;
      ++lrank;
    }
  } else if (mode == Along::LastAxis) {
    k = lrank == 0 && rrank == 0 ? 0 : imax(lrank, rrank) - 1;
  }
  int32_t d = imax(lrank, rrank);
  if (k < 0 || (d > 0 && k > d - 1)) {
    std::fprintf(errstream, "\naxis %d, maxrank %d\n", k, d);
    rterror("[catenate] axis error");
  }

  int32_t rank;
  if (lrank == 0 && rrank == 0) {
    *shape = vect1(2);
    *lcount = *rcount = *block = 1;
    rank = 1;
  } else if (lrank == 0) {
    *lcount = 1;
    rank = withscalar(shape, rrank, rshape, k, block, rcount);
  } else if (rrank == 0) {
    *rcount = 1;
    rank = withscalar(shape, lrank, lshape, k, block, lcount);
  } else if (lrank == rrank) {
    checkequal(lrank, lshape, rshape, k);
    *shape = shapecopy(lrank, lshape);
    (*shape)[k] = grow(lshape[k], rshape[k]);
    *lcount = lshape[k];
    *rcount = rshape[k];
    *block = prodrange(k, rrank, rshape);
    rank = lrank;
  } else if (lrank == rrank - 1 || rrank == lrank - 1) {
    checklower(lrank, lshape, rrank, rshape, k);
    bool lefthigh = lrank > rrank;
    const int32_t* high = lefthigh ? lshape : rshape;
    rank = d;
    *shape = shapecopy(d, high);
    (*shape)[k] = grow(high[k], 1);
    *lcount = lefthigh ? high[k] : 1;
    *rcount = lefthigh ? 1 : high[k];
    *block = prodrange(k, d, high);
  } else {
    rterror("[catenate] rank error");
  }
  std::free(made);
  return rank;
}

int32_t* lamshape(int32_t k, int32_t lrank, const int32_t* lshape, int32_t rrank,
                  const int32_t* rshape) {
  int32_t n;
  if (lrank == 0) {
    n = rrank + 1;
  } else if (rrank == 0) {
    n = lrank + 1;
  } else if (lrank != rrank) {
    std::fprintf(errstream, "[lamshape] rank error, leftrank = %d, rightrank = %d\n", lrank, rrank);
    rterror("[lamshape] rank error");
  } else {
    n = lrank + 1;
  }
  if (k < 0 || k > n) rterror("axis error");
  return insaxis(lrank != 0 ? lshape : rshape, n, k);
}

int32_t lamcheck(int32_t* type, const Cell* value, int32_t* axis) {
  if (*type == Int) {
    *axis = value->i;
  } else if (*type == Real) {
    int32_t whole;
    if (tint(value->r, &whole)) {
      *type = Int;
      *axis = whole;
    } else {
      *type = Real;
      *axis = trunc32(std::ceil(value->r));
    }
  } else {
    rterror("[lamcheck] unknown axis type");
  }
  return *axis;
}

int32_t* insaxis(const int32_t* shape, int32_t n, int32_t k) {
  int32_t* s = newints(n);
  int32_t j = 0;
  // A position k equal to n leaves no room for the inserted 1; the given
  // shape has only n-1 lengths, so the last position then gets 1 as well.
  for (int32_t i = 0; i < n; ++i) s[i] = i == k || j >= n - 1 ? 1 : shape[j++];
  return s;
}

int32_t shapecat(int32_t** shape, int32_t a, const int32_t* ashape, int32_t b,
                 const int32_t* bshape) {
  if (a + b == 0) {
    *shape = scalarshape;
    return 0;
  }
  int32_t* s = newints(a + b);
  intcopy(intcopy(s, a, ashape), b, bshape);
  *shape = s;
  return a + b;
}

int32_t innershape(int32_t** shape, int32_t lrank, const int32_t* lshape, int32_t rrank,
                   const int32_t* rshape) {
  int32_t l = lrank > 0 ? lrank - 1 : 0, r = rrank > 0 ? rrank - 1 : 0;
  if (l + r == 0) {
    *shape = scalarshape;
    return 0;
  }
  int32_t* s = newints(l + r);
  intcopy(intcopy(s, l, lshape), r, rshape + 1);
  *shape = s;
  return l + r;
}

int32_t transshape(int32_t** shape, const int32_t* axes, int32_t n, const int32_t* source) {
  int32_t m = 0;
  for (int32_t j = 0; j < n; ++j) m = imax(m, axes[j]);
  if (m == 0) {
    *shape = scalarshape;
    return 0;
  }
  int32_t* s = newints(m);
  for (int32_t i = 0; i < m; ++i) s[i] = 9999;
  for (int32_t j = 0; j < n; ++j) {
    int32_t i = axes[j] - 1;
    if (i >= 0 && source[j] < s[i]) s[i] = source[j];
  }
  *shape = s;
  return m;
}

int32_t imax(int32_t a, int32_t b) { return a > b ? a : b; }

int32_t iabs(int32_t a) {
  if (a == INT32_MIN) return INT32_MAX;
  return a < 0 ? -a : a;
}

int32_t prodrange(int32_t a, int32_t b, const int32_t* v) {
  int32_t p = 1;
  int64_t from = int64_t{a} + 1;
  if (from < b && !intproduct(v + from, b - from, &p))
    rterror("[prodrange] product beyond the int range");
  return p;
}

int32_t* intcopy_skip(int32_t* dst, int32_t k, int32_t n, const int32_t* src) {
  for (int32_t i = 0; i < n; ++i)
    if (i != k) *dst++ = src[i];
  return dst;
}

}  // namespace rt
