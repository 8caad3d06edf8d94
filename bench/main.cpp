// Runs every benchmark (each repeated three times unless it says otherwise,
// the repetitions interleaved so that a goal's two sides see the same
// machine), then prints one line per goal: the best figure of each side,
// their ratio and difference, and whether the goal is met. A benchmark's own
// time is its CPU time rather than wall time, so that other work on a shared
// machine counts as little as it can; the benchmarks that wait on children
// or on the clock report wall-clock figures as counters instead.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "bench/goals.h"

namespace {

using zelvobench::Goal;
using zelvobench::Test;

// The least and greatest value a figure took over the repetitions.
struct Range {
  double least = std::numeric_limits<double>::infinity();
  double most = -std::numeric_limits<double>::infinity();
  void add(double v) {
    least = std::min(least, v);
    most = std::max(most, v);
  }
};

// The console report, plus the range of every figure.
class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : ConsoleReporter(OO_Tabular) {}  // no colour codes
  // Shows each repetition (not the aggregates, and a failed one with its
  // error) and keeps the figures of those that did not fail: the CPU time
  // under the benchmark's name, each counter under its key.
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration) continue;
      shown.push_back(r);
      if (r.error_occurred) continue;
      const std::string& name = r.run_name.function_name;
      figures_[name].add(r.GetAdjustedCPUTime());
      for (const auto& [key, c] : r.counters) figures_[zelvobench::counter(name, key)].add(c.value);
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }
  // The figure's best value (the greatest for a rate, else the least), or
  // NaN if it was never reported.
  double best(const std::string& key, bool rate) const {
    auto it = figures_.find(key);
    if (it == figures_.end()) return NAN;
    return rate ? it->second.most : it->second.least;
  }

 private:
  std::map<std::string, Range> figures_;
};

// A figure with as many decimals as its size calls for.
std::string number(double v) {
  char buf[32];
  double a = std::fabs(v);
  const char* format = a < 1 ? "%.3g" : a < 10 ? "%.2f" : a < 1000 ? "%.1f" : "%.0f";
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

std::string limittext(const Goal& g) {
  switch (g.test) {
    case Test::Ratio: return "≤ " + number(g.limit) + "×";
    case Test::Excess: return "≤ +" + number(g.limit) + " " + g.unit;
    case Test::Below: return "< " + number(g.limit) + " " + g.unit;
    case Test::AtLeast: return "≥ " + number(g.limit) + " " + g.unit;
  }
  return "";
}

bool met(const Goal& g, double z, double b) {
  switch (g.test) {
    case Test::Ratio: return z / b <= g.limit;
    case Test::Excess: return z - b <= g.limit;
    case Test::Below: return z < g.limit;
    case Test::AtLeast: return z >= g.limit;
  }
  return false;
}

// One line of the table per goal whose two figures were measured; gives
// the number of goals missed.
int table(const Collector& collector) {
  std::printf("\n| goal | zelvo | baseline | ratio | difference | limit | met |\n"
              "|---|---:|---:|---:|---:|---:|---|\n");
  int missed = 0;
  for (const Goal& g : zelvobench::goals()) {
    bool rate = g.test == Test::AtLeast;
    double z = collector.best(g.zelvo, rate), b = collector.best(g.baseline, rate);
    if (std::isnan(z) || std::isnan(b)) continue;
    bool ok = met(g, z, b);
    missed += ok ? 0 : 1;
    char ratio[32] = "—";
    if (b > 0) std::snprintf(ratio, sizeof ratio, "%.2f×", z / b);
    std::string difference = number(z - b) + " " + g.unit;
    if (z >= b) difference.insert(difference.begin(), '+');
    std::printf("| %s | %s %s | %s %s | %s | %s | %s | %s |\n", g.name.c_str(), number(z).c_str(), g.unit.c_str(),
                number(b).c_str(), g.unit.c_str(), ratio, difference.c_str(), limittext(g).c_str(),
                ok ? "yes" : "no");
  }
  return missed;
}

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
  std::printf("\n%d goal(s) missed\n", table(collector));
  return 0;
}
