// Fuzzes the dyadic format with arbitrary values, widths and precisions.
// Widths and precisions the format refuses stop the runtime, which is
// survived. A result that is made has every field exactly its width,
// holding the number's full text, right-aligned, or asterisks when that
// text is longer than the field.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/support.h"
#include "fuzz/values.h"
#include "runtime/core/tolerant.h"
#include "runtime/text/format.h"

namespace {

const char zeros[] = "00000000000000000000";

// The full text of a number at precision p, on the int or the real path.
std::string fulltext(bool isint, const rt::Cell& x, int32_t p) {
  char t[1200];
  double v = isint ? x.i : x.r;
  if (p < 0)
    std::snprintf(t, sizeof t, "%.*e", -p - 1, v);
  else if (isint && p > 0)
    std::snprintf(t, sizeof t, "%d.%.*s", x.i, p, zeros);
  else
    std::snprintf(t, sizeof t, "%.*f", p, v);
  return t;
}

// A width or precision of the left argument: mostly small, sometimes
// large. A precision may be any int; a width only one that the format
// either refuses or can fill quickly (a width near 2^31 would be filled).
double anyfield(FuzzedDataProvider& in, bool real, bool precision) {
  uint8_t how = in.ConsumeIntegral<uint8_t>();
  double v = how < 200   ? in.ConsumeIntegralInRange<int32_t>(-30, 120)
             : how < 230 ? in.ConsumeIntegralInRange<int32_t>(-1100, 1100)
             : precision ? in.ConsumeIntegral<int32_t>()
                         : in.PickValueInArray({INT32_MAX, INT32_MIN, -1000000000});
  if (real && in.ConsumeBool()) v += (v < 0 ? -1 : 1) * in.ConsumeProbability<double>() * 0.999;
  return v;
}

}  // namespace

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  rt::printprecision = in.ConsumeIntegralInRange<int32_t>(-3, 80);
  int32_t pp = rt::printprecision > 70 ? 70 : rt::printprecision < 1 ? 1 : rt::printprecision;
  int32_t rtype = in.PickValueInArray({rt::Bit, rt::Int, rt::Real, rt::Char});
  rt::Array right = zelvofuzz::anyarray(in, rtype, 24);
  int32_t k = right.rank > 0 ? right.shape[right.rank - 1] : 1;

  // The left argument: a scalar, or a vector of 0 to 2K + 1 elements.
  int32_t ltype = in.PickValueInArray({rt::Bit, rt::Int, rt::Real, rt::Char});
  int32_t lrank = in.ConsumeIntegralInRange<int32_t>(0, 1);
  int32_t llength = in.ConsumeIntegralInRange<int32_t>(0, 2 * k + 1);
  rt::Array left;
  rt::descclear(&left);
  rt::descset(&left, ltype, lrank, &llength);
  int32_t ln = rt::descalloc(&left);
  for (int32_t i = 0; i < ln; ++i) {
    double v = anyfield(in, ltype == rt::Real, ln == 1 || i % 2 == 1);
    if (ltype == rt::Real) rt::reals(left)[i] = v;
    else if (ltype == rt::Char) rt::chars(left)[i] = static_cast<char>(static_cast<int32_t>(v));
    else rt::ints(left)[i] = static_cast<int32_t>(v);
  }

  rt::Array result;
  rt::descclear(&result);
  bool made = zelvofuzz::survives([&] { rt::DFormat(&result, &left, &right); });
  if (rtype == rt::Char) {
    if (!made || result.value != right.value) std::abort();
  } else if (!made) {
    rt::descclear(&result);  // its storage was freed with the stop
  } else {
    // Widths and precisions as the left argument gives them, one pair per
    // column at most; a made result had every field wide enough.
    auto at = [&](int32_t i) {
      return ltype == rt::Real ? rt::trunc32(rt::reals(left)[i]) : rt::ints(left)[i];
    };
    int32_t n = zelvofuzz::count(right);
    int32_t length = lrank > 0 ? llength : 1;
    if (ltype == rt::Char || (length > 2 && length != 2 * k)) std::abort();
    const char* text = rt::chars(result);
    int32_t rank = right.rank > 0 ? right.rank : 1;
    if (result.type != rt::Char || result.rank != rank) std::abort();
    // A width below 0 adds nothing (no element of an empty right argument uses it).
    int64_t row = 0;
    for (int32_t c = 0; c < k; ++c)
      row += std::max(length == 1 ? (rtype == rt::Real ? pp + 8 : pp) : at(length == 2 ? 0 : 2 * c), 0);
    if (result.shape[rank - 1] != row) std::abort();
    int64_t offset = 0;
    for (int32_t i = 0; i < n; ++i) {
      int32_t c = i % k;
      int32_t w = length == 1 ? (rtype == rt::Real ? pp + 8 : pp) : at(length == 2 ? 0 : 2 * c);
      int32_t p = length == 1 ? at(0) : at(length == 2 ? 1 : 2 * c + 1);
      rt::Cell x;
      if (rtype == rt::Real) x.r = rt::reals(right)[i];
      else x.i = rt::ints(right)[i];
      std::string t = fulltext(rtype != rt::Real, x, p);
      int32_t len = static_cast<int32_t>(t.size());
      for (int32_t j = 0; j < w; ++j) {
        char want = len > w ? '*' : j < w - len ? ' ' : t[static_cast<size_t>(j - (w - len))];
        if (text[offset + j] != want) std::abort();
      }
      offset += w;
    }
    if ((n > 0 && offset != int64_t{n / k} * row) || text[offset] != '\0') std::abort();
    zelvofuzz::release(result, false);
  }
  zelvofuzz::release(left, false);
  zelvofuzz::release(right, false);
  rt::printprecision = 7;
  return 0;
}
