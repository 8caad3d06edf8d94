#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# an optimised build and an AddressSanitizer + UndefinedBehaviorSanitizer
# build, both with warnings as errors; checks the Debian package, the
# installed program and the standard output of scripts/run.sh on the
# optimised build (scripts/package-check.sh); and runs every fuzz target for
# 30 seconds (ZELVO_FUZZ_SECONDS to change that, 0 to skip).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test

source scripts/build.sh
build release
build sanitize

echo "== package, installation and scripts/run.sh"
bash scripts/package-check.sh build/release

fuzzseconds=${ZELVO_FUZZ_SECONDS:-30}
if [ "$fuzzseconds" -gt 0 ]; then
  echo "== fuzz targets"
  bash scripts/fuzz.sh "$fuzzseconds"
fi

echo "== optimised build"
jobs=$(nproc)
ctest --test-dir build/release -j "$jobs" --output-on-failure
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize -j "$jobs" --output-on-failure
