// The list of goals and their registration, and the clock of the benchmarks
// that time their own runs.
#include "bench/goals.h"

#include <time.h>

namespace zelvobench {

std::vector<Goal>& goals() {
  static std::vector<Goal> list;
  return list;
}

void addgoal(const Goal& goal) { goals().push_back(goal); }

void addgoal(const std::string& name, double limit, void (*zelvo)(benchmark::State&),
             void (*baseline)(benchmark::State&)) {
  addgoal({name, Test::Ratio, limit, "ms", name + "/zelvo", name + "/baseline"});
  benchmark::RegisterBenchmark((name + "/zelvo").c_str(), zelvo)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((name + "/baseline").c_str(), baseline)->Unit(benchmark::kMillisecond);
}

int64_t nowns() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::string counter(const std::string& benchmark, const std::string& name) { return benchmark + ":" + name; }

}  // namespace zelvobench
