// The reader's buffer: huge-page storage for large blocks, geometric growth,
// and the hand-over to a character result.
#include "runtime/system/readbuffer.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"

namespace rt {

// The size and alignment of a huge page; blocks at least this large are
// backed by huge pages.
static const std::size_t hugepage = std::size_t{2} << 20;

// New storage for n bytes (n >= 1), refused as vectalloc refuses. A large
// block starts on a huge-page boundary and is advised for huge pages: filling
// it then faults in one zeroed 2 MiB page where it would fault in 512 pages
// of 4 KiB, and those faults are most of the time that a large read takes.
// posix_memalign storage is released by free and resized by realloc, like
// the storage of vectalloc.
static char* newstorage(int32_t n) {
  void* p = nullptr;
  if (static_cast<std::size_t>(n) < hugepage) {
    vectalloc(&p, n, Char);
    return static_cast<char*>(p);
  }
  if (::posix_memalign(&p, hugepage, static_cast<std::size_t>(n)) != 0) {
    std::fprintf(errstream, "request for type %d, size %d\n", Char, n);
    rterror("[vectalloc] out of memory allocation space");
  }
  // Refused where the system has no huge pages: small pages serve then.
  ::madvise(p, static_cast<std::size_t>(n), MADV_HUGEPAGE);
  return static_cast<char*>(p);
}

void bufreserve(ReadBuffer* b, int32_t need) {
  if (need < 1) need = 1;
  if (b->bytes == nullptr) {
    b->bytes = newstorage(need);
    b->room = need;
    return;
  }
  if (need <= b->room) return;
  int32_t room = b->room > INT32_MAX / 2 ? INT32_MAX : 2 * b->room;
  if (room < need) room = need;
  void* p = b->bytes;
  vectrealloc(&p, room, Char);
  b->bytes = static_cast<char*>(p);
  b->room = room;
}

void bufresult(Array* result, ReadBuffer* b) {
  int32_t n = b->gathered, room = b->room;
  void* p = b->bytes;
  *b = ReadBuffer{};
  if (n > 0 && room > n) vectrealloc(&p, n, Char);
  *result = adoptvector(Char, n, p);
}

}  // namespace rt
