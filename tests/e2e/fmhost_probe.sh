#!/usr/bin/env bash
# fmhost with a probe plug-in (tests/fixtures/fmhost/probe_plugin.cpp): the
# host's messages in order, registered functions listed and called with
# their arguments, argument limits and error codes, FM_ExprEnv_Evaluate on
# the host's engine in the call's environment and in one the current-
# environment call-back filled, scripts a plug-in starts (run at the next
# idle with their parameter; halt ends a running script file), preferences,
# shutdown, a failing init, --check-leaks, and numbers the plug-in builds
# with FixPt arithmetic arriving with every digit.
source "$(dirname "$0")/common.bash"

probe=$PROBE_PLUGIN
fmhost() { "$BUILD/fmhost" --plugin "$probe" --solution "$FIXTURES/fmhost/demo.json" "$@"; }

# The functions it registered, as --functions lists them.
fmhost --functions >"$work/functions" 2>"$work/err" || fail "--functions: exit $?: $(cat "$work/err")"
cut -f 1-5 "$work/functions" | tr '\t' ' ' >"$work/listed"
diff -u - "$work/listed" <<'EXPECTED' || fail "--functions"
Probe_Echo 1 1 3 0x00000700
Probe_Types 2 0 -1 0x00000700
Probe_Fail 3 1 1 0x00000700
Probe_Eval 4 1 1 0x00000700
Probe_EnvEval 5 1 1 0x00000700
Probe_Trigger 6 2 4 0x00000700
Probe_Leak 7 0 0 0x00000700
Probe_Idles 8 0 0 0x00000700
Probe_Number 9 1 1 0x00000700
EXPECTED
grep -qxF $'Probe_Echo\t1\t1\t3\t0x00000700\tProbe_Echo ( x {; y ; z } )' "$work/functions" || fail "signature"
fmhost --functions --json 2>/dev/null | head -n 1 | grep -qxF \
  '{"name":"Probe_Echo","id":1,"min":1,"max":3,"flags":1792,"signature":"Probe_Echo ( x {; y ; z } )","plugin":"PRBE"}' \
  || fail "--functions --json"
# The host's messages: strings, init, and shutdown at the end.
grep -qxF 'fmhost: plug-in Probe: Probe plug-in (1.0); options PRBE1nnYnnn' "$work/err" || fail "strings: $(cat "$work/err")"
grep -qxF 'fmhost: init (FMPro, API version 51) returned 51 (enabled)' "$work/err" || fail "init: $(cat "$work/err")"
[ "$(tail -n 1 "$work/err")" = "probe: shutdown" ] || fail "no shutdown at the end: $(cat "$work/err")"

# Calls, limits, errors, evaluation and scripts, one JSON line per step.
fmhost --json --check-leaks >"$work/out" 2>"$work/err" <<'STEPS' || fail "steps: exit $?: $(cat "$work/err")"
Probe_Idles ( )
Probe_Idles ( )
Probe_Echo ( 1 ; "a" ; Issued )
Probe_Types ( 1 ; "a" ; Issued ; Due ; Start ; Scan )
Probe_Echo ( )
Probe_Echo ( 1 ; 2 ; 3 ; 4 )
Probe_Fail ( 509 )
Go to Record [ 2 ]
Probe_Eval ( "Get ( RecordNumber ) & Customer" )
Probe_EnvEval ( "Get ( RecordNumber ) & Customer" )
Probe_Eval ( "1 +" )
Probe_Trigger ( "Demo" ; "Export" ; Customer & "!" )
$$done
Probe_Trigger ( "Demo.fmp12" ; "describe" ; 7 ; 2 ) & Probe_Trigger ( "Nope" ; "Export" ) & Probe_Trigger ( "Demo" ; "Nope" )
Get ( ApplicationVersion )
STEPS
# Without the step texts and messages (JSON strings with escapes).
string='"\([^"\\]\|\\.\)*"'
sed "s/\"step\":$string,//; s/,\"message\":$string//" "$work/out" >"$work/answers"
diff -u - "$work/answers" <<'EXPECTED' || fail "answers differ: $(cat "$work/out")"
{"error":0,"type":"number","text":"1"}
{"error":0,"type":"number","text":"2"}
{"error":0,"type":"text","text":"1|a|2/29/2008"}
{"error":0,"type":"text","text":"2 1 3 5 4 6"}
{"error":1201,"type":"empty","text":"","position":13}
{"error":1202,"type":"empty","text":"","position":25}
{"error":509,"type":"empty","text":"","position":0}
{"error":0,"type":"empty","text":""}
{"error":0,"type":"text","text":"2Grace"}
{"error":0,"type":"text","text":"2Grace"}
{"error":1203,"type":"empty","text":"","position":0}
{"error":0,"type":"number","text":"0"}
{"error":0,"type":"empty","text":"","script":"Export"}
{"error":0,"type":"text","text":"Grace!"}
{"error":0,"type":"text","text":"0100104"}
{"error":0,"type":"text","text":"Describe: 7","script":"Describe"}
{"error":0,"type":"empty","text":"","script":"Describe"}
{"error":0,"type":"text","text":"inner","script":"Describe"}
{"error":0,"type":"text","text":"Pro 19.0.1"}
EXPECTED

