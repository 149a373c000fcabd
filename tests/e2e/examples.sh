#!/usr/bin/env bash
# The examples in examples/ still run as the README shows them: the fmhost
# tour, and the JDBC demo.
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

# The JDBC demo that ./run demo runs, against SQLite in the work folder.
plugin_env
"$BUILD/fmhost" --check-leaks --solution "$examples/invoices.json" \
  -e "Set Variable [ \$\$url ; Value: \"jdbc:sqlite:$work/demo.sqlite\" ]" "$examples/jdbc.fmscript" \
  >"$work/out" 2>"$work/err" || fail "demo: exit $?: $(cat "$work/err")"
diff -u - "$work/out" <<'EXPECTED' || fail "the demo's output differs"
Driver loaded from Debian's jar: 1
Database opened: 1
Old table dropped: 0
Table created: 0
Inserted Ada Lovelace: 1 row, new id 1
Inserted Grace Hopper: 1 row, new id 2
Inserted Edsger Dijkstra: 1 row, new id 3
Updated: 1 row
Query run: 1
Rows:
1 | Ada Lovelace | 1254.5 | 2/29/2008 | scan.png
2 | Grace Hopper | 199.9 | 1/2/2009 | 
3 | Edsger Dijkstra | 310 | 7/20/2009 | 
Tables: sqlite_schema, sqlite_sequence, invoices
Columns of invoices: id, customer, amount, issued, scan
A statement with a typo: ERROR
Why: [SQLITE_ERROR] SQL error or missing database (near "SELEC": syntax error)
Closed: (nothing to say)
EXPECTED
echo "examples: ok"
