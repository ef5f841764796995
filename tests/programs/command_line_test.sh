#!/usr/bin/env bash
# Every program answers --help and --version as Linux programs do (on the standard output,
# status 0, without a display), and an unknown switch with its reason and the usage on the
# standard error.
# Usage: command_line_test.sh VERSION NAME=PROGRAM...
set -uo pipefail
version=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Nothing of the user's or the machine's settings is read or written.
export HOME=$work CORVANE_DEFAULT_REGISTRY=$work/registry.ini XDG_CONFIG_HOME=$work/config \
  XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$work/run"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# check NAME PROGRAM ARG STATUS STDOUT_PATTERN STDERR_PATTERN: an empty pattern means empty.
check() {
  local name=$1 program=$2 arg=$3 want_status=$4 want_out=$5 want_err=$6
  local status
  timeout 30 "$program" "$arg" >"$work/out" 2>"$work/err" </dev/null
  status=$?
  local out err
  out=$(cat "$work/out") err=$(grep -v '^QStandardPaths' "$work/err")
  [ "$status" = "$want_status" ] || fail "$name $arg: status $status, not $want_status: $err"
  if [ -z "$want_out" ]; then
    [ -z "$out" ] || fail "$name $arg printed on the standard output: $out"
  elif ! grep -Eq -- "$want_out" <<<"$out"; then
    fail "$name $arg: standard output has no /$want_out/: $out"
  fi
  if [ -z "$want_err" ]; then
    [ -z "$err" ] || fail "$name $arg printed on the standard error: $err"
  elif ! grep -Eq -- "$want_err" <<<"$err"; then
    fail "$name $arg: standard error has no /$want_err/: $err"
  fi
}

for pair in "$@"; do
  name=${pair%%=*} program=${pair#*=}
  check "$name" "$program" --help 0 '^[Uu]sage:' ''
  check "$name" "$program" --version 0 "^$name( \\(Corvane\\))? ${version//./\\.}\$" ''
  # The service hands an unknown switch on to the service manager after saying so (its usage
  # goes to the standard output there); the others end with status 2.
  if [ "$name" = corvservice ]; then
    check "$name" "$program" --bogus 0 '^Usage:' 'unknown option "--bogus"'
  else
    QT_QPA_PLATFORM=offscreen check "$name" "$program" --bogus 2 '' \
      'unknown (option|argument) "--bogus"'
    grep -Eq '^[Uu]sage:' "$work/err" || fail "$name --bogus: no usage on the standard error"
  fi
done
[ "$failures" -eq 0 ] && echo "every program answers --help, --version and an unknown switch"
exit $((failures > 0))
