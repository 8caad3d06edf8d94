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
# The memory benchmarks measure children forked from the benchmark program,
# which start out holding what the program itself holds: they run first, in
# a program of their own, before the other benchmarks have grown its heap.
memory='memory|editing'
build/bench/bench/zelvo_bench --benchmark_filter="$memory" "$@"
build/bench/bench/zelvo_bench --benchmark_filter="-$memory" "$@"
