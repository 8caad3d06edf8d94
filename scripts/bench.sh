#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release in build/bench,
# runs them all and prints the table of goals (runtime time against its
# baseline in the same run). Extra arguments go to the benchmark program,
# e.g. --benchmark_filter=gradesort.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh bench
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DZELVO_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target zelvo_bench
build/bench/bench/zelvo_bench "$@"
