// Grading random keys against std::stable_sort of an index array by the
// same keys.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <numeric>
#include <random>
#include <vector>

#include "bench/goals.h"
#include "runtime/core/grade.h"

namespace {

using zelvobench::addgoal;

// n random keys of type T, the same in every run, made once.
template <typename T>
const std::vector<T>& keys(int32_t n) {
  static std::map<int32_t, std::vector<T>> made;
  std::vector<T>& k = made[n];
  if (k.empty()) {
    std::mt19937_64 random(20240611);
    k.resize(static_cast<size_t>(n));
    for (T& x : k) {
      if constexpr (std::is_same_v<T, double>)
        x = std::uniform_real_distribution<double>(-1e6, 1e6)(random);
      else
        x = static_cast<T>(random());
    }
  }
  return k;
}

template <typename T, int32_t N, int32_t Type>
void zelvo(benchmark::State& state) {
  void* k = const_cast<T*>(keys<T>(N).data());
  for (auto _ : state) {
    int32_t* grade;
    rt::gradesort(&grade, &k, N, Type, 1);
    benchmark::DoNotOptimize(grade);
    std::free(grade);
  }
}

template <typename T, int32_t N>
void baseline(benchmark::State& state) {
  const T* k = keys<T>(N).data();
  for (auto _ : state) {
    std::vector<int32_t> grade(static_cast<size_t>(N));
    std::iota(grade.begin(), grade.end(), 0);
    std::stable_sort(grade.begin(), grade.end(), [k](int32_t a, int32_t b) { return k[a] < k[b]; });
    benchmark::DoNotOptimize(grade.data());
  }
}

constexpr int32_t million = 1000000;

zelvobench::Adder added([] {
  addgoal("gradesort ints 1e6", 0.5, zelvo<int32_t, million, rt::Int>, baseline<int32_t, million>);
  addgoal("gradesort ints 1e7", 0.5, zelvo<int32_t, 10 * million, rt::Int>, baseline<int32_t, 10 * million>);
  addgoal("gradesort reals 1e6", 1.0, zelvo<double, million, rt::Real>, baseline<double, million>);
  addgoal("gradesort reals 1e7", 1.0, zelvo<double, 10 * million, rt::Real>, baseline<double, 10 * million>);
  addgoal("gradesort chars 1e6", 1.0, zelvo<char, million, rt::Char>, baseline<signed char, million>);
  addgoal("gradesort chars 1e7", 1.0, zelvo<char, 10 * million, rt::Char>, baseline<signed char, 10 * million>);
});

}  // namespace
