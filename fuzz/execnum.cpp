// Fuzzes execnum with arbitrary text: the code is 0, 2 or 3, the token
// buffer holds a complete number of that kind (empty for 0) and nothing is
// read beyond the text.
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "runtime/text/execute.h"
#include "runtime/text/number.h"

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  char* text = zelvofuzz::copyof(data, size, '\0');
  int32_t code = rt::execnum(text);
  std::free(text);
  const char* token = rt::numtoken;
  size_t length = strnlen(token, rt::numtokensize);
  if (length == static_cast<size_t>(rt::numtokensize)) std::abort();
  if (code == 0) {
    if (length != 0) std::abort();
  } else if (code == rt::Int) {
    int32_t v;
    auto [end, err] = std::from_chars(token, token + length, v);
    if (err != std::errc() || end != token + length) std::abort();
  } else if (code == rt::Real) {
    // All of it a decimal number, except that an exponent may lack its
    // digits ("12e", "12e-"): the number is then read without it.
    char* end;
    std::strtod(token, &end);
    bool bare = end < token + length && (*end == 'e' && std::strspn(end + 1, "+-") == std::strlen(end + 1));
    if (length == 0 || end == token || (end != token + length && !bare)) std::abort();
  } else {
    std::abort();
  }
  return 0;
}
