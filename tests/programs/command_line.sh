#!/usr/bin/env bash
# The real skyrings program's answers to --help, --version and command lines it refuses: exit
# status, what goes to standard output and what to standard error, and that no game starts (no
# display is offered: a program that tried to open its window would fail with status 1).
#   command_line.sh SKYRINGS VERSION WORK_DIR
set -uo pipefail
program=$1
version=$2
work=$3
mkdir -p "$work"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs the program with the arguments given, without any display, for at most 10 s; sets
# status, out and err.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 10 "$program" "$@" \
    >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

for option in --help -h; do
  run "$option"
  [ "$status" -eq 0 ] || fail "$option: exit status $status, not 0"
  [[ "$out" == "Usage: skyrings [OPTION]..."* ]] || fail "$option: no usage on standard output"
  for listed in --window --fullscreen --help --version; do
    grep -q -- "^  $listed" "$work/out" || fail "$option: the usage does not list $listed"
  done
  [ -z "$err" ] || fail "$option: wrote to standard error: $err"
done

run --version
[ "$status" -eq 0 ] || fail "--version: exit status $status, not 0"
[ "$out" = "skyrings $version" ] || fail "--version printed '$out', not 'skyrings $version'"
[ -z "$err" ] || fail "--version: wrote to standard error: $err"

# Refused command lines: the reason and the usage on standard error, nothing on standard output.
check_refused() {
  local reason=$1
  shift
  run "$@"
  [ "$status" -eq 2 ] || fail "$*: exit status $status, not 2"
  [ -z "$out" ] || fail "$*: wrote to standard output: $out"
  [ "$(head -n 1 "$work/err")" = "skyrings: $reason" ] || fail "$*: first error line '$(head -n 1 "$work/err")'"
  grep -q "^Usage: skyrings" "$work/err" || fail "$*: no usage on standard error"
}
check_refused "unknown option '--fast'" --fast
check_refused "unknown option '--fast'" --window --fast
check_refused "unexpected argument 'level2'" level2
check_refused "--window and --fullscreen exclude each other" --window --fullscreen

# --help and --version answer before anything else on the line is looked at.
run --window --version
[ "$status" -eq 0 ] && [ "$out" = "skyrings $version" ] || fail "--window --version: status $status, '$out'"

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with the command line"
  exit 1
fi
echo "command line: help, version and refusals as documented, and no game started"
