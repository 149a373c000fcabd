#!/usr/bin/env bash
# A shorter long run (bench/long_run): 20,000 plug-in function calls and
# 500 queries on SQLite in one process, every result checked and no host
# object alive after any call; resident memory may not grow more than
# 128 MB after the warm-up (the VM's heap alone is capped at 64 MB, so only
# a leak gets there).
source "$(dirname "$0")/common.bash"
plugin_env
timeout 600 "$BUILD/bench/long_run" "$BUILD/JDBC.fmx" "$work/long.sqlite" 20000 500 128 \
  >"$work/out" 2>"$work/err" </dev/null || fail "exit $? (124: hung): $(grep -v '^WARNING' "$work/err" | tail -20)"
grep -q '^calls  *20000 ' "$work/out" && grep -q '^queries  *500 ' "$work/out" || fail "$(cat "$work/out")"
cat "$work/out"
echo "long_run: ok"
