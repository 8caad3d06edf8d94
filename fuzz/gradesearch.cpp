// Fuzzes gradesearch over the ascending grade of arbitrary keys of every
// type, NaN included, with values of every type, most of them equal to a
// key: the answer is the lowest index of an equal key, or n when there is
// none (or the types do not compare); 0 for no keys.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "fuzz/keys.h"
#include "fuzz/support.h"
#include "runtime/core/grade.h"

namespace {

bool numeric(int32_t type) { return type == rt::Bit || type == rt::Int || type == rt::Real; }

}  // namespace

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  int32_t keytype = in.PickValueInArray(zelvofuzz::keytypes);
  int32_t n = in.ConsumeIntegralInRange<int32_t>(0, 600);
  void* keys = zelvofuzz::anykeys(in, keytype, n);
  int32_t* grade = nullptr;
  rt::gradesort(&grade, &keys, n, keytype, 1);

  int32_t valuetype = in.PickValueInArray(zelvofuzz::keytypes);
  rt::Cell value;
  value.r = 0;
  int32_t from = n > 0 && in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(0, n - 1) : -1;
  double wanted;  // the value as keyat reads a key
  switch (valuetype) {
    case rt::Real:
      value.r = from >= 0 && numeric(keytype) ? zelvofuzz::keyat(keys, keytype, from) : zelvofuzz::anyreal(in);
      wanted = value.r;
      break;
    case rt::Char:
      value.c = from >= 0 && keytype == rt::Char ? static_cast<char*>(keys)[from]
                                                 : static_cast<char>(in.ConsumeIntegral<uint8_t>());
      wanted = static_cast<signed char>(value.c);
      break;
    default:
      value.i = from >= 0 && (keytype == rt::Bit || keytype == rt::Int) ? static_cast<int32_t*>(keys)[from]
                                                                          : zelvofuzz::anyint(in);
      wanted = value.i;
      break;
  }
  bool comparable = (numeric(keytype) && numeric(valuetype)) || (keytype == rt::Char && valuetype == rt::Char);
  int32_t expected = n;
  if (n == 0)
    expected = 0;
  else if (comparable && !std::isnan(wanted))
    for (int32_t i = 0; i < n && expected == n; ++i)
      if (zelvofuzz::keyat(keys, keytype, i) == wanted) expected = i;
  int32_t found = rt::gradesearch(grade, &keys, &value, keytype, valuetype, n);
  if (found != expected) std::abort();
  std::free(grade);
  std::free(keys);
  return 0;
}
