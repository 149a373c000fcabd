#!/usr/bin/env bash
# Driving fmhost through a pipe: each step's result arrives as soon as its
# line is written, before the next one is sent, with --json and in the plain
# form; standard input that is a pipe is read as steps without a prompt; a
# terminal gets the console with its prompt and a mark under an error.
source "$(dirname "$0")/common.bash"

# One step out, its answer back, with a time limit.
ask() {
  printf '%s\n' "$1" >&"${FM[1]}"
  IFS= read -r -t 20 answer <&"${FM[0]}" || fail "no answer to: $1"
  [ "$answer" = "$2" ] || fail "$1 answered $answer, expected $2"
}

coproc FM { exec "$BUILD/fmhost" --no-plugin --json --solution "$FIXTURES/fmhost/demo.json" - 2>"$work/err"; }
ask 'Set Variable [ $a ; Value: 20 ]' '{"step":"Set Variable [ $a ; Value: 20 ]","error":0,"type":"empty","text":""}'
ask '$a + 1' '{"step":"$a + 1","error":0,"type":"number","text":"21"}'
ask 'Go to Record [ Last ]' '{"step":"Go to Record [ Last ]","error":0,"type":"empty","text":""}'
ask 'Customer' '{"step":"Customer","error":0,"type":"text","text":"Edsger"}'
ask '1 +' '{"step":"1 +","error":1203,"type":"empty","text":"","message":"Unexpected end of calculation","position":3}'
pid=$FM_PID
exec {FM[1]}>&-
wait "$pid" || fail "fmhost ended with $?: $(cat "$work/err")"

coproc FM { exec "$BUILD/fmhost" --no-plugin 2>"$work/err"; }
ask '"line" & 1' 'line1'
printf '\n# a comment\n' >&"${FM[1]}" # skipped: no answer
ask 'Upper ( "x" )' 'X'
pid=$FM_PID
exec {FM[1]}>&-
wait "$pid" || fail "fmhost ended with $?"

# The console on a terminal.
if command -v script >/dev/null; then
  printf '6 * 7\n1 +\n' | script -qec "$BUILD/fmhost --no-plugin" /dev/null >"$work/console" 2>&1 \
    || fail "console ended with $?: $(cat "$work/console")"
  tr -d '\r' <"$work/console" >"$work/console.txt"
  grep -q '^fmhost> ' "$work/console.txt" && grep -qx '42' "$work/console.txt" \
    || fail "no prompt and result: $(cat "$work/console.txt")"
  # The line editor shows the typed line after the prompt; the mark stands
  # under the end of "1 +", 11 columns in after the 8 columns of the prompt.
  grep -q '^ \{11\}^$' "$work/console.txt" || fail "no mark under the error: $(cat "$work/console.txt")"
fi
echo "fmhost_pipe: ok"
