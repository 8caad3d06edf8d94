// Arbitrary grading keys for the grade fuzz targets, and the order they
// must come out in, written independently of the runtime's.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "fuzz/values.h"
#include "runtime/core/array.h"

namespace zelvofuzz {

// The key types tried: the four storable ones and codes no grade orders.
inline constexpr int32_t keytypes[] = {rt::Bit, rt::Int, rt::Real, rt::Char, rt::Undefined, 5};

// Whether keys of this type are ordered at all.
inline bool ordered(int32_t type) {
  return type == rt::Bit || type == rt::Int || type == rt::Real || type == rt::Char;
}

// n keys of the type in exactly n elements' storage (8 bytes each for a
// type that is not ordered, whose keys are never read). Many keys repeat an
// earlier one, so that ties are common.
inline void* anykeys(FuzzedDataProvider& in, int32_t type, int32_t n) {
  size_t size = type == rt::Real ? 8 : type == rt::Char ? 1 : type == rt::Bit || type == rt::Int ? 4 : 8;
  void* keys = std::malloc(size * static_cast<size_t>(n > 0 ? n : 1));
  for (int32_t i = 0; i < n; ++i) {
    int32_t from = i > 0 && in.ConsumeIntegral<uint8_t>() < 64 ? in.ConsumeIntegralInRange<int32_t>(0, i - 1) : i;
    switch (type) {
      case rt::Bit: static_cast<int32_t*>(keys)[i] = from < i ? static_cast<int32_t*>(keys)[from] : in.ConsumeBool(); break;
      case rt::Int: static_cast<int32_t*>(keys)[i] = from < i ? static_cast<int32_t*>(keys)[from] : anyint(in); break;
      case rt::Real: static_cast<double*>(keys)[i] = from < i ? static_cast<double*>(keys)[from] : anyreal(in); break;
      case rt::Char:
        static_cast<char*>(keys)[i] =
            from < i ? static_cast<char*>(keys)[from] : static_cast<char>(in.ConsumeIntegral<uint8_t>());
        break;
      default: static_cast<double*>(keys)[i] = 0; break;
    }
  }
  return keys;
}

// Key i as a double for the numeric types, as a signed byte for chars.
inline double keyat(const void* keys, int32_t type, int32_t i) {
  switch (type) {
    case rt::Real: return static_cast<const double*>(keys)[i];
    case rt::Char: return static_cast<signed char>(static_cast<const char*>(keys)[i]);
    default: return static_cast<const int32_t*>(keys)[i];
  }
}

// -1, 0 or 1 for two keys in ascending order: exact, -0 equal to 0, every
// NaN above every number and equal to every other NaN.
inline int keyorder(double x, double y) {
  if (std::isnan(x) || std::isnan(y)) return std::isnan(x) - std::isnan(y);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace zelvofuzz
