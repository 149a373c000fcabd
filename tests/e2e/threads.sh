#!/usr/bin/env bash
# fmhost --threads: several host threads call the plug-in at once, each with
# its own current record and variables. Every call runs in its own context
# (tpOwnContext), sees its own thread's record, and its host objects are
# released with it: every result right, nothing left alive, no crash.
source "$(dirname "$0")/common.bash"
plugin_env
threads=8 rounds=40

script="$work/steps.fmscript"
for ((i = 1; i <= rounds; i++)); do
  cat >>"$script" <<'STEPS'
Set Variable [ $n ; Value: $n + 1 ]
tpEcho ( Customer & "#" & $n )
tpOwnContext
tpJoin ( ID ; $n ; tpEcho ( Amount ) )
STEPS
done

"$BUILD/fmhost" --plugin "$TEST_PLUGIN" --solution "$SOURCE/examples/invoices.json" --threads "$threads" --check-leaks \
  "$script" >"$work/out" 2>"$work/err" </dev/null || fail "exit $?: $(cat "$work/err")"
grep -qF 'returned 51 (enabled)' "$work/err" || fail "the test plug-in did not start: $(cat "$work/err")"
if grep -q 'left alive' "$work/err"; then fail "leaks: $(grep 'left alive' "$work/err")"; fi

customers=("Ada Lovelace" "Grace Hopper" "Edsger Dijkstra")
ids=(1001 1002 1003)
amounts=(1254.5 99.95 310)
expected="$work/expected"
for ((k = 1; k <= threads; k++)); do
  r=$(((k - 1) % 3))
  for ((i = 1; i <= rounds; i++)); do
    printf '[%d] %s#%d\n[%d] 1\n[%d] %s|2:%d,%s\n' "$k" "${customers[$r]}" "$i" "$k" "$k" "${ids[$r]}" "$i" \
      "${amounts[$r]}"
  done
done >"$expected"
diff "$expected" "$work/out" >"$work/diff" || fail "results differ (expected, got): $(head -20 "$work/diff")"
echo "threads: ok"
