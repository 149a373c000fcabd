#!/usr/bin/env bash
# fmhost with the built plug-in: it is started the way the host starts it
# (strings, init), the init result is reported, a result other than 51 is
# exit 1 unless --keep-going, --functions lists well-formed entries (none
# while the plug-in registers none), steps still run with --keep-going, and
# --check-leaks finds nothing the plug-in left alive.
source "$(dirname "$0")/common.bash"
plugin_env

rc=0
"$BUILD/fmhost" --functions >"$work/out" 2>"$work/err" </dev/null || rc=$?
grep -qxF 'fmhost: plug-in Vantorel JDBC Plugin: Connect directly to remote databases using JDBC calls (1.7); options VJDB1YnYnnn' \
  "$work/err" || fail "string requests not reported: $(cat "$work/err")"
init=$(grep '^fmhost: init (FMPro, API version 51)' "$work/err") || fail "init not reported: $(cat "$work/err")"
if [[ $init == *"returned 51 (enabled)" ]]; then
  [ "$rc" = 0 ] || fail "init answered 51 but fmhost exited $rc"
else
  [ "$rc" = 1 ] || fail "init did not answer 51 ($init) but fmhost exited $rc"
  grep -qF -- '--keep-going runs the steps anyway' "$work/err" || fail "no hint at --keep-going"
fi

"$BUILD/fmhost" --keep-going --functions --check-leaks -e '6 * 7' >"$work/out" 2>"$work/err" </dev/null \
  || fail "--keep-going: exit $?: $(cat "$work/err")"
[ "$(tail -n 1 "$work/out")" = 42 ] || fail "the step did not run: $(cat "$work/out")"
# Every listed function: name, id, min, max, flags and signature.
head -n -1 "$work/out" | while IFS= read -r line; do
  [[ $line =~ ^[A-Za-z_][A-Za-z0-9_]*$'\t'-?[0-9]+$'\t'[0-9]+$'\t'-?[0-9]+$'\t'0x[0-9A-F]{8}$'\t'.+$ ]] \
    || fail "malformed --functions line: $line"
done
echo "fmhost_plugin: ok"
