#!/usr/bin/env bash
# A loaded concurrent host: fmhost --threads 8, each host thread on its own
# record (ID k), running the same mixed steps many times, three rounds each:
#  - the JDBC plug-in against SQLite and PostgreSQL: plain calls, inserts
#    whose merge fields the plug-in evaluates in the host (the calling
#    thread's record), updates whose row count reads back the thread's own
#    rows, and a query read in the same calculation. The session is one for
#    all threads, so a read may see another thread's query (it must then be
#    a well-formed row of that thread) or no cursor at all (another thread's
#    insert closed it); everything else is exact. After each round a single
#    thread checks the totals of every thread's rows.
#  - the test plug-in: calculations the plug-in evaluates in the host (some
#    calling the plug-in again, which evaluates calculations of its own),
#    scripts it triggers (each adds its parameter to a global and evaluates
#    it through the plug-in), field values and contexts.
# Every result right, no host object left alive, and a hang fails at the
# guard instead of blocking the suite.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/postgres.bash"
plugin_env
threads=8 rounds=3 iterations=25
guard=600

amounts=(1.25 2.5 3.75 5 6.25 7.5 8.75 10)
records=
for ((k = 1; k <= threads; k++)); do
  records+="${records:+,}
        { \"ID\": $k, \"Name\": \"Zoë O'Brien #$k\", \"Amount\": ${amounts[k - 1]} }"
done
cat >"$work/load.json" <<JSON
{ "file": "Load", "layout": "Load",
  "tables": { "Load": {
      "fields": { "ID": "number", "Name": "text", "Amount": "number" },
      "records": [$records ] } },
  "scripts": { "Count": [
      "Set Variable [ \$\$count ; Value: \$\$count + Get ( ScriptParameter ) ]",
      "tpEvaluate ( \"\$\$count\" )" ] } }
JSON

# Lines "[k] value" for each value.
thread_lines() { # k value...
  local k=$1 value
  shift
  for value in "$@"; do printf '[%d] %s\n' "$k" "$value"; done
}

# Runs fmhost on all threads; its results in $work/out.
run_threads() { # plug-in steps-file
  timeout "$guard" "$BUILD/fmhost" --plugin "$1" --solution "$work/load.json" --threads "$threads" --check-leaks \
    "$2" >"$work/out" 2>"$work/err" </dev/null || fail "exit $? (124: hung): $(tail -20 "$work/err")"
  if grep -q 'left alive' "$work/err"; then fail "leaks: $(grep 'left alive' "$work/err")"; fi
}

# ---- the JDBC plug-in --------------------------------------------------------

jdbc_rounds() { # name driver jar url
  local load="jdbcLoadDriver ( \"$2\" ; \"file:$3\" )" open="jdbcOpenDatabase ( \"$4\" )"
  "$BUILD/fmhost" -e "$load" -e "$open" -e 'jdbcPerformQuery ( "CREATE TABLE load_rows (run TEXT, thread INTEGER, iter INTEGER, name TEXT, amount NUMERIC, hits INTEGER DEFAULT 0)" )' \
    >"$work/out" 2>"$work/err" </dev/null || fail "$1: cannot create the table: $(cat "$work/err")"
  [ "$(cat "$work/out")" = $'1\n1\n0' ] || fail "$1: cannot create the table: $(cat "$work/out" "$work/err")"
  local round run i k
  for ((round = 1; round <= rounds; round++)); do
    run="r$round"
    {
      printf '%s\n' "$load" "$open"
      for ((i = 1; i <= iterations; i++)); do
        cat <<STEPS
Set Variable [ \$i ; Value: \$i + 1 ]
jdbcVersion
jdbcPerformQuery ( "INSERT INTO load_rows (run, thread, iter, name, amount) VALUES ('$run', <<Load::ID>>, " & \$i & ", <<Load::Name>>, <<Load::Amount>>)" )
jdbcPerformQuery ( "UPDATE load_rows SET hits = hits + 1 WHERE run = '$run' AND thread = <<Load::ID>>" ) = \$i
Let ( [ q = jdbcPerformQuery ( "SELECT thread || ':' || iter || ':' || name AS tag FROM load_rows WHERE run = '$run' AND thread = <<Load::ID>> AND iter = " & \$i ) ; v = jdbcGetValue ( "tag" ) ; e = jdbcLastError ; p = Substitute ( v ; ":" ; ¶ ) ; t = GetAsNumber ( GetValue ( p ; 1 ) ) ; n = GetAsNumber ( GetValue ( p ; 2 ) ) ] ; q & " " & Case ( v = "ERROR" and ( IsEmpty ( e ) or PatternCount ( e ; "You must call jdbcPerformQuery before calling jdbcGetValue" ) ) ; "read" ; v = "ERROR" ; "failed: " & e ; t ≥ 1 and t ≤ $threads and n ≥ 1 and n ≤ $iterations and GetValue ( p ; 3 ) = "Zoë O'Brien #" & t ; "read" ; "corrupt: " & v ) )
jdbcFieldNames ( "load_rows" )
STEPS
      done
    } >"$work/steps"
    run_threads "$BUILD/JDBC.fmx" "$work/steps"
    for ((k = 1; k <= threads; k++)); do
      thread_lines "$k" 1 1
      for ((i = 1; i <= iterations; i++)); do
        thread_lines "$k" 1.7 1 1 "1 read" run thread iter name amount hits
      done
    done >"$work/expected"
    diff "$work/expected" "$work/out" >"$work/diff" || fail "$1 round $round (expected, got): $(head -20 "$work/diff")"

    # The totals, thread by thread, from a single thread.
    {
      printf '%s\n' "$load" "$open"
      for ((k = 1; k <= threads; k++)); do
        echo "Go to Record [ $k ]"
        echo "Let ( [ q = jdbcPerformQuery ( \"SELECT COUNT(*) AS n, SUM(iter) AS s, MIN(name) AS lo, MAX(name) AS hi, SUM(amount) AS a, SUM(hits) AS h FROM load_rows WHERE run = '$run' AND thread = \" & ID ) ; n = jdbcGetValue ( \"n\" ) ; s = jdbcGetValue ( \"s\" ) ; lo = jdbcGetValue ( \"lo\" ) ; hi = jdbcGetValue ( \"hi\" ) ; a = jdbcGetValue ( \"a\" ) ; h = jdbcGetValue ( \"h\" ) ; all = $iterations * ( $iterations + 1 ) / 2 ] ; ID & \": \" & If ( n = $iterations and s = all and lo = Name and hi = Name and a = $iterations * Amount and h = all ; \"ok\" ; List ( n ; s ; lo ; hi ; a ; h ) ) )"
      done
      echo "jdbcPerformQuery ( \"SELECT COUNT(*) FROM load_rows WHERE run = '$run'\" ) & \" \" & jdbcGetValue ( 1 )"
    } >"$work/totals"
    "$BUILD/fmhost" --solution "$work/load.json" --check-leaks "$work/totals" >"$work/out" 2>"$work/err" </dev/null \
      || fail "$1 round $round totals: exit $?: $(tail -20 "$work/err")"
    {
      printf '1\n1\n'
      for ((k = 1; k <= threads; k++)); do echo "$k: ok"; done
      echo "1 $((threads * iterations))"
    } >"$work/expected"
    diff "$work/expected" "$work/out" >"$work/diff" || fail "$1 round $round totals (expected, got): $(cat "$work/diff")"
  done
  echo "$1: $rounds rounds of $threads threads x $iterations iterations: ok"
}

jdbc_rounds SQLite org.sqlite.JDBC /usr/share/java/sqlite-jdbc.jar "jdbc:sqlite:$work/load.sqlite"
start_postgres
jdbc_rounds PostgreSQL org.postgresql.Driver /usr/share/java/postgresql.jar "$pg_url"
stop_postgres

# ---- the test plug-in: host calculations and script triggers -----------------------

{
  for ((i = 1; i <= iterations * 4; i++)); do
    cat <<'STEPS'
Set Variable [ $i ; Value: $i + 1 ]
tpEcho ( Name & "#" & $i )
tpEvaluate ( "ID * 1000 + " & $i )
tpEvaluate ( "tpEcho ( Name ) & \"/\" & $i" )
tpEvaluate ( "tpEvaluate ( \"Name\" ) & \"/\" & tpEvaluate ( \"ID * 1000 + " & $i & "\" )" )
tpTrigger ( "Load" ; "Count" ; $i )
$$count
tpFieldValue ( "Load" ; "Load::Amount" )
tpOwnContext
STEPS
  done
} >"$work/steps"
for ((round = 1; round <= rounds; round++)); do
  run_threads "$TEST_PLUGIN" "$work/steps"
  for ((k = 1; k <= threads; k++)); do
    name="Zoë O'Brien #$k"
    for ((i = 1; i <= iterations * 4; i++)); do
      count=$((i * (i + 1) / 2))
      thread_lines "$k" "$name#$i" "$((k * 1000 + i))" "$name/$i" "$name/$((k * 1000 + i))" \
        "started script 'Count' in file 'Load' with parameter '$i' control 3" "$count" "$count" \
        "BigDecimal ${amounts[k - 1]}" 1
    done
  done >"$work/expected"
  diff "$work/expected" "$work/out" >"$work/diff" || fail "test plug-in round $round (expected, got): $(head -20 "$work/diff")"
done
echo "test plug-in: $rounds rounds of $threads threads x $((iterations * 4)) iterations: ok"
echo "load: ok"
