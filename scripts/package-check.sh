#!/usr/bin/env bash
# Checks Zelvo as a user gets it, from a build folder that holds the tests'
# stand-in emulator (build/release by default, as scripts/test.sh makes it):
#  - the Debian package that scripts/package.sh makes holds the program, its
#    gzipped manual page, the copyright file and the changelog, and lintian
#    finds no error or warning in it;
#  - the manual page passes mandoc's lint without a message;
#  - `cmake --install --prefix` puts bin/zelvo and share/man/man1/zelvo.1
#    under the prefix; that program and the one unpacked from the package
#    answer --version (with the package's version), --help and -h (the
#    usage) on standard output, status 0, nothing on standard error, and
#    open no window;
#  - `bash scripts/run.sh` writes on standard output nothing but the lines
#    typed in the window (the stand-in types one line and "quit").
# Exit status 0 when every check passes.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/release}
standin=$PWD/$dir/tests/standin
if [ ! -x "$standin/xterm" ]; then
  echo "package-check: no stand-in emulator in $standin (a build with the tests is needed)" >&2
  exit 1
fi
bash scripts/deps.sh test

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

echo "== Debian package"
if ! deb=$(ZELVO_BUILD_DIR=$dir bash scripts/package.sh 2>"$scratch/package.log"); then
  cat "$scratch/package.log"
  exit 1
fi
echo "$deb"
version=$(dpkg-deb --field "$deb" Version)
dpkg-deb --contents "$deb" | awk '{ print $NF }' >"$scratch/contents"
for file in ./usr/bin/zelvo ./usr/share/man/man1/zelvo.1.gz ./usr/share/doc/zelvo/copyright \
  ./usr/share/doc/zelvo/changelog.gz; do
  grep -qxF "$file" "$scratch/contents" || fail "the package lacks $file"
done
echo "lintian:"
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
dpkg-deb --extract "$deb" "$scratch/deb"
mandoc -T lint "$scratch/deb/usr/share/man/man1/zelvo.1.gz" || fail "mandoc finds faults in the manual page"

echo "== cmake --install"
cmake --install "$dir" --prefix "$scratch/prefix" >/dev/null
for file in bin/zelvo share/man/man1/zelvo.1; do
  [ -f "$scratch/prefix/$file" ] || fail "cmake --install left no $file under the prefix"
done

# ask PROGRAM OPTION: runs it with the stand-in first on the PATH, so that a
# window it opened would leave its process id behind; the answer goes to
# $scratch/out and $scratch/err, and its status is the function's.
ask() {
  rm -f "$scratch/window"
  local status=0
  PATH="$standin:$PATH" ZELVO_STANDIN_PIDFILE="$scratch/window" \
    timeout 10 "$1" "$2" </dev/null >"$scratch/out" 2>"$scratch/err" || status=$?
  [ ! -e "$scratch/window" ] || fail "$1 $2 opened a window"
  [ ! -s "$scratch/err" ] || fail "$1 $2 wrote on standard error: $(head -3 "$scratch/err")"
  return "$status"
}
before=$failed
failed=0
for program in "$scratch/prefix/bin/zelvo" "$scratch/deb/usr/bin/zelvo"; do
  ask "$program" --version || fail "$program --version: exit status $?"
  [ "$(cat "$scratch/out")" = "zelvo $version" ] || fail "$program --version says \"$(cat "$scratch/out")\", not \"zelvo $version\""
  for option in --help -h; do
    ask "$program" "$option" || fail "$program $option: exit status $?"
    grep -q '^Usage: zelvo' "$scratch/out" || fail "$program $option gives no usage"
  done
done
[ "$failed" -ne 0 ] || echo "zelvo $version: --version, --help and -h answered by the installed and the packaged program"
failed=$((before | failed))

echo "== scripts/run.sh, standard output"
printf 'ls -l\n\\r\nquit\n\\r\n' >"$scratch/script"
status=0
ZELVO_BUILD_DIR=$dir PATH="$standin:$PATH" ZELVO_STANDIN_SCRIPT="$scratch/script" \
  timeout 120 bash scripts/run.sh </dev/null >"$scratch/run.out" 2>"$scratch/run.err" || status=$?
[ "$status" -eq 0 ] || fail "scripts/run.sh: exit status $status; standard error: $(tail -5 "$scratch/run.err")"
if printf 'ls -l      5\nquit      4\n' | cmp -s - "$scratch/run.out"; then
  echo "only the typed lines and their counts"
else
  fail "scripts/run.sh wrote more than the typed lines on standard output:"
  head -20 "$scratch/run.out"
fi

[ "$failed" -eq 0 ] && echo "package-check: passed" || echo "package-check: FAILED"
exit "$failed"
