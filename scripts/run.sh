#!/usr/bin/env bash
# Installs what is missing, builds Zelvo and starts the console.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/run -j "$(nproc)" --target zelvo
exec build/run/zelvo
