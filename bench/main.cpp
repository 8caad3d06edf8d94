// Runs every benchmark (each repeated three times, the repetitions
// interleaved so that a goal's two sides see the same machine), then prints
// one line per goal: the least CPU time of each side, their ratio and
// whether it meets the goal. CPU time rather than wall time, so that other
// work on a shared machine counts as little as it can.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "bench/goals.h"

namespace {

// The console report, plus the least CPU time of every benchmark.
class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : ConsoleReporter(OO_Tabular) {}  // no colour codes
  // Shows each repetition (not the aggregates) and keeps the least time.
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
      shown.push_back(r);
      double& best = best_.try_emplace(r.run_name.function_name, std::numeric_limits<double>::infinity()).first->second;
      best = std::min(best, r.GetAdjustedCPUTime());
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }
  // The least time of a benchmark in milliseconds, or infinity if it did not run.
  double best(const std::string& name) const {
    auto it = best_.find(name);
    return it == best_.end() ? std::numeric_limits<double>::infinity() : it->second;
  }

 private:
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=3";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, {repetitions.data(), interleave.data()});
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  std::printf("\n| goal | zelvo (ms) | baseline (ms) | ratio | limit | met |\n|---|---:|---:|---:|---:|---|\n");
  int missed = 0;
  for (const zelvobench::Goal& g : zelvobench::goals()) {
    double z = collector.best(g.name + "/zelvo"), b = collector.best(g.name + "/baseline");
    if (z == std::numeric_limits<double>::infinity() || b == std::numeric_limits<double>::infinity()) continue;
    double ratio = z / b;
    bool met = ratio <= g.limit;
    missed += met ? 0 : 1;
    std::printf("| %s | %.1f | %.1f | %.2f× | %.1f× | %s |\n", g.name.c_str(), z, b, ratio, g.limit,
                met ? "yes" : "no");
  }
  std::printf("\n%d goal(s) missed\n", missed);
  return 0;
}
