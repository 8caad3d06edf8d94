// A benchmark goal: the runtime's code and its baseline, measured in the
// same run, and the largest ratio of their times that meets the goal.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace zelvobench {

struct Goal {
  std::string name;
  double limit;  // runtime time / baseline time must not exceed this
};

// Every goal added so far, in order.
std::vector<Goal>& goals();

// Registers the benchmarks "<name>/zelvo" and "<name>/baseline".
void addgoal(const std::string& name, double limit, void (*zelvo)(benchmark::State&),
             void (*baseline)(benchmark::State&));

// Adds goals during static initialisation: `static Adder a([] { addgoal(...); });`
struct Adder {
  explicit Adder(void (*add)()) { add(); }
};

}  // namespace zelvobench
