#!/usr/bin/env bash
# fmhost with the shipped plug-in: it starts the way the host starts it
# (strings, then init answers 51), registers its functions with their ids,
# prototypes and argument counts, calls work and --check-leaks finds nothing
# alive. A
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
# Name, id, fewest and most arguments, flags, the signature the host shows.
cat >"$work/functions" <<'FUNCTIONS'
jdbcCloseDatabase	18520	1	1	0x0000FF00	jdbcCloseDatabase( jdbcURL )
jdbcFieldNames	-9161	1	1	0x0000FF00	jdbcFieldNames( table )
jdbcGeneratedKey	-21739	1	1	0x0000FF00	jdbcGeneratedKey( columnName )
jdbcGetContainerValue	19627	2	2	0x0000FF00	jdbcGetContainerValue( key ; filename )
jdbcGetNumberValue	8627	1	1	0x0000FF00	jdbcGetNumberValue( key )
jdbcGetTimestampValue	1334	1	1	0x0000FF00	jdbcGetTimestampValue( key )
jdbcGetValue	-9174	1	1	0x0000FF00	jdbcGetValue( key )
jdbcLastError	5207	0	0	0x0000FF00	jdbcLastError
jdbcLoadDriver	10743	1	2	0x0000FF00	jdbcLoadDriver( jdbcDriverClass {; location} )
jdbcNextRow	28052	0	0	0x0000FF00	jdbcNextRow
jdbcOpenDatabase	6272	1	4	0x0000FF00	jdbcOpenDatabase( jdbcURL { ; username ; password ; autoCommit} )
jdbcPerformQuery	-7298	1	1	0x0000FF00	jdbcPerformQuery( sql )
jdbcTableNames	11637	0	0	0x0000FF00	jdbcTableNames
jdbcVersion	-16035	0	0	0x0000FF00	jdbcVersion
jdbcXmlImportUrl	9266	0	0	0x0000FF00	jdbcXmlImportUrl
FUNCTIONS
count=$(wc -l <"$work/functions")
diff "$work/functions" <(head -n "$count" "$work/out" | sort) >"$work/diff" || fail "functions differ: $(cat "$work/diff")"
[ "$(tail -n +$((count + 1)) "$work/out")" = "$(printf '1.7\n\n1.7!')" ] || fail "results: $(cat "$work/out")"
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
