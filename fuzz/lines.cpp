// Fuzzes nextline and prevline with arbitrary texts, separators and
// offsets (the int extremes included), walking back and forth from the
// offset each call leaves: every line and every offset must be the one the
// offset arithmetic gives, worked out here in 64 bits. Also tolower: only
// the capitals A-Z change.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/arrays.h"
#include "console/globals.h"
#include "console/text.h"
#include "fuzz/support.h"
#include "fuzz/values.h"

namespace {

struct Step {
  std::string line;
  int64_t offset;
};

// The line after offset in s (lines ending in eol) and the offset after it:
// s with one eol put in front loses its first max(0, offset - 1)
// characters, then the rest of the current line, then the run of
// separators, and what is left up to the next separator is the line; the
// offset grows by the characters of the last three.
Step next(const std::string& s, char eol, int64_t offset) {
  std::string t = eol + s;
  int64_t skip = std::max<int64_t>(0, offset - 1);
  t = skip >= static_cast<int64_t>(t.size()) ? "" : t.substr(static_cast<size_t>(skip));
  size_t rest = std::min(t.find(eol), t.size());
  t.erase(0, rest);
  size_t run = std::min(t.find_first_not_of(eol), t.size());
  t.erase(0, run);
  size_t line = std::min(t.find(eol), t.size());
  return {t.substr(0, line), offset + static_cast<int64_t>(rest + run + line)};
}

// The line before offset: next on the reversed text, from the mirrored offset.
Step prev(const std::string& s, char eol, int64_t offset) {
  int64_t n = static_cast<int64_t>(s.size());
  Step r = next(std::string(s.rbegin(), s.rend()), eol, n - offset);
  return {std::string(r.line.rbegin(), r.line.rend()), n - r.offset};
}

std::string text(const rt::Array& a) {
  return std::string(rt::chars(a), static_cast<size_t>(zelvofuzz::count(a)));
}

// A character vector of s (a scalar when asked and s is one character).
rt::Array chars(const std::string& s, bool scalar) {
  if (scalar && s.size() == 1) return zelvo::charscalar(s[0]);
  rt::Array a;
  rt::descclear(&a);
  int32_t n = static_cast<int32_t>(s.size());
  rt::descset(&a, rt::Char, 1, &n);
  rt::descalloc(&a);
  if (n > 0) std::copy(s.begin(), s.end(), rt::chars(a));
  return a;
}

int32_t anyoffset(FuzzedDataProvider& in, int32_t n) {
  if (in.ConsumeBool()) return in.ConsumeIntegralInRange<int32_t>(-4, n + 4);
  return zelvofuzz::anyint(in);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zelvofuzz::setup();
  zelvo::LINEOFFSET.create();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  char eol = in.ConsumeBool() ? '\r' : static_cast<char>(in.ConsumeIntegral<uint8_t>());
  bool eolscalar = in.ConsumeBool();
  int32_t n = in.ConsumeIntegralInRange<int32_t>(0, 100);
  std::string s;
  for (int32_t i = 0; i < n; ++i) {
    const char picks[] = {eol, eol, 'a', 'B', static_cast<char>(in.ConsumeIntegral<uint8_t>())};
    s += in.PickValueInArray(picks);
  }
  bool textscalar = in.ConsumeBool();
  rt::Array txt = chars(s, textscalar);

  // tolower: the capitals, and nothing else, made small.
  rt::Array lower = zelvo::tolower(zelvo::copyof(txt));
  std::string want = s;
  for (char& c : want)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (lower.type != rt::Char || lower.rank != txt.rank || text(lower) != want) std::abort();
  rt::detalloc(&lower);

  // A walk: each step from the offset the previous one left, or a fresh one.
  int64_t offset = anyoffset(in, n);
  int32_t steps = in.ConsumeIntegralInRange<int32_t>(1, 16);
  for (int32_t i = 0; i < steps; ++i) {
    if (in.ConsumeIntegral<uint8_t>() < 32) offset = anyoffset(in, n);
    bool forward = in.ConsumeBool();
    zelvo::LINEOFFSET.set(static_cast<int32_t>(offset));
    rt::Array got = forward ? zelvo::nextline(chars(std::string(1, eol), eolscalar), zelvo::copyof(txt))
                            : zelvo::prevline(chars(std::string(1, eol), eolscalar), zelvo::copyof(txt));
    Step expected = forward ? next(s, eol, offset) : prev(s, eol, offset);
    if (got.type != rt::Char || got.rank != 1 || text(got) != expected.line) std::abort();
    if (zelvo::LINEOFFSET.value() != expected.offset) std::abort();
    offset = expected.offset;
    rt::detalloc(&got);
  }
  zelvofuzz::release(txt, false);
  return 0;
}
