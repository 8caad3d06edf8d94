#!/usr/bin/env bash
# A long run of the whole program, with the stand-in emulator as its window
# typing the lines: scripts/soak.sh [lines] (10000 by default).
#
# Two runs of the same lines, then "quit":
#  1. the sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer and
#     the leak check at exit): status 0, every line and count in order on
#     standard output, and nothing on standard error (no leak, no error);
#  2. the optimised build, the same checks, with its resident memory
#     (VmRSS) sampled twice a second: it must stay flat once the history is
#     full (after 100 lines). The sanitizer build holds freed blocks back in
#     a quarantine on purpose, so its memory is shown but not judged.
# Files are left in build/soak/. Exit status 0 when every check passes.
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-10000}
# Growth of resident memory allowed between the first sample after the
# history is full and any later one, in KiB.
tolerance=${ZELVO_SOAK_TOLERANCE_KB:-64}

bash scripts/deps.sh test
source scripts/build.sh
build release zelvo standin_xterm >/dev/null
build sanitize zelvo standin_xterm >/dev/null

out=build/soak
mkdir -p "$out"
printf 'quit\n\\r\n' >"$out/script"
build/release/tests/standin/xterm --expect "$lines" >"$out/want"
printf 'quit      4\n' >>"$out/want"

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# run NAME: types the lines through build/NAME/zelvo, samples its memory into
# $out/NAME.rss (lines handed on so far, VmRSS in KiB) and checks the result.
run() {
  local name=$1 dir=$out/$1
  rm -f "$dir".*
  local start=$SECONDS
  PATH="$PWD/build/$name/tests/standin:$PATH" ZELVO_STANDIN_LINES=$lines ZELVO_STANDIN_SCRIPT=$out/script \
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build/$name/zelvo" </dev/null >"$dir.out" 2>"$dir.err" &
  local pid=$! rss
  while rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null) && [ -n "$rss" ]; do
    echo "$(wc -l <"$dir.out") $rss" >>"$dir.rss"
    sleep 0.5
  done
  local status=0
  wait "$pid" || status=$?
  local took=$((SECONDS - start))
  echo "== $name: $lines lines in ${took} s, exit status $status"
  [ "$status" -eq 0 ] || fail "$name: exit status $status"
  if cmp -s "$dir.out" "$out/want"; then
    echo "   standard output: all $((lines + 1)) lines and counts in order"
  else
    fail "$name: standard output differs from $out/want (first difference: $(cmp "$dir.out" "$out/want" 2>&1 | head -1))"
  fi
  if [ -s "$dir.err" ]; then
    fail "$name: standard error is not empty:"
    head -40 "$dir.err"
  else
    echo "   standard error: empty (no leak or error report)"
  fi
  awk -v full=100 '
    $1 > full {
      if (base == "") { base = $2; basen = $1; min = $2; max = $2 }
      if ($2 < min) min = $2
      if ($2 > max) max = $2
      last = $2; lastn = $1
    }
    END { printf "   VmRSS (KiB): at line %d %d, then min %d, max %d, at line %d %d\n", basen, base, min, max, lastn, last }' "$dir.rss"
}

run sanitize
run release

# The optimised run: flat once the history holds its 100 lines.
read -r base growth < <(awk -v full=100 '$1 > full { if (b == "") b = $2; if ($2 - b > g) g = $2 - b } END { print b, g + 0 }' "$out/release.rss")
if [ -z "$base" ]; then
  fail "release: no memory sample after line 100"
elif [ "$growth" -gt "$tolerance" ]; then
  fail "release: resident memory grew by $growth KiB after the history was full (allowed $tolerance KiB)"
else
  echo "== release: resident memory flat after the history was full (largest growth $growth KiB, allowed $tolerance KiB)"
fi
[ "$failed" -eq 0 ] && echo "soak: passed" || echo "soak: FAILED"
exit "$failed"
