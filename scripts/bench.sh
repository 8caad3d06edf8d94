#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release in build/bench,
# runs them all and prints the table of goals (runtime time against its
# baseline in the same run). Extra arguments go to the benchmark program,
# e.g. --benchmark_filter=gradesort.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh bench
source scripts/build.sh
build bench
build/bench/bench/zelvo_bench "$@"
