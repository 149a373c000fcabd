#!/usr/bin/env bash
# The plug-in inside fmhost with a real Java VM (fixture bridge): init starts
# the VM with its option list and reaches the bridge, idle and shutdown
# follow, -Xcheck:jni stays quiet; a registry naming a missing runtime gives
# -2, the errors in the log and exactly one message for the user.
source "$(dirname "$0")/common.bash"
plugin="$BUILD/tests/fixture/JDBC.fmx"
java_home=$(readlink -f /usr/lib/jvm/default-java)
mkdir -m 700 "$work/temp" "$work/docs" "$work/appdata"
export TEMP="$work/temp" VNT_FIXTURE_RECORD="$work/record" JAVA_TOOL_OPTIONS="-Djava.util.prefs.userRoot=$work/prefs"
unset VNT_DEBUG_OUTPUT JAVA_HOME

registry() { # runtime library path
  cat > "$work/registry.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]
"CurrentVersion"="17"

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\17]
"JavaHome"="$java_home"
"RuntimeLib"="$1"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Common AppData"="$work/appdata"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Personal"="$work/docs"
REG
  export VNT_REGISTRY="$work/registry.reg"
}
log="$work/docs/VntPlugin Logs/Vantorel JDBC Plugin_FMPro.log"

# A working runtime, under -Xcheck:jni.
registry "$java_home/lib/server/libjvm.so"
JAVA_TOOL_OPTIONS="$JAVA_TOOL_OPTIONS -Xcheck:jni" \
  "$BUILD/fmhost" --plugin "$plugin" --check-leaks -e '1 + 1' >"$work/out" 2>"$work/err" \
  || fail "fmhost exited $?: $(cat "$work/err")"
[ "$(cat "$work/out")" = 2 ] || fail "step result: $(cat "$work/out")"
grep -q 'returned 51 (enabled)' "$work/err" || fail "init result: $(cat "$work/err")"
if grep -i 'warning' "$work/err" | grep -v 'Picked up'; then fail "-Xcheck:jni warned"; fi
for line in "Found JVM dll at $java_home/lib/server/libjvm.so" "No existing JVM found; creating one." \
            ") 0: -Xms4m" ") 1: -Xmx64m" "JVM started successfully - jvm references is " \
            "*** SHUTDOWN Vantorel JDBC Plugin_FMPro ***" "Shutdown complete"; do
  grep -qF -- "$line" "$log" || fail "log lacks: $line"
done
grep -q "^fmxInit	api=51	versionString=null	instance=[1-9][0-9]*	unsafe=false	start=[1-9][0-9]*	env=[1-9][0-9]*	" "$work/record" \
  || fail "fmxInit received: $(cat "$work/record")"
grep -q "^fmxIdle	state=0	unsafe=false	" "$work/record" || fail "no idle reached the bridge"
grep -q "^fmxShutdown	" "$work/record" || fail "no shutdown reached the bridge"
[ "$(grep -c '^sharedInstance	' "$work/record")" = 1 ] || fail "the bridge was made more than once"

# Server: idle never reaches the bridge.
rm -f "$work/record"
"$BUILD/fmhost" --plugin "$plugin" --app-type Server -e '1' >/dev/null 2>"$work/err" || fail "Server: $(cat "$work/err")"
grep -q '^fmxInit	' "$work/record" || fail "Server: no init"
if grep -q '^fmxIdle' "$work/record"; then fail "Server: idle reached the bridge"; fi

# A runtime that is not there.
rm -rf "$work/docs/"*
registry "$work/missing/libjvm.so"
rc=0
"$BUILD/fmhost" --plugin "$plugin" -e '1' >"$work/out" 2>"$work/err" || rc=$?
[ "$rc" = 1 ] || fail "missing runtime: exit $rc"
grep -q 'returned -2' "$work/err" || fail "missing runtime: init result: $(cat "$work/err")"
[ "$(grep -c '^\[message box\]' "$work/err")" = 1 ] || fail "not exactly one message box: $(cat "$work/err")"
grep -q '^\[message box\] .*(error 1)$' "$work/err" || fail "the message is not error 1"
grep -qF "(error 8)" "$log" || fail "the log lacks the discovery error"
grep -qF "jvmError: " "$log" || fail "the log lacks jvmError"
grep -qF "Returning kDoNotEnable(-2) and detaching JVM" "$log" || fail "the log lacks the -2 line"
echo "fmhost_vm: ok"
