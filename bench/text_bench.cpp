// Execute of a million numbers against a strtod loop over the same text, and
// Format of a million ints against an snprintf loop.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/goals.h"
#include "runtime/core/array.h"
#include "runtime/text/execute.h"
#include "runtime/text/format.h"

namespace {

using zelvobench::addgoal;

constexpr int32_t million = 1000000;

// A million blank-separated numbers, ints and reals alternating
// ("-48213 7305.2871 ..."), the same in every run.
const std::string& numbers() {
  static std::string text;
  if (text.empty()) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int32_t> whole(-999999, 999999), fraction(0, 9999);
    char buf[32];
    for (int32_t i = 0; i < million; ++i) {
      if (i % 2 == 0)
        std::snprintf(buf, sizeof buf, "%d ", whole(random));
      else
        std::snprintf(buf, sizeof buf, "%d.%04d ", whole(random), fraction(random));
      text += buf;
    }
  }
  return text;
}

// Times fn making a result from a vector of n elements of the type, which
// stay the caller's; every result is freed.
void timed(benchmark::State& state, void (*fn)(rt::Array*, const rt::Array*), int32_t type, int32_t n,
           const void* elements) {
  rt::Array arg = {type, 1, &n, rt::Fixed, const_cast<void*>(elements)}, result;
  for (auto _ : state) {
    fn(&result, &arg);
    benchmark::DoNotOptimize(result.value);
    std::free(result.shape);
    std::free(result.value);
  }
}

void executezelvo(benchmark::State& state) {
  const std::string& text = numbers();
  timed(state, rt::execute, rt::Char, static_cast<int32_t>(text.size()), text.data());
}

void executebaseline(benchmark::State& state) {
  const char* text = numbers().c_str();
  for (auto _ : state) {
    double* values = static_cast<double*>(std::malloc(sizeof(double) * million));
    int32_t count = 0;
    for (const char* p = text;;) {
      char* end;
      double v = std::strtod(p, &end);
      if (end == p) break;
      values[count++] = v;
      p = end;
    }
    benchmark::DoNotOptimize(values);
    std::free(values);
  }
}

// A million ints of up to seven characters, the same in every run.
const std::vector<int32_t>& ints() {
  static std::vector<int32_t> v;
  if (v.empty()) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int32_t> value(-999999, 9999999);
    v.resize(million);
    for (int32_t& x : v) x = value(random);
  }
  return v;
}

void formatzelvo(benchmark::State& state) { timed(state, rt::Format, rt::Int, million, ints().data()); }

// Fields of seven characters, as Format makes them at print precision 7.
void formatbaseline(benchmark::State& state) {
  const int32_t* v = ints().data();
  for (auto _ : state) {
    char* out = static_cast<char*>(std::malloc(7 * std::size_t{million} + 1));
    for (int32_t i = 0; i < million; ++i) std::snprintf(out + 7 * i, 8, "%*d", 7, v[i]);
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
}

zelvobench::Adder added([] {
  addgoal("execute 1e6 numbers", 2.0, executezelvo, executebaseline);
  addgoal("Format 1e6 ints", 1.5, formatzelvo, formatbaseline);
});

}  // namespace
