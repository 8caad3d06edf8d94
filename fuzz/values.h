// Arbitrary array values for the fuzz targets, drawn from the input bytes.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "runtime/core/array.h"

namespace zelvofuzz {

// A real: mostly an arbitrary bit pattern (every NaN, infinity and
// subnormal included), sometimes a value picked to sit on a boundary.
inline double anyreal(FuzzedDataProvider& in) {
  static const double picks[] = {0.0,
                                 -0.0,
                                 std::numeric_limits<double>::quiet_NaN(),
                                 -std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::max(),
                                 std::numeric_limits<double>::lowest(),
                                 std::numeric_limits<double>::denorm_min(),
                                 9.5,
                                 -9.99,
                                 0.5,
                                 99999.5,
                                 1e100,
                                 -1e-100,
                                 2147483648.0};
  uint8_t how = in.ConsumeIntegral<uint8_t>();
  if (how < 96) return in.PickValueInArray(picks);
  if (how < 160) return in.ConsumeIntegralInRange<int32_t>(-1000, 1000) / 8.0;
  return std::bit_cast<double>(in.ConsumeIntegral<uint64_t>());
}

// An int: small, on a boundary, or arbitrary.
inline int32_t anyint(FuzzedDataProvider& in) {
  static const int32_t picks[] = {0, 1, -1, 9, 10, 99, -100, 1234567, 12345678, INT32_MAX, INT32_MIN};
  uint8_t how = in.ConsumeIntegral<uint8_t>();
  if (how < 80) return in.PickValueInArray(picks);
  if (how < 160) return in.ConsumeIntegralInRange<int32_t>(-200, 200);
  return in.ConsumeIntegral<int32_t>();
}

// A numeric or character array of the given type, rank 0 to 3 and at most
// `most` elements, in freshly allocated storage of exactly its size.
inline rt::Array anyarray(FuzzedDataProvider& in, int32_t type, int32_t most) {
  int32_t rank = in.ConsumeIntegralInRange<int32_t>(0, 3);
  std::vector<int32_t> shape(static_cast<size_t>(rank));
  int32_t n = 1;
  for (int32_t& s : shape) {
    s = in.ConsumeIntegralInRange<int32_t>(0, 6);
    if (n * s > most) s = 1;
    n *= s;
  }
  rt::Array a;
  rt::descclear(&a);
  rt::descset(&a, type, rank, shape.data());
  rt::descalloc(&a);
  for (int32_t i = 0; i < n; ++i) {
    switch (type) {
      case rt::Bit: rt::ints(a)[i] = in.ConsumeBool() ? 1 : 0; break;
      case rt::Int: rt::ints(a)[i] = anyint(in); break;
      case rt::Real: rt::reals(a)[i] = anyreal(in); break;
      default: rt::chars(a)[i] = static_cast<char>(in.ConsumeIntegral<uint8_t>()); break;
    }
  }
  return a;
}

// The number of elements of a value.
inline int32_t count(const rt::Array& a) { return rt::elemcount(a.rank, a.shape); }

}  // namespace zelvofuzz
