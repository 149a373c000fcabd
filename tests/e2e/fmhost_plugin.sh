#!/usr/bin/env bash
# fmhost with the shipped plug-in: it starts the way the host starts it
# (strings, then init answers 51), registers jdbcVersion and jdbcLastError
# with their ids, both calls work and --check-leaks finds nothing alive. A
# plug-in that does not answer 51 ends fmhost with exit 1, unless
# --keep-going runs the steps anyway.
source "$(dirname "$0")/common.bash"
plugin_env

"$BUILD/fmhost" --functions --check-leaks -e jdbcVersion -e jdbcLastError -e 'jdbcVersion & "!"' \
  >"$work/out" 2>"$work/err" </dev/null || fail "exit $?: $(cat "$work/err")"
grep -qxF 'fmhost: plug-in Vantorel JDBC Plugin: Connect directly to remote databases using JDBC calls (1.7); options VJDB1YnYnnn' \
  "$work/err" || fail "string requests not reported: $(cat "$work/err")"
grep -qxF 'fmhost: init (FMPro, API version 51) returned 51 (enabled)' "$work/err" \
  || fail "the plug-in did not start: $(cat "$work/err")"
expected_functions=$(printf 'jdbcLastError\t5207\t0\t0\t0x0000FF00\tjdbcLastError\njdbcVersion\t-16035\t0\t0\t0x0000FF00\tjdbcVersion')
[ "$(head -n 2 "$work/out" | sort)" = "$expected_functions" ] || fail "functions: $(cat "$work/out")"
[ "$(tail -n +3 "$work/out")" = "$(printf '1.7\n\n1.7!')" ] || fail "results: $(cat "$work/out")"
if grep -q 'left alive' "$work/err"; then fail "leaks: $(grep 'left alive' "$work/err")"; fi

# An API version the bridge refuses: init answers -1.
rc=0
"$BUILD/fmhost" --api-version 3 -e '6 * 7' >"$work/out" 2>"$work/err" </dev/null || rc=$?
[ "$rc" = 1 ] || fail "API version 3: exit $rc"
grep -qF 'returned -1 (bad version)' "$work/err" || fail "API version 3: $(cat "$work/err")"
grep -qF -- '--keep-going runs the steps anyway' "$work/err" || fail "no hint at --keep-going"
"$BUILD/fmhost" --api-version 3 --keep-going -e '6 * 7' >"$work/out" 2>"$work/err" </dev/null \
  || fail "--keep-going: exit $?: $(cat "$work/err")"
[ "$(cat "$work/out")" = 42 ] || fail "the step did not run: $(cat "$work/out")"
echo "fmhost_plugin: ok"
