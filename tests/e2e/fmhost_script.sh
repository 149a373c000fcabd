#!/usr/bin/env bash
# Script steps against the demo solution: Go to Record, Set Variable,
# Perform Script with a parameter and its own variables, Go to Layout, the
# errors of missing records, scripts and layouts, steps that cannot be read,
# and the --json form of the same run.
source "$(dirname "$0")/common.bash"
fmhost() { "$BUILD/fmhost" --no-plugin --solution "$FIXTURES/fmhost/demo.json" "$@"; }

script=$FIXTURES/fmhost/navigate.fmscript
fmhost "$script" >"$work/out" 2>"$work/err" || fail "exit $?: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "diagnostics for a clean run: $(cat "$work/err")"
diff -u - "$work/out" <<'EXPECTED' || fail "human output differs"
3 Edsger
error 101: This is the last record
101 3
Grace
Grace
error 101: Record 9 is missing (the table Invoices has 3)
Grace!
Describe: Grace!
inner
||
Customers 1 Ada
Edsger
Invoices 3
error 104: Script "Missing" is missing
error 105: Layout "Nowhere" is missing
error 1200: A variable name starts with $ or $$ (at 15)
error 1203: Unexpected end of calculation (at 30)
error 1200: "]" expected at the end of the step (at 13)
EXPECTED

# --json: one object per step, nested steps marked with their script.
fmhost --json "$script" >"$work/json"
[ "$(wc -l <"$work/json")" -eq 28 ] || fail "expected 28 JSON lines: $(cat "$work/json")"
expect_line() { grep -qxF -- "$1" "$work/json" || fail "no line $1 in: $(cat "$work/json")"; }
expect_line '{"step":"Go to Record [ Last ]","error":0,"type":"empty","text":""}'
expect_line '{"step":"Get ( RecordNumber ) & \" \" & Customer","error":0,"type":"text","text":"3 Edsger"}'
expect_line '{"step":"Go to Record [ Next ]","error":101,"type":"empty","text":"","message":"This is the last record"}'
expect_line '{"step":"Get ( ScriptName ) & \": \" & Get ( ScriptParameter )","error":0,"type":"text","text":"Describe: Grace!","script":"Describe"}'
expect_line '{"step":"Set Variable [ $y ; Value: 1 + ]","error":1203,"type":"empty","text":"","message":"Unexpected end of calculation","position":30}'
# A performed script's steps come before the Perform Script step itself.
grep -n 'Last Invoice' "$work/json" | tail -n 1 | grep -q 'Perform Script' || fail "Perform Script line is not after its steps"

# Types and text forms in JSON, with carriage returns kept.
fmhost --json -e 'Issued' -e 'Due' -e 'Start' -e 'Scan' -e 'ID' -e '"a¶b"' -e 'Customers::Nope' \
  -e 'Go to Record [ 3 ]' -e 'Issued' >"$work/types"
diff -u - "$work/types" <<'EXPECTED' || fail "JSON types differ"
{"step":"Issued","error":0,"type":"date","text":"2/29/2008"}
{"step":"Due","error":0,"type":"timestamp","text":"3/31/2008 17:30:00"}
{"step":"Start","error":0,"type":"time","text":"9:05:00"}
{"step":"Scan","error":0,"type":"container","text":"scan.png"}
{"step":"ID","error":0,"type":"number","text":"42"}
{"step":"\"a¶b\"","error":0,"type":"text","text":"a\rb"}
{"step":"Customers::Nope","error":102,"type":"empty","text":"","message":"The field \"Nope\" is missing","position":0}
{"step":"Go to Record [ 3 ]","error":0,"type":"empty","text":""}
{"step":"Issued","error":0,"type":"empty","text":""}
EXPECTED

# A record number that is no number at all ("?") is missing, not a move.
out=$(fmhost -e 'Go to Record [ 1 / 0 ]' -e 'Get ( RecordNumber )')
[ "$out" = $'error 101: Record ? is missing (the table Invoices has 3)\n1' ] || fail "unknown record number: $out"

# -e steps run before the script; variables live on between them.
out=$(fmhost -e 'Set Variable [ $$n ; Value: 41 ]' -e 'Set Variable [ $$n ; Value: $$n + 1 ]' -e '$$n')
[ "$out" = 42 ] || fail "-e steps: $out"

# Perform Script nested too deep stops with an error instead of recursing on.
out=$(fmhost --json -e 'Perform Script [ "Forever" ]' | grep -c '"error":3,')
[ "$out" = 1 ] || fail "runaway recursion not stopped once: $out"
echo "fmhost_script: ok"
