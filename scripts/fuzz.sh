#!/usr/bin/env bash
# Installs what is missing, builds every fuzz target with clang in build/fuzz
# and runs each for the given number of seconds (30 by default), starting
# from a scratch copy of its committed corpus. Fails when any target finds a
# crash, a sanitizer report, a leak or a timeout (the reproducer is left in
# build/fuzz/artifacts/, the target's output in build/fuzz/<name>.log).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/deps.sh fuzz

source scripts/build.sh
build fuzz

mkdir -p build/fuzz/artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# One target's run; its verdict is the file <name>.failed or <name>.passed.
runone() {
  local name=$1 leakcheck=$2 corpus=$scratch/$1
  mkdir -p "$corpus"
  if [ -d fuzz/corpus/"$name" ]; then cp -r fuzz/corpus/"$name"/. "$corpus"/; fi
  if ASAN_OPTIONS=detect_leaks=$leakcheck build/fuzz/fuzz/fuzz_"$name" \
      -max_total_time="$seconds" -detect_leaks="$leakcheck" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/"$name"- "$corpus" \
      </dev/null 2>build/fuzz/"$name".log; then
    touch "$scratch/$name.passed"
  else
    touch "$scratch/$name.failed"
  fi
}

# The targets run as many at a time as there are cores.
jobs=$(nproc)
names=()
while read -r name leakcheck; do
  names+=("$name")
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "== fuzz_$name for ${seconds}s"
  runone "$name" "$leakcheck" &
done <build/fuzz/fuzz/targets.txt
wait

failed=()
for name in "${names[@]}"; do
  if [ -e "$scratch/$name.passed" ]; then
    echo "fuzz_$name: $(grep -E '^stat::number_of_executed_units' build/fuzz/"$name".log || echo ran)"
  else
    echo "fuzz_$name failed:"
    grep -v -E "^#[0-9]+ +(NEW|REDUCE|pulse|RELOAD)" build/fuzz/"$name".log | tail -n 60
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found failures in: ${failed[*]}"
  exit 1
fi
echo "fuzzing: every target ran ${seconds}s without a failure"
