# Sourced by scripts/test.sh and scripts/soak.sh, from the project's folder:
# the two builds that the tests and the soak run use.
#
# build NAME [TARGET...]: configures build/NAME, with warnings as errors, as
#   release   an optimised build, or
#   sanitize  an AddressSanitizer and UndefinedBehaviorSanitizer build,
# and builds the targets named (all of them when none is).
build() {
  local name=$1
  shift
  local options=()
  case $name in
    release) options=(-DCMAKE_BUILD_TYPE=Release) ;;
    sanitize) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_SANITIZE=ON) ;;
    *) echo "build: no build named $name" >&2; return 1 ;;
  esac
  cmake -S . -B "build/$name" -DZELVO_WERROR=ON "${options[@]}" >/dev/null
  cmake --build "build/$name" -j "$(nproc)" ${1:+--target "$@"}
}
