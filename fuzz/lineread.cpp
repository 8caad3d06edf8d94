// Fuzzes character input on a stream made from the input bytes, reading
// lines until the stream is used up: each read gives the next line's first
// 80 characters (the newline consumed, not stored; the rest of a longer
// line left in the stream).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "runtime/text/input.h"

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;  // fmemopen refuses an empty buffer
  char* bytes = static_cast<char*>(std::malloc(size));
  std::memcpy(bytes, data, size);
  FILE* stream = fmemopen(bytes, size, "r");
  if (stream == nullptr) std::abort();
  size_t pos = 0;
  while (pos < size) {
    size_t start = pos;
    while (pos - start < 80 && pos < size && bytes[pos] != '\n') ++pos;
    size_t length = pos - start;
    if (length < 80 && pos < size) ++pos;  // the newline
    rt::Array line;
    rt::descclear(&line);
    rt::lineread(stream, &line);
    int32_t count = line.rank == 0 ? 1 : line.shape[0];
    bool shaped = line.type == rt::Char && line.rank == (length == 1 ? 0 : 1);
    if (!shaped || count != static_cast<int32_t>(length) ||
        std::memcmp(line.value, bytes + start, length) != 0)
      std::abort();
    zelvofuzz::release(line, true);
  }
  if (std::fgetc(stream) != EOF) std::abort();
  std::fclose(stream);
  std::free(bytes);
  return 0;
}
