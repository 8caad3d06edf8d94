// The buffer in which the reader gathers the bytes of a result: it grows
// geometrically, large blocks are backed by huge pages, and its storage
// becomes the result's, released by detalloc like any other.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

struct ReadBuffer {
  char* bytes = nullptr;  // the storage; null until the first bufreserve
  int32_t room = 0;       // bytes the storage holds
  int32_t gathered = 0;   // bytes read into it so far, at its start
};

// Makes room for `need` bytes in all (0 <= need), keeping what is gathered.
// The first call allocates exactly `need`; a later one that needs more at
// least doubles the room (up to the int limit), so that a long stream read
// in many chunks is copied a bounded number of times.
void bufreserve(ReadBuffer* b, int32_t need);

// Fills result with the gathered bytes and hands it the storage, trimmed to
// them: a character scalar for exactly one byte, else a vector (empty for
// none). The buffer is left empty.
void bufresult(Array* result, ReadBuffer* b);

}  // namespace rt
