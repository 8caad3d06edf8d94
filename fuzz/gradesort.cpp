// Fuzzes gradesort with arbitrary keys of every type, NaN included, in both
// directions and at sizes on both sides of the switch to radix passes: the
// grade is a permutation, ordered, and stable (equal keys by ascending
// index); keys of a type that is not ordered keep the identity grade.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/keys.h"
#include "fuzz/support.h"
#include "runtime/core/grade.h"

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  int32_t type = in.PickValueInArray(zelvofuzz::keytypes);
  int32_t direction = in.ConsumeBool() ? 1 : -1;
  int32_t n = in.ConsumeIntegralInRange<int32_t>(0, 600);
  void* keys = zelvofuzz::anykeys(in, type, n);
  int32_t* grade = nullptr;
  rt::gradesort(&grade, &keys, n, type, direction);
  std::vector<bool> seen(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    int32_t g = grade[i];
    if (g < 0 || g >= n || seen[static_cast<size_t>(g)]) std::abort();
    seen[static_cast<size_t>(g)] = true;
    if (!zelvofuzz::ordered(type)) {
      if (g != i) std::abort();
    } else if (i > 0) {
      int32_t a = grade[i - 1];
      int order = zelvofuzz::keyorder(zelvofuzz::keyat(keys, type, a), zelvofuzz::keyat(keys, type, g));
      if (order * direction > 0 || (order == 0 && a > g)) std::abort();
    }
  }
  std::free(grade);
  std::free(keys);
  return 0;
}
