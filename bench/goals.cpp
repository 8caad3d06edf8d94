// The list of goals and their registration.
#include "bench/goals.h"

namespace zelvobench {

std::vector<Goal>& goals() {
  static std::vector<Goal> list;
  return list;
}

void addgoal(const std::string& name, double limit, void (*zelvo)(benchmark::State&),
             void (*baseline)(benchmark::State&)) {
  goals().push_back({name, limit});
  benchmark::RegisterBenchmark((name + "/zelvo").c_str(), zelvo)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((name + "/baseline").c_str(), baseline)->Unit(benchmark::kMillisecond);
}

}  // namespace zelvobench
