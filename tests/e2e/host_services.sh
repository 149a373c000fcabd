#!/usr/bin/env bash
# Host services a plug-in reaches through its call's context, through fmhost
# with the test plug-in: calculations in the call's own environment (also
# one whose plug-in functions evaluate calculations of their own) and, at
# idle, in the host's current one; script triggers with their parameter,
# default control and readable failures; field values by their type; merge
# fields; the absent SQL library. Nothing is left alive. (The idle after
# the step that asks for it evaluates on the record current then.)
source "$(dirname "$0")/common.bash"
plugin_env

steps=(
  'Go to Record [ 2 ]'
  'tpEvaluate ( "Get ( RecordNumber ) & \"/\" & Customer" )'
  'tpEvaluate ( "tpEvaluate ( \"Customer\" ) & \"/\" & tpEvaluate ( \"ID\" )" )'
  'tpEvaluateAtIdle ( "Get ( RecordNumber ) & \"/\" & Customer" )'
  'Go to Record [ 3 ]'
  'tpIdleResult'
  'tpEvaluate ( "1 + " )' 'tpLastError'
  'tpTrigger ( "Invoices" ; "Summary" ; 5 )'
  'tpTrigger ( "Invoices" ; "Summary" )'
  'tpTrigger ( "Invoices" ; "Nope" )' 'tpLastError'
  'tpTrigger ( "Other" ; "Summary" )' 'tpLastError'
  'tpFieldValue ( "Invoices" ; "Invoices::Customer" )'
  'tpFieldValue ( "Invoices" ; "Invoices::ID" )'
  'tpMerge ( "SELECT * FROM t WHERE id = <<Invoices::ID>> AND c = <<Customer>> -- <<Nope>> <<Other::X>> <<a+b>>" )'
  'tpSql ( "SELECT 1" )' 'tpLastError'
  'Get ( RecordNumber )'
)
args=()
for step in "${steps[@]}"; do args+=(-e "$step"); done
"$BUILD/fmhost" --plugin "$TEST_PLUGIN" --solution "$SOURCE/examples/invoices.json" --check-leaks "${args[@]}" \
  >"$work/out" 2>"$work/err" </dev/null || fail "exit $?: $(cat "$work/err")"
if grep -q 'left alive' "$work/err"; then fail "leaks: $(grep 'left alive' "$work/err")"; fi

expected=$(cat <<'OUT'
2/Grace Hopper
Grace Hopper/1002
1
2/Grace Hopper
ERROR
1203
started script 'Summary' in file 'Invoices' with parameter '5' control 3
1003 Edsger Dijkstra 310 (5)
started script 'Summary' in file 'Invoices' with parameter 'null' control 3
1003 Edsger Dijkstra 310 ()
ERROR
Error 104: There is no script named 'Nope' in file 'Invoices'
ERROR
Error 100: There is no file open named 'Other'
String Edsger Dijkstra
BigDecimal 1003
SELECT * FROM t WHERE id = 1003 AND c = Edsger Dijkstra -- <<Nope>> <<Other::X>> <<a+b>>
ERROR
java.lang.UnsatisfiedLinkError: 'short com.tessal.veskor.SqlBridge._executeSql(java.lang.String, long)'
3
OUT
)
[ "$(cat "$work/out")" = "$expected" ] || fail "results differ:
$(diff <(echo "$expected") "$work/out")"
log="$work/docs/VntPlugin Logs/Vantorel Test Plugin_FMPro.log"
grep -qF "WARNING: Could not call executeSql because the optional SQL library is not loaded." "$log" \
  || fail "the missing SQL library is not logged"

# Containers: made by the plug-in (fmhost shows their file names), and a
# container field's value, stored data or a file reference, read by it.
"$BUILD/fmhost" --plugin "$TEST_PLUGIN" --solution "$FIXTURES/fmhost/demo.json" --check-leaks \
  -e 'tpContainer ( "notes.txt" ; "hello" )' -e 'tpImage ( 30 ; 20 )' -e 'tpContainerInfo ( Scan )' \
  -e 'Go to Record [ 2 ]' -e 'tpContainerInfo ( Scan )' -e 'Go to Record [ 3 ]' -e 'tpContainerInfo ( Scan )' \
  -e 'tpContainerInfo ( tpContainer ( "Ёлка.txt" ; "x" ) )' >"$work/out" 2>"$work/err" </dev/null \
  || fail "containers: exit $?: $(cat "$work/err")"
if grep -q 'left alive' "$work/err"; then fail "containers leak: $(grep 'left alive' "$work/err")"; fi
expected=$(cat <<'OUT'
notes.txt
image.jpg
scan.png [PNGf, FNAM] 0x0
null [FILE] 0x0 reference
empty
Ёлка.txt [FILE, FNAM] 0x0
OUT
)
[ "$(cat "$work/out")" = "$expected" ] || fail "containers differ:
$(diff <(echo "$expected") "$work/out")"
echo "host_services: ok"
