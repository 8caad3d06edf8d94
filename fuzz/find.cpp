// Fuzzes find with arbitrary texts and patterns of rank 0 to 3, most of the
// patterns cut from the text so that matches are common: an int vector as
// long as the text's first axis (1 for a scalar), 1 exactly where the whole
// pattern (its first-axis length in characters) starts within the stored
// characters, an empty pattern marking every stored position. Arguments
// that are not characters stop, and are survived.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "fuzz/values.h"
#include "runtime/system/find.h"

namespace {

// The first-axis length (1 for a scalar), but no more than the stored elements.
int32_t used(const rt::Array& a) {
  int32_t first = a.rank == 0 ? 1 : a.shape[0];
  return std::min(first, zelvofuzz::count(a));
}

// A value of the given type, rank 0 to 3, up to 200 elements.
rt::Array anyvalue(FuzzedDataProvider& in, int32_t type) {
  if (in.ConsumeIntegral<uint8_t>() < 200 && type == rt::Char) {
    // A long character vector, so that patterns of many characters fit.
    int32_t n = in.ConsumeIntegralInRange<int32_t>(0, 200);
    rt::Array a;
    rt::descclear(&a);
    rt::descset(&a, rt::Char, 1, &n);
    rt::descalloc(&a);
    for (int32_t i = 0; i < n; ++i) rt::chars(a)[i] = static_cast<char>(in.ConsumeIntegralInRange<uint8_t>('a', 'd'));
    return a;
  }
  return zelvofuzz::anyarray(in, type, 200);
}

// A pattern cut from the text: its characters from `from` on, `n` of them.
rt::Array cut(const rt::Array& text, int32_t from, int32_t n) {
  rt::Array a;
  rt::descclear(&a);
  rt::descset(&a, rt::Char, 1, &n);
  rt::descalloc(&a);
  if (n > 0) std::memcpy(a.value, rt::chars(text) + from, static_cast<size_t>(n));
  return a;
}

int32_t anytype(FuzzedDataProvider& in) {
  static const int32_t types[] = {rt::Char, rt::Char, rt::Char, rt::Char, rt::Char, rt::Char, rt::Int, rt::Bit, rt::Real};
  return in.PickValueInArray(types);
}

}  // namespace

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  rt::Array text = anyvalue(in, anytype(in)), pattern;
  int32_t stored = text.type == rt::Char ? used(text) : 0;
  if (stored > 0 && in.ConsumeBool()) {
    int32_t from = in.ConsumeIntegralInRange<int32_t>(0, stored - 1);
    pattern = cut(text, from, in.ConsumeIntegralInRange<int32_t>(0, stored - from));
    if (pattern.shape[0] > 0 && in.ConsumeBool()) rt::chars(pattern)[pattern.shape[0] - 1] ^= 1;
  } else {
    pattern = anyvalue(in, anytype(in));
  }

  rt::Array marks;
  rt::descclear(&marks);
  bool returned = zelvofuzz::survives([&] { rt::find(&marks, &text, &pattern); });
  bool characters = text.type == rt::Char && pattern.type == rt::Char;
  if (returned != characters) std::abort();
  if (returned) {
    int32_t m = text.rank == 0 ? 1 : text.shape[0], k = used(pattern);
    if (marks.type != rt::Int || marks.rank != 1 || marks.shape[0] != m) std::abort();
    const char *t = rt::chars(text), *p = rt::chars(pattern);
    for (int32_t i = 0; i < m; ++i) {
      bool at = i < stored && i + k <= stored;
      for (int32_t j = 0; at && j < k; ++j) at = t[i + j] == p[j];
      if (rt::ints(marks)[i] != (at ? 1 : 0)) std::abort();
    }
    zelvofuzz::release(marks, true);
  } else {
    rt::descclear(&marks);
  }
  zelvofuzz::release(text, false);
  zelvofuzz::release(pattern, false);
  return 0;
}
