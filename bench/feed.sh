#!/usr/bin/env bash
# The XML import feed: rows per second and peak memory of an import of
# 10,000 and of 1,000,000 rows of five mixed columns from SQLite, fetched
# with curl from the feed of a running fmhost, beside two baselines on the
# same table: a plain Java program that walks the result set with JDBC and
# writes the same document with javax.xml.stream (PlainExport.java), and
# sqlite3 -csv. Peak memory is the process's peak resident set: fmhost's
# (with its VM) for the feed, the java process's, sqlite3's. The feed's
# memory must not grow with the row count. Other row counts may be given:
#   bench/feed.sh build "10000 3000000"
set -euo pipefail
build=${1:-build}
counts=${2:-10000 1000000}
here=$(cd "$(dirname "$0")" && pwd)
java_home=$(readlink -f /usr/lib/jvm/default-java)
jar=/usr/share/java/sqlite-jdbc.jar
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/temp" "$work/docs"
export TEMP="$work/temp" XDG_DOCUMENTS_DIR="$work/docs" VNT_IMPORT_PORT=0
unset VNT_REGISTRY

rows_in() { grep -o '<ROW ' "$1" | wc -l; }

# The feed: one fmhost that runs the query and hands out the URL, curl as the client.
feed() { # url rows
  coproc FM { exec "$build/fmhost" --json - 2>"$work/err"; }
  step() {
    printf '%s\n' "$1" >&"${FM[1]}"
    local line
    IFS= read -r line <&"${FM[0]}" || { echo "fmhost ended: $(tail -5 "$work/err")" >&2; exit 1; }
    python3 -c 'import json, sys; print(json.loads(sys.argv[1])["text"])' "$line"
  }
  step "jdbcLoadDriver ( \"org.sqlite.JDBC\" ; \"file:$jar\" )" >/dev/null
  step "jdbcOpenDatabase ( \"$1\" )" >/dev/null
  step 'jdbcPerformQuery ( "SELECT id, name, amount, created, note FROM rows_bench" )' >/dev/null
  local url seconds before after
  url=$(step 'jdbcXmlImportUrl')
  before=$(awk '/^VmHWM/ { print $2 }' "/proc/$FM_PID/status")
  seconds=$(curl -s -o "$work/feed.xml" -w '%{time_total}' "$url")
  after=$(awk '/^VmHWM/ { print $2 }' "/proc/$FM_PID/status")
  exec {FM[1]}>&-
  wait "$FM_PID"
  local got
  got=$(rows_in "$work/feed.xml")
  [ "$got" = "$2" ] || { echo "the feed sent $got rows of $2" >&2; exit 1; }
  report feed "$2" "$seconds" "$after" "(before the import $((before / 1024)) MB)"
}

report() { # what rows seconds peak-kB [remark]
  printf '  %-8s %8.0f rows/s  peak %5d MB  %s\n' "$1" "$(awk "BEGIN { print $2 / ($3 > 0 ? $3 : 0.001) }")" \
    "$(($4 / 1024))" "${5:-}"
}

for rows in $counts; do
  db="$work/rows$rows.sqlite"
  "$java_home/bin/java" -cp "$jar" "$here/PlainRead.java" create "jdbc:sqlite:$db" "$rows"
  echo "$rows rows:"
  feed "jdbc:sqlite:$db" "$rows"
  read -r plain_rows plain_seconds plain_peak < <("$java_home/bin/java" -cp "$jar" "$here/PlainExport.java" \
    "jdbc:sqlite:$db" "$work/plain.xml")
  [ "$plain_rows" = "$rows" ] || { echo "PlainExport read $plain_rows rows of $rows" >&2; exit 1; }
  report java "$rows" "$plain_seconds" "$plain_peak" "(document $(stat -c %s "$work/plain.xml") bytes, the feed's $(stat -c %s "$work/feed.xml"))"
  /usr/bin/time -f '%e %M' -o "$work/time" sqlite3 -csv "$db" "SELECT id, name, amount, created, note FROM rows_bench" \
    >"$work/rows.csv"
  read -r csv_seconds csv_peak <"$work/time"
  report sqlite3 "$rows" "$csv_seconds" "$csv_peak" "(-csv)"
done
