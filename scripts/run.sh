#!/usr/bin/env bash
# Installs what is missing, builds Zelvo and starts the console, passing on
# any arguments. Standard output is the console's alone: the installation
# and the build write on standard error, so `bash scripts/run.sh | reader`
# gives the reader nothing but the lines typed in the window.
#
# The build folder is build/run, or ZELVO_BUILD_DIR. A folder that is
# already configured keeps its settings and is only brought up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${ZELVO_BUILD_DIR:-build/run}
{
  bash scripts/deps.sh run
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  fi
  cmake --build "$dir" -j "$(nproc)" --target zelvo
} >&2
exec "$dir/zelvo" "$@"
