// Fuzzes execute with arbitrary text as a character scalar, vector or
// matrix. Text that holds no number stops the runtime, which is survived;
// a text that is read gives one number per token, the value atoi or atof
// give its number.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "runtime/text/execute.h"
#include "runtime/text/number.h"

namespace {

bool isseparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The number of blank-, tab- or newline-separated tokens in the text.
int32_t tokens(const char* text, int32_t n) {
  int32_t count = 0;
  for (int32_t i = 0; i < n; ++i)
    if (!isseparator(text[i]) && (i == 0 || isseparator(text[i - 1]))) ++count;
  return count;
}

// Whether every number of the result is what atoi or atof make of its
// token's number, bit for bit (ints widened once the result is real).
bool sameasatof(const char* text, int32_t n, const rt::Array& result) {
  int32_t k = 0;
  for (int32_t i = 0; i < n;) {
    while (i < n && isseparator(text[i])) ++i;
    int32_t start = i;
    while (i < n && !isseparator(text[i])) ++i;
    if (i == start) break;
    char token[64];
    std::memcpy(token, text + start, static_cast<size_t>(i - start));
    token[i - start] = '\0';
    int32_t code = rt::execnum(token);
    if (result.type == rt::Int) {
      if (code != rt::Int || rt::ints(result)[k] != std::atoi(rt::numtoken)) return false;
    } else {
      double want = code == rt::Real ? std::atof(rt::numtoken) : std::atoi(rt::numtoken);
      if (std::memcmp(&rt::reals(result)[k], &want, sizeof want) != 0) return false;
    }
    ++k;
  }
  return true;
}

}  // namespace

ZELVO_FUZZ_INITIALIZE()

// The first byte picks the shape: a scalar (its low bits 0), a vector (1),
// or a matrix of 1 to 4 rows (2 and 3) over the remaining bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  uint8_t pick = data[0];
  ++data;
  --size;
  int32_t n = static_cast<int32_t>(size);
  int32_t shape[2] = {n, 0};
  int32_t rank = 1;
  if ((pick & 3) == 0) {
    if (n == 0) return 0;
    rank = 0;
    n = 1;
  } else if ((pick & 3) >= 2) {
    rank = 2;
    shape[0] = 1 + (pick >> 2) % 4;
    shape[1] = n / shape[0];
    n = shape[0] * shape[1];
  }
  rt::Array arg, result;
  rt::descclear(&arg);
  rt::descclear(&result);
  rt::descset(&arg, rt::Char, rank, shape);
  rt::descalloc(&arg);
  std::memcpy(arg.value, data, static_cast<size_t>(n));
  if (zelvofuzz::survives([&] { rt::execute(&result, &arg); })) {
    bool numeric = result.type == rt::Int || result.type == rt::Real;
    int32_t count = result.rank == 0 ? 1 : result.shape[0];
    if (!numeric || result.rank > 1 || count != tokens(rt::chars(arg), n)) std::abort();
    if (!sameasatof(rt::chars(arg), n, result)) std::abort();
    zelvofuzz::release(result, true);
  }
  zelvofuzz::release(arg, false);
  return 0;
}
