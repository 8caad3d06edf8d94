// A benchmark goal: a figure of the runtime's side and of its baseline, both
// measured in the same run, and the test that decides whether it is met.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zelvobench {

// How a goal judges the runtime's figure z against the baseline's b.
enum class Test {
  Ratio,    // z / b at most the limit
  Excess,   // z - b at most the limit (in the figures' unit)
  Below,    // z below the limit; b is shown for comparison
  AtLeast,  // z at least the limit (a rate, so the greatest value counts)
};

struct Goal {
  std::string name;
  Test test;
  double limit;
  std::string unit;  // of both figures
  // Figure keys: a benchmark's name stands for its CPU time per iteration in
  // ms, "<benchmark>:<counter>" for a counter that the benchmark sets.
  std::string zelvo, baseline;
};

// Every goal added so far, in order.
std::vector<Goal>& goals();

// Adds a goal on figures of benchmarks registered elsewhere.
void addgoal(const Goal& goal);

// Registers the benchmarks "<name>/zelvo" and "<name>/baseline" and the goal
// that the ratio of their CPU times is at most limit.
void addgoal(const std::string& name, double limit, void (*zelvo)(benchmark::State&),
             void (*baseline)(benchmark::State&));

// The key of a counter that a benchmark sets.
std::string counter(const std::string& benchmark, const std::string& name);

// The monotonic clock, in nanoseconds.
int64_t nowns();

// Adds goals during static initialisation: `static Adder a([] { addgoal(...); });`
struct Adder {
  explicit Adder(void (*add)()) { add(); }
};

}  // namespace zelvobench
