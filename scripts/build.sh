# Sourced by scripts/test.sh, scripts/soak.sh, scripts/fuzz.sh and
# scripts/bench.sh, from the project's folder: the builds they use.
#
# build NAME [TARGET...]: configures build/NAME with the configure preset
# of that name (CMakePresets.json), one of
#   release   an optimised build with the tests, warnings as errors,
#   sanitize  an AddressSanitizer and UndefinedBehaviorSanitizer build with
#             the tests, warnings as errors,
#   fuzz      the libFuzzer targets, built with clang,
#   bench     the benchmarks, optimised,
# and builds the targets named, or else those of its build preset (all of
# them for release and sanitize).
build() {
  local name=$1
  shift
  case $name in
    release | sanitize | fuzz | bench) ;;
    *) echo "build: no build named $name" >&2; return 1 ;;
  esac
  cmake --preset "$name" >/dev/null
  cmake --build --preset "$name" -j "$(nproc)" ${1:+--target "$@"}
}
