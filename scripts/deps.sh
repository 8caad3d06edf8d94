#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zelvo need,
# only those that are missing. Runs apt-get as root (directly or through sudo).
set -euo pipefail

packages=(g++ make cmake libgtest-dev)
case "${1:-}" in
  # The emulator and the fonts it starts with (without them it warns on
  # standard error at every start).
  run) packages+=(xterm xfonts-base) ;;
  # The window test: a virtual display, the emulator and its fonts, a key
  # sender, a selection setter for pastes, and the screenshot tools (xwd,
  # convert); a terminal emulator library to model the window's screen. The
  # package checks: dpkg-shlibdeps and file (for cpack), lintian, mandoc.
  test) packages+=(xvfb xterm xfonts-base xdotool xclip x11-apps imagemagick libvterm-dev dpkg-dev file lintian mandoc) ;;
  # The Debian package: cpack asks file and dpkg-shlibdeps for the
  # libraries the program needs.
  package) packages+=(dpkg-dev file) ;;
  # clang, and then (below) the compiler runtime of its version, which
  # holds libFuzzer and the sanitizers.
  fuzz) packages+=(clang libvterm-dev) ;;
  bench) packages+=(libbenchmark-dev) ;;
esac

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
updated=no

# install PACKAGE...: installs those of the packages that are missing.
install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  if [ "$updated" = no ]; then
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    updated=yes
  fi
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
}

install "${packages[@]}"
if [ "${1:-}" = fuzz ]; then
  # The runtime is libclang-rt-N-dev for clang N (before clang 14 it came
  # with libclang-common-N-dev).
  major=$(clang -dumpversion | cut -d. -f1)
  runtime=libclang-rt-$major-dev
  apt-cache show "$runtime" >/dev/null 2>&1 || runtime=libclang-common-$major-dev
  install "$runtime"
fi
