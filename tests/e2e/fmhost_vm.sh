#!/usr/bin/env bash
# The shipped plug-in inside fmhost with a real Java VM, as the registry
# describes it: init starts the VM with its option list, the bridge starts
# the plug-in and registers its functions, a call runs, shutdown follows, and
# -Xcheck:jni finds nothing; a registry naming a missing runtime gives -2,
# the errors in the log and exactly one message for the user.
source "$(dirname "$0")/common.bash"
plugin="$BUILD/JDBC.fmx"
java_home=$(readlink -f /usr/lib/jvm/default-java)
plugin_env
log="$work/docs/VntPlugin Logs/Vantorel JDBC Plugin_FMPro.log"

# A working runtime, under -Xcheck:jni.
write_registry "$java_home/lib/server/libjvm.so"
JAVA_TOOL_OPTIONS="$JAVA_TOOL_OPTIONS -Xcheck:jni" \
  "$BUILD/fmhost" --plugin "$plugin" --check-leaks -e '1 + 1' -e 'jdbcVersion' >"$work/out" 2>"$work/err" \
  || fail "fmhost exited $?: $(cat "$work/err")"
[ "$(cat "$work/out")" = "$(printf '2\n1.7')" ] || fail "step results: $(cat "$work/out")"
grep -q 'returned 51 (enabled)' "$work/err" || fail "init result: $(cat "$work/err")"
# Only the checker's own warnings count: the runtime warns about other things
# (Java 17 about installing a security manager; and as the process exits, its
# periodic signal check may report handlers "modified" while the VM's own
# record of them is being torn down: nothing here ever changes a handler).
if grep -E 'WARNING in native method|^WARNING: JNI|FATAL ERROR in native method' "$work/err"; then
  fail "-Xcheck:jni warned"
fi
for line in "Found JVM dll at $java_home/lib/server/libjvm.so" "No existing JVM found; creating one." \
            ") 0: -Xms4m" ") 1: -Xmx64m" ") 5: --enable-native-access=ALL-UNNAMED" \
            "JVM started successfully - jvm references is " \
            "CONFIG: Loading Plugin class named com.tessal.fmplugin.JDBCPlugin" \
            "CONFIG: Created new plugin instance: com.tessal.fmplugin.JDBCPlugin named Vantorel JDBC Plugin; version: 1.7" \
            "CONFIG: Return VERSION_CURRENT: 51" \
            "*** SHUTDOWN Vantorel JDBC Plugin_FMPro ***" "INFO: Shutting down - Active threads: " "Shutdown complete"; do
  grep -qF -- "$line" "$log" || fail "log lacks: $line"
done
[ "$(grep -c 'CONFIG: Loading dynamic library at ' "$log")" = 1 ] || fail "the bridge was made more than once"

# A runtime that is not there.
rm -rf "$work/docs/"*
write_registry "$work/missing/libjvm.so"
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
