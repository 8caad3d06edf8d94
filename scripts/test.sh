#!/usr/bin/env bash
# Installs what is missing, then runs every check, in this order, stopping
# at the first stage that fails:
#  1. the optimised build (warnings as errors) and its whole test suite;
#  2. the AddressSanitizer + UndefinedBehaviorSanitizer build (warnings as
#     errors) and its whole test suite, with the leak check;
#  3. the Debian package, the installed program and the standard output of
#     scripts/run.sh, on the optimised build (scripts/package-check.sh);
#  4. every fuzz target for 30 seconds (ZELVO_FUZZ_SECONDS to change that,
#     0 to skip).
# The builds and test runs are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
source scripts/build.sh
jobs=$(nproc)

echo "== optimised build"
build release
ctest --preset release -j "$jobs"

echo "== sanitizer build"
build sanitize
ctest --preset sanitize -j "$jobs"

echo "== package, installation and scripts/run.sh"
bash scripts/package-check.sh build/release

fuzzseconds=${ZELVO_FUZZ_SECONDS:-30}
if [ "$fuzzseconds" -gt 0 ]; then
  echo "== fuzz targets"
  bash scripts/fuzz.sh "$fuzzseconds"
fi
echo "test: every stage passed"
