// walkinit, walksteps, walkreverse and walkpermute.
#include "runtime/core/walk.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "runtime/core/array.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace rt {

int32_t walkinit(int32_t n, int32_t** map, int32_t** offsets, int32_t** directions) {
  *map = newints(n);
  *offsets = newints(n);
  *directions = newints(n);
  for (int32_t i = 0; i < n; ++i) {
    (*map)[i] = i;
    (*offsets)[i] = 0;
    (*directions)[i] = 1;
  }
  return n;
}

// Stops unless every source index that source axis t visits lies in its
// axis: the first (the offset) and the last (after extent - 1 moves) must,
// and the visits between them lie between the two.
static void checkaxis(int32_t t, int32_t length, int32_t offset, int32_t direction,
                      int32_t extent) {
  int64_t last = offset + int64_t{direction} * (extent - 1);
  if (offset >= 0 && offset < length && last >= 0 && last < length) return;
  std::fprintf(errstream, "\naxis %d, first %d, last %lld, length %d\n", t + indexorigin,
               offset + indexorigin, static_cast<long long>(last + indexorigin), length);
  rterror("[walksteps] index error");
}

int32_t walksteps(int32_t rrank, const int32_t* rshape, int32_t srank, const int32_t* sshape,
                  int32_t** steps, const int32_t* map, const int32_t* offsets,
                  const int32_t* directions) {
  bool empty = elemcount(rrank, rshape) == 0;
  // Strides and start wrap as their int results do: over an empty source
  // with huge axes no int holds them, but an empty walk never uses them.
  uint64_t stride = 1, start = 0;
  int32_t* s = newints(rrank);
  for (int32_t i = 0; i < rrank; ++i) s[i] = 0;
  for (int32_t t = srank - 1; t >= 0; --t) {
    int32_t axis = map[t];
    if (axis < 0 || axis >= rrank) {
      std::free(s);
      std::fprintf(errstream, "\nsource axis %d, result axis %d, result rank %d\n", t + indexorigin,
                   axis + indexorigin, rrank);
      rterror("[walksteps] axis error");
    }
    if (!empty) checkaxis(t, sshape[t], offsets[t], directions[t], rshape[axis]);
    s[axis] = static_cast<int32_t>(static_cast<uint64_t>(s[axis]) +
                                   stride * static_cast<uint64_t>(directions[t]));
    start += stride * static_cast<uint64_t>(offsets[t]);
    stride *= static_cast<uint64_t>(sshape[t]);
  }
  // A walk that visits elements needs a source that an int can count: then
  // every stride, and the start, is exact.
  if (!empty) elemcount(srank, sshape);
  // Each axis's step also undoes the moves that its inner axis made along a
  // full run of that axis; s[i + 1] is read before its own update.
  for (int32_t i = 0; i + 1 < rrank; ++i)
    s[i] = static_cast<int32_t>(s[i] - int64_t{s[i + 1]} * rshape[i + 1]);
  *steps = s;
  return static_cast<int32_t>(start);
}

void walkreverse(int32_t n, int32_t* map, int32_t* offsets, int32_t* directions) {
  for (int32_t i = n / 2 - 1; i >= 0; --i) {
    int32_t j = n - 1 - i;
    std::swap(map[i], map[j]);
    std::swap(offsets[i], offsets[j]);
    std::swap(directions[i], directions[j]);
  }
}

void walkpermute(const int32_t* perm, int32_t n, int32_t** map, int32_t** offsets,
                 int32_t** directions) {
  for (int32_t i = 0; i < n; ++i) {
    if (perm[i] < 1 || perm[i] > n) {
      std::fprintf(errstream, "\npermutation[%d] = %d, rank %d\n", i + indexorigin, perm[i], n);
      rterror("[walkpermute] axis error");
    }
  }
  int32_t* vectors[3] = {*map, *offsets, *directions};
  int32_t** places[3] = {map, offsets, directions};
  for (int32_t v = 0; v < 3; ++v) {
    int32_t* fresh = newints(n);
    for (int32_t i = 0; i < n; ++i) fresh[i] = vectors[v][perm[i] - 1];
    *places[v] = fresh;
  }
}

}  // namespace rt