# A database's BIGINT and DECIMAL(30,10) as a plug-in writes them through
# FixPt: every digit arrives, and arithmetic on them is exact.
fmhost --json >"$work/out" 2>"$work/err" <<'STEPS' || fail "numbers: exit $?: $(cat "$work/err")"
Probe_Number ( "9223372036854775807" )
Probe_Number ( "-9223372036854775808" ) - 1
Probe_Number ( "12345678901234567890.1234567890" )
Probe_Number ( "-0.0000000001" ) * 3
Probe_Number ( "99999999999999999999.9999999999" ) + Probe_Number ( "0.0000000001" )
Probe_Number ( "9223372036854775807" ) = 9223372036854775807 and Probe_Number ( "9223372036854775807" ) > 9223372036854775806
STEPS
sed 's/.*"type":"\([a-z]*\)","text":"\(.*\)"}$/\1 \2/' "$work/out" >"$work/numbers"
diff -u - "$work/numbers" <<'EXPECTED' || fail "numbers differ: $(cat "$work/out")"
number 9223372036854775807
number -9223372036854775809
number 12345678901234567890.123456789
number -0.0000000003
number 100000000000000000000
number 1
EXPECTED

# halt ends a running script file once the started script has run; resume
# lets it go on; lines from standard input are no running script.
printf '%s\n' 'Probe_Trigger ( "Demo" ; "Export" ; "h" ; 0 )' '"not reached"' >"$work/halt.fmscript"
out=$(fmhost "$work/halt.fmscript" 2>"$work/err")
[ "$out" = 0 ] || fail "halt: $out"
grep -q 'started with halt: the running script ends' "$work/err" || fail "halt not reported: $(cat "$work/err")"
[ "$(tail -n 1 "$work/err")" = "probe: shutdown" ] || fail "no shutdown after halt"
sed -i 's/; 0 )/; 2 )/' "$work/halt.fmscript"
[ "$(fmhost "$work/halt.fmscript" 2>/dev/null)" = $'0\nnot reached' ] || fail "resume"
out=$(printf '%s\n' 'Probe_Trigger ( "Demo" ; "Export" ; "h" ; 0 )' '"still here"' | fmhost - 2>/dev/null)
[ "$out" = $'0\nstill here' ] || fail "standard input halted: $out"

# Preferences from the option and as a step.
fmhost --prefs -e 'Plug-in Preferences' 2>"$work/err" >/dev/null
[ "$(grep -c '^probe: preferences$' "$work/err")" = 2 ] || fail "preferences: $(cat "$work/err")"

# Application types and a refused init: no steps, no shutdown, exit 1.
[ "$(fmhost --app-type Server -e 'Get ( ApplicationVersion )' 2>"$work/err")" = "Server 19.0.1" ] || fail "Server"
grep -qF 'init (Server, API version 51)' "$work/err" || fail "app type name: $(cat "$work/err")"
fmhost --app-type 9 -e 1 2>&1 >/dev/null | grep -qF 'init (Unknown, API version 51)' || fail "app type 9"
rc=0
fmhost --api-version 50 -e '"ran"' >"$work/out" 2>"$work/err" || rc=$?
[ "$rc" = 1 ] && [ ! -s "$work/out" ] || fail "bad version: exit $rc, $(cat "$work/out")"
grep -qF 'returned -1 (bad version)' "$work/err" || fail "bad version not reported: $(cat "$work/err")"
! grep -q 'probe: shutdown' "$work/err" || fail "shutdown after a refused init"
[ "$(fmhost --api-version 50 --keep-going -e '"ran"' 2>/dev/null)" = ran ] || fail "--keep-going"

# A host object the plug-in never deletes is reported and sets exit 3.
rc=0
fmhost --check-leaks -e 'Probe_Leak ( )' -e '1' >"$work/out" 2>"$work/err" || rc=$?
[ "$rc" = 3 ] || fail "leak: exit $rc"
[ "$(cat "$work/out")" = $'leaked\n1' ] || fail "leak: the steps did not all run"
grep -q 'host objects left alive after step "Probe_Leak ( )": Text@' "$work/err" || fail "leak report: $(cat "$work/err")"
echo "fmhost_probe: ok"
