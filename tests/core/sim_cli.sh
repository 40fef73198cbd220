#!/usr/bin/env bash
# skyrings-sim's command line: the script from a file or standard input, --trace on either side of
# it, and every kind of bad input refused with exit status 2, one message naming the line on
# standard error and nothing on standard output.
#   sim_cli.sh SIM SCRATCH_FOLDER
set -euo pipefail
sim=$1 tmp=$2
mkdir -p "$tmp"
fail() { echo "FAIL: $*"; exit 1; }

printf 'game 0 1\n1 0 0 1 0 0 0 0\n1 0 0 1 0 0 0 0\nesc\ngame 0\n0 0 0 0 0 0 0 0\n' > "$tmp/ok.txt"
"$sim" "$tmp/ok.txt" > "$tmp/file.out"
[ "$(wc -l < "$tmp/file.out")" -eq 2 ] || fail "two end records expected: $(cat "$tmp/file.out")"
grep -q '^{"game":1,"end":"escape","stepCount":2,"score":\[2,2,0,0\],"captions":\[" 1PScore: 2"," 2PScore: 2","",""\]}$' \
  "$tmp/file.out" || fail "game 1: $(head -n 1 "$tmp/file.out")"
"$sim" < "$tmp/ok.txt" | cmp -s - "$tmp/file.out" || fail "standard input gives other output"

"$sim" --trace "$tmp/ok.txt" > "$tmp/trace1.out"
"$sim" "$tmp/ok.txt" --trace > "$tmp/trace2.out"
"$sim" --trace < "$tmp/ok.txt" > "$tmp/trace3.out"
[ "$(wc -l < "$tmp/trace1.out")" -eq 5 ] || fail "three steps and two ends expected"
cmp -s "$tmp/trace1.out" "$tmp/trace2.out" || fail "--trace after the script differs"
cmp -s "$tmp/trace1.out" "$tmp/trace3.out" || fail "--trace with standard input differs"
[ "$(grep -c '"step":' "$tmp/trace1.out")" -eq 3 ] || fail "one trace line per step run"

# An empty script (or one of comments only) runs no game: no output, status 0.
for text in '' '# nothing\n\n'; do
  printf "$text" > "$tmp/empty.txt"
  [ -z "$("$sim" --trace "$tmp/empty.txt")" ] || fail "an empty script printed something"
done

# refused ARGS... : status 2, nothing on standard output, the message on standard error.
refused() {
  local status=0
  "$@" > "$tmp/bad.out" 2> "$tmp/bad.err" || status=$?
  [ "$status" -eq 2 ] || fail "$* gave status $status"
  [ ! -s "$tmp/bad.out" ] || fail "$* printed on standard output"
  [ "$(wc -l < "$tmp/bad.err")" -eq 1 ] || fail "$*: not one message: $(cat "$tmp/bad.err")"
}
bad_line() {  # bad_line LINE TEXT: the script TEXT is refused naming line LINE
  printf "$2" > "$tmp/bad.txt"
  refused "$sim" "$tmp/bad.txt"
  grep -q "^skyrings-sim: line $1: " "$tmp/bad.err" || fail "line $1 not named: $(cat "$tmp/bad.err")"
  printf "$2" | refused "$sim" --trace
  grep -q "^skyrings-sim: line $1: " "$tmp/bad.err" || fail "stdin: line $1 not named"
}
bad_line 1 '0 0 0 0 0 0 0 0\n'                    # a step before any game
bad_line 2 '# a comment\nesc\n'                   # esc before any game
bad_line 1 'game\n'                               # nobody joined
bad_line 1 'game 0 4\n'                           # no player 4
bad_line 1 'game 1 1\n'                           # a player twice
bad_line 2 'game 0\n0 0 0 0 0 0 0\n'              # seven values
bad_line 2 'game 0\n0 0 0 0 0 0 0 0 0\n'          # nine values
bad_line 3 'game 0\n0 0 0 0 0 0 0 0\n0 0 2 0 0 0 0 0\n'  # out of range
bad_line 2 'game 0\n1 x 0 0 0 0 0 0\n'            # not a number
bad_line 2 'game 0\nescape\n'                     # an unknown word
bad_line 5 'game 0\nesc\n0 0 0 0 0 0 0 0\n\nstop\n'  # checked where it would be skipped

refused "$sim" "$tmp/no such file.txt"
grep -q "cannot open the script" "$tmp/bad.err" || fail "missing file: $(cat "$tmp/bad.err")"
refused "$sim" "$tmp"
grep -q "cannot open the script" "$tmp/bad.err" || fail "a folder: $(cat "$tmp/bad.err")"
if [ "$(id -u)" -ne 0 ]; then  # root reads every file
  printf 'game 0\n' > "$tmp/locked.txt"
  chmod 000 "$tmp/locked.txt"
  refused "$sim" "$tmp/locked.txt"
  chmod 644 "$tmp/locked.txt"
fi
refused "$sim" --fast "$tmp/ok.txt"
refused "$sim" "$tmp/ok.txt" "$tmp/ok.txt"
echo "skyrings-sim: files, standard input, --trace and bad input as expected"
