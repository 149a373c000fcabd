#!/usr/bin/env bash
# The plug-in framework through fmhost, with the test plug-in: registration
# as the host sees it, calls and their failures, the last error, argument
# binding, contexts and queued operations, idle; nothing left alive after any
# step, and -Xcheck:jni quiet over the whole function-call path.
source "$(dirname "$0")/common.bash"
plugin_env
log="$work/docs/VntPlugin Logs/Vantorel Test Plugin_FMPro.log"

steps=(
  'tpEcho ( "hello" )'
  'tpFeedback ( "No driver" )' 'tpLastError' 'tpLastError'
  'tpUnchecked ( "closed" )' 'tpLastError'
  'tpWrapped ( "inner" )' 'tpLastError'
  'tpSuccess' 'IsEmpty ( tpLastError )'
  'tpNull' 'IsEmpty ( tpNull )'
  'tpJoin ( "a" )' 'tpJoin ( "a" ; "b" ; "c" )'
  'tpPrimitive ( "x" )' 'tpBoxed ( "x" )' 'tpPrimitive ( "x" ; 7 )' 'tpSquare'
  'tpAtomic ( "5" )' 'tpAtomicCalls'
  'tpThread' 'tpGuiThread' 'tpOwnContext'
  'tpQueueHere' 'tpQueueFromThread' 'tpQueueResult'
  'Left ( tpIdleCount ; 1 ) > 0'
  'tpVersion'
  'tpEcho ( tpEcho ( "nested" ) & "!" )'
)
args=()
for step in "${steps[@]}"; do args+=(-e "$step"); done

JAVA_TOOL_OPTIONS="$JAVA_TOOL_OPTIONS -Xcheck:jni" \
  "$BUILD/fmhost" --plugin "$TEST_PLUGIN" --functions --check-leaks "${args[@]}" >"$work/out" 2>"$work/err" </dev/null \
  || fail "exit $?: $(cat "$work/err")"
grep -qF 'returned 51 (enabled)' "$work/err" || fail "the test plug-in did not start: $(cat "$work/err")"
if grep -E 'WARNING in native method|^WARNING: JNI|FATAL ERROR in native method' "$work/err"; then
  fail "-Xcheck:jni warned"
fi
if grep -q 'left alive' "$work/err"; then fail "leaks: $(grep 'left alive' "$work/err")"; fi

# Registration: name, id, minimum, maximum, flags, signature.
functions=$(grep -P '^\w+\t-?\d+\t' "$work/out")
for line in $'tpEcho\t-20161\t1\t1\t0x0000FF00\ttpEcho( text )' \
            $'tpNull\t21981\t0\t0\t0x0000FF00\ttpNull' \
            $'tpPrimitive\t-22069\t1\t2\t0x0000FF00\ttpPrimitive( text {; count} )' \
            $'tpSquare\t31047\t0\t1\t0x0000FF00\ttpSquare( [ optional ] )' \
            $'tpJoin\t15930\t1\t-1\t0x0000FF00\ttpJoin( first {; more...} )' \
            $'tpBadPrototype\t-1849\t1\t1\t0x0000FF00\ttpBadPrototype( String )'; do
  grep -qxF "$line" <<<"$functions" || fail "not registered as expected: $line
$functions"
done
# Two names, one id: the one registered later takes it, with a warning.
[ "$(grep -cP '^tp(Aa|BB)\t26556\t' <<<"$functions")" = 1 ] || fail "the colliding names: $functions"
grep -qF 'has already been registered with the function ID for' "$log" || fail "no warning for the shared id"
# Not functions, or refused: a List parameter (warned), minimum -1 (the host refuses it).
for name in tpList tpStatic tpNotAFunction invokeFunction tpDropped tpAnyCount; do
  if grep -qP "^$name\t" <<<"$functions"; then fail "$name was registered"; fi
done
grep -qF "WARNING: Can't do conversions for at least one plugin function" "$log" || fail "no conversion warning"
grep -qF "WARNING: Exception when scanning functions" "$log" || fail "no warning for the failing prototype method"
grep -qF ") The host refused function " "$log" || fail "the refused registration is not logged"

results=$(grep -vP '^\w+\t-?\d+\t' "$work/out")
expected=$(cat <<'OUT'
hello
ERROR
No driver
No driver
ERROR
java.lang.IllegalStateException: closed
ERROR
inner
1
1

1
a|null
a|2:b,c
x:0
x:null
x:7
null
error -1: The function tpAtomic failed with error -1 (at 0)
0
main daemon=false
main
1
op,after
queued
op ran on main; before the call: true; queuer returned after it: true
1
0.9
nested!
OUT
)
[ "$results" = "$expected" ] || fail "results differ:
$(diff <(echo "$expected") <(echo "$results"))"
echo "framework: ok"
