// Fuzzes the monadic format with arbitrary values and print precisions:
// every field is exactly its width and holds the number's full text,
// right-aligned, or asterisks when that text is longer than the field.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "fuzz/values.h"
#include "runtime/text/format.h"

namespace {

// The field of width w the formats owe for a number whose full text is t.
bool isfield(const char* field, int32_t w, const char* t) {
  int32_t len = static_cast<int32_t>(std::strlen(t));
  for (int32_t j = 0; j < w; ++j) {
    char want = len > w ? '*' : j < w - len ? ' ' : t[j - (w - len)];
    if (field[j] != want) return false;
  }
  return true;
}

}  // namespace

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  int32_t precision = in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(-3, 80) : in.ConsumeIntegral<int32_t>();
  rt::printprecision = precision;
  int32_t type = in.PickValueInArray({rt::Bit, rt::Int, rt::Real, rt::Char});
  rt::Array arg = zelvofuzz::anyarray(in, type, 64);
  rt::Array result;
  rt::descclear(&result);
  rt::Format(&result, &arg);
  int32_t pp = precision > 70 ? 70 : precision < 1 ? 1 : precision;
  if (rt::printprecision != (precision > 70 ? 70 : precision)) std::abort();
  if (type == rt::Char) {
    if (result.value != arg.value || result.shape != arg.shape || result.rank != arg.rank) std::abort();
    zelvofuzz::release(arg, false);
    return 0;
  }
  int32_t w = type == rt::Real ? pp + 8 : pp;
  int32_t n = zelvofuzz::count(arg);
  int32_t rank = arg.rank > 0 ? arg.rank : 1;
  if (result.type != rt::Char || result.rank != rank) std::abort();
  for (int32_t i = 0; i + 1 < arg.rank; ++i)
    if (result.shape[i] != arg.shape[i]) std::abort();
  int32_t columns = arg.rank > 0 ? arg.shape[arg.rank - 1] : 1;
  if (result.shape[rank - 1] != columns * w) std::abort();
  const char* text = rt::chars(result);
  if (text[n * w] != '\0') std::abort();
  for (int32_t i = 0; i < n; ++i) {
    char t[128];
    if (type == rt::Real)
      std::snprintf(t, sizeof t, "%.*g", pp, rt::reals(arg)[i]);
    else
      std::snprintf(t, sizeof t, "%d", rt::ints(arg)[i]);
    if (!isfield(text + i * w, w, t)) std::abort();
  }
  zelvofuzz::release(result, false);
  zelvofuzz::release(arg, false);
  rt::printprecision = 7;
  return 0;
}
