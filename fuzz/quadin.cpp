// Fuzzes evaluated input on a stream made from the input bytes and a final
// newline, reading lines until the stream is used up. A line that starts
// with a quote, or a stream that ends inside a line, would stop the
// runtime: the quote is skipped, and the final newline ends every line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "runtime/text/input.h"

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  char* bytes = zelvofuzz::copyof(data, size, '\n');
  FILE* stream = fmemopen(bytes, size + 1, "r");
  if (stream == nullptr) std::abort();
  for (int c; (c = std::fgetc(stream)) != EOF;) {
    if (c == '\'') continue;
    std::ungetc(c, stream);
    rt::Array result;
    rt::descclear(&result);
    rt::quadin(stream, &result);
    bool numeric = result.type == rt::Int || result.type == rt::Real;
    int32_t count = result.rank == 0 ? 1 : result.shape[0];
    if (!numeric || result.rank > 1 || count < 0 || count > 4096) std::abort();
    zelvofuzz::release(result, true);
  }
  std::fclose(stream);
  std::free(bytes);
  return 0;
}
