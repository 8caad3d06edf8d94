#!/usr/bin/env bash
# Installs what is missing, builds Zelvo in Release and makes its Debian
# package with CPack; prints the package's path on standard output (all
# else goes to standard error). Install it, as root, with
#   apt-get install ./build/package/zelvo_*.deb
# or, as a user with sudo, with "sudo apt-get install" and the same path.
#
# The build folder is build/package, or ZELVO_BUILD_DIR. A folder that is
# already configured keeps its settings and is only brought up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${ZELVO_BUILD_DIR:-build/package}
{
  bash scripts/deps.sh package
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  fi
  cmake --build "$dir" -j "$(nproc)" --target zelvo debfiles
  rm -f "$dir"/zelvo_*.deb
  (cd "$dir" && cpack -G DEB)
} >&2
ls "$PWD/$dir"/zelvo_*_*.deb
