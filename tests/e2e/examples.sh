#!/usr/bin/env bash
# The example tour in examples/ still runs as the README shows it.
source "$(dirname "$0")/common.bash"
examples="$(dirname "$0")/../../examples"
"$BUILD/fmhost" --no-plugin --solution "$examples/invoices.json" "$examples/tour.fmscript" >"$work/out" 2>"$work/err" \
  || fail "exit $?: $(cat "$work/err")"
diff -u - "$work/out" <<'EXPECTED' || fail "the tour's output differs"
Invoices: 3 invoices
Ada Lovelace owes 1254.5 since 2/29/2008
3/30/2008
209.08
EDSGER
1003 Edsger Dijkstra 310 (last)
Total of the first two: 1354.45
error 102: The field "Paid" is missing (at 0)
EXPECTED
echo "examples: ok"
