#!/usr/bin/env bash
# The XML import feed, with real clients: curl fetches the documents (each
# validated against the FMPXMLRESULT grammar, fixtures/fmpxmlresult.dtd) and
# fmhost's Import Records puts the rows into a table, on SQLite and H2. The
# feed answers only the current query's identifier, on loopback only; bad
# and slow requests get the error document or are dropped, and the next
# import is served. The plug-in runs in one fmhost fed step by step.
source "$(dirname "$0")/common.bash"
plugin_env
dtd="$FIXTURES/fmpxmlresult.dtd"
export VNT_IMPORT_PORT=0 # a free port, named in the URL

cat >"$work/target.json" <<'JSON'
{ "file": "Target", "layout": "People", "tables": { "People": {
    "fields": { "id": "number", "name": "text", "born": "date", "amount": "number" }, "records": [] } } }
JSON

coproc FM { exec "$BUILD/fmhost" --json --solution "$work/target.json" - 2>"$work/err"; }
# One step through fmhost: its text, or "error N".
step() {
  printf '%s\n' "$1" >&"${FM[1]}"
  local line
  IFS= read -r line <&"${FM[0]}" || fail "fmhost ended: $(tail -20 "$work/err")"
  python3 -c 'import json, sys; r = json.loads(sys.argv[1]); print(r["text"] if r["error"] == 0 else "error %d" % r["error"])' "$line"
}
expect() { # step, expected text
  local got
  got=$(step "$1")
  [ "$got" = "$2" ] || fail "$1: expected '$2', got '$got'"
}
# Fetches a URL with curl (more arguments go to curl) and validates the document.
fetch() {
  local url=$1
  shift
  curl -s --max-time 60 "$@" "$url" >"$work/doc.xml" || fail "curl $url: exit $?"
  xmllint --noout --dtdvalid "$dtd" "$work/doc.xml" 2>"$work/xmllint" || fail "$url: not valid: $(cat "$work/xmllint")"
}
# ERRORCODE, the number of rows, and the first row's values joined by "|".
summary() {
  python3 - "$work/doc.xml" <<'PY'
import sys, xml.etree.ElementTree as ET
ns = {"f": "http://www.filemaker.com/fmpxmlresult"}
root = ET.parse(sys.argv[1]).getroot()
rows = root.findall("f:RESULTSET/f:ROW", ns)
first = "|".join((col.find("f:DATA", ns).text or "") for col in rows[0].findall("f:COL", ns)) if rows else ""
fields = ",".join(f.get("NAME") + ":" + f.get("TYPE") for f in root.findall("f:METADATA/f:FIELD", ns))
print(root.find("f:ERRORCODE", ns).text, len(rows), first, fields, sep=" ; ")
PY
}
expect_document() { # expected summary
  local got
  got=$(summary)
  [ "$got" = "$1" ] || fail "document: expected '$1', got '$got'"
}

# Before any query: the identifier is "null" and the answer is the error document.
url=$(step 'jdbcXmlImportUrl')
[[ $url =~ ^http://127\.0\.0\.1:[0-9]+/null$ ]] || fail "first URL: $url"
port=${url#http://127.0.0.1:}
port=${port%%/*}
[ "$(step 'jdbcXmlImportUrl')" = "$url" ] || fail "a second call gave another URL"
fetch "$url"
expect_document "802 ; 0 ;  ; "

# Loopback only: nothing listens on the machine's other addresses.
# (Java may bind the IPv4-mapped form, [::ffff:127.0.0.1].)
loopback="(127\.0\.0\.1|\[::ffff:127\.0\.0\.1\]):$port "
ss -ltnH "sport = :$port" | grep -Eq "$loopback" || fail "not listening on loopback: $(ss -ltn)"
if ss -ltnH "sport = :$port" | grep -Evq "$loopback"; then fail "listening elsewhere too: $(ss -ltnH "sport = :$port")"; fi
other=$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -v '^127\.' | grep -E '^[0-9.]+$' | head -n 1 || true)
if [ -n "$other" ] && curl -s --max-time 5 "http://$other:$port/null" >/dev/null; then
  fail "the feed answers on $other"
fi

run_database() { # name driver jar url boolean-type
  echo "== $1"
  expect "jdbcLoadDriver ( \"$2\" ; \"file:$3\" )" 1
  expect "jdbcOpenDatabase ( \"$4\" )" 1
  step 'jdbcPerformQuery ( "DROP TABLE IF EXISTS people" )' >/dev/null
  expect "jdbcPerformQuery ( \"CREATE TABLE people ( id INTEGER, name VARCHAR(40), born DATE, amount DECIMAL(10,2), flag $5 )\" )" 0
  expect "jdbcPerformQuery ( \"INSERT INTO people VALUES ( 1, 'Ada', NULL, 12.50, TRUE ), ( 2, 'Grace', NULL, 3.00, FALSE ), ( 3, 'Edsger <&>', NULL, NULL, NULL )\" )" 3
  # After a statement without rows there is nothing to serve.
  fetch "$(step 'jdbcXmlImportUrl')"
  expect_document "802 ; 0 ;  ; "

  expect 'jdbcPerformQuery ( "SELECT id, name, amount FROM people ORDER BY id" )' 1
  url=$(step 'jdbcXmlImportUrl')
  # A wrong identifier or an extra path segment: no rows, and the cursor stays.
  fetch "${url}x"
  expect_document "802 ; 0 ;  ; "
  fetch "$url/more"
  expect_document "802 ; 0 ;  ; "
  fetch "${url%/*}/null"
  expect_document "802 ; 0 ;  ; "
  # The right identifier, with a query string: every row (SQLite keeps 12.50 as 12.5).
  fetch "$url?format=fmp"
  expect_document "0 ; 3 ; 1|Ada|12.5 ; id:NUMBER,name:TEXT,amount:TEXT"
  grep -qF '<DATA>Edsger &lt;&amp;&gt;</DATA>' "$work/doc.xml" || fail "markup in values is not escaped"
  # The cursor is past its last row now: the same URL sends none.
  fetch "$url"
  expect_document "401 ; 0 ;  ; id:NUMBER,name:TEXT,amount:TEXT"

  # A value read before the import: the document starts at the next row.
  expect 'jdbcPerformQuery ( "SELECT id, name FROM people ORDER BY id" )' 1
  expect 'jdbcGetValue ( "name" )' Ada
  fetch "$(step 'jdbcXmlImportUrl')"
  expect_document "0 ; 2 ; 2|Grace ; id:NUMBER,name:TEXT"

  # No rows: the fields, an empty result set and 401.
  expect 'jdbcPerformQuery ( "SELECT id, name FROM people WHERE id > 100" )' 1
  fetch "$(step 'jdbcXmlImportUrl')"
  expect_document "401 ; 0 ;  ; id:NUMBER,name:TEXT"

  # fmhost's Import Records reads the feed into the People table.
  expect 'jdbcPerformQuery ( "SELECT id, name, amount FROM people ORDER BY id" )' 1
  expect 'Import Records [ XML data source: jdbcXmlImportUrl ; Table: "People" ]' ''
  expect 'Get ( TotalRecordCount )' 3
  expect 'Go to Record [ 2 ]' ''
  expect 'name & "/" & id & "/" & amount' 'Grace/2/3'
  expect 'GetAsNumber ( amount ) + 1' 4
  expect 'Go to Record [ 3 ]' ''
  expect 'name & "/" & IsEmpty ( amount )' 'Edsger <&>/1'
}
run_database SQLite org.sqlite.JDBC /usr/share/java/sqlite-jdbc.jar "jdbc:sqlite:$work/people.sqlite" BOOLEAN
step 'jdbcCloseDatabase ( "jdbc:sqlite:'"$work"'/people.sqlite" )' >/dev/null

# H2's types: DATE, TIME and TIMESTAMP by their formats, DECIMAL as TEXT,
# a Boolean as 1 or nothing.
echo "== H2 types"
expect 'jdbcLoadDriver ( "org.h2.Driver" ; "file:/usr/share/java/h2.jar" )' 1
expect "jdbcOpenDatabase ( \"jdbc:h2:$work/types\" )" 1
expect 'jdbcPerformQuery ( "CREATE TABLE t ( d DATE, t TIME, ts TIMESTAMP, dec DECIMAL(10,2), yes BOOLEAN, no BOOLEAN )" )' 0
expect "jdbcPerformQuery ( \"INSERT INTO t VALUES ( DATE '2008-07-01', TIME '15:04:05', TIMESTAMP '2008-07-01 15:04:05', 12.50, TRUE, FALSE )\" )" 1
expect 'jdbcPerformQuery ( "SELECT * FROM t" )' 1
fetch "$(step 'jdbcXmlImportUrl')"
got=$(summary)
[[ $got =~ ^"0 ; 1 ; 07/01/2008|15:04:05|7/1/08".*"3:04:05".*"|12.50|1| ; D:DATE,T:TIME,TS:TIMESTAMP,DEC:TEXT,YES:TEXT,NO:TEXT"$ ]] \
  || fail "H2 types: $got"

# An import that is sending rows has the session: a call meanwhile waits,
# then fails with a clear message (jdbcXmlImportUrl, which needs no session,
# answers); once the import ends, calls work again.
# The client takes the first rows and then reads no more, so the feed stalls
# with the session held (the document is far larger than the sockets' buffers).
expect "jdbcPerformQuery ( \"SELECT X, REPEAT ( 'x', 200 ) AS PAD FROM SYSTEM_RANGE ( 1, 400000 )\" )" 1
url=$(step 'jdbcXmlImportUrl')
python3 - "$url" >"$work/stalled" <<'PY' &
import socket, sys, time, urllib.parse
url = urllib.parse.urlsplit(sys.argv[1])
s = socket.create_connection((url.hostname, url.port))
s.sendall(b"GET " + url.path.encode() + b" HTTP/1.1\r\nHost: x\r\n\r\n")
got = b""
while b"<ROW" not in got:
    got += s.recv(4096)
print("rows are coming", flush=True)
time.sleep(600)
PY
server=$!
for _ in $(seq 600); do [ -s "$work/stalled" ] && break; sleep 0.1; done
[ -s "$work/stalled" ] || fail "the stalled import did not start"
expect 'jdbcXmlImportUrl' "$url"
expect 'jdbcGetValue ( 1 )' ERROR
expect 'jdbcLastError' "An XML import is sending this query's rows; try again when it has finished"
kill "$server"
wait "$server" 2>/dev/null || true
server=
expect 'jdbcPerformQuery ( "SELECT 1" )' 1

# Requests the feed refuses: a header block over 1,600 bytes, a body over
# its bound. A client that sends nothing is dropped after the time-out, and
# the import after it is served.
expect 'jdbcPerformQuery ( "SELECT d FROM t" )' 1
url=$(step 'jdbcXmlImportUrl')
fetch "$url" -H "X-Padding: $(head -c 2000 /dev/zero | tr '\0' x)"
expect_document "802 ; 0 ;  ; "
head -c 20000 /dev/zero | tr '\0' y >"$work/body"
fetch "$url" --data-binary "@$work/body" -X GET
expect_document "802 ; 0 ;  ; "
exec 3<>"/dev/tcp/127.0.0.1/$port"
fetch "$url"
exec 3>&-
expect_document "0 ; 1 ; 07/01/2008 ; D:DATE"

exec {FM[1]}>&-
wait "$FM_PID" || fail "fmhost exited $?: $(tail -20 "$work/err")"
grep -q "JDBCPlugin shutting down import serverSocket" "$work/err" || fail "the feed was not shut down"
if grep -q "BindException" "$work/err"; then fail "a second listener was started: $(grep -A2 BindException "$work/err")"; fi

# The port taken by another program: the URL still comes, the import fails cleanly.
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(); print(s.getsockname()[1], flush=True); time.sleep(120)' >"$work/port" &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
taken=$(cat "$work/port")
VNT_IMPORT_PORT=$taken "$BUILD/fmhost" --solution "$work/target.json" \
  -e 'jdbcLoadDriver ( "org.sqlite.JDBC" ; "file:/usr/share/java/sqlite-jdbc.jar" )' \
  -e 'jdbcOpenDatabase ( "jdbc:sqlite::memory:" )' -e 'jdbcPerformQuery ( "SELECT 1" )' -e 'jdbcXmlImportUrl' \
  >"$work/out" 2>"$work/err2" </dev/null || fail "port taken: exit $?: $(cat "$work/err2")"
[[ $(tail -n 1 "$work/out") =~ ^http://127\.0\.0\.1:$taken/[0-9a-z]+$ ]] || fail "port taken: $(cat "$work/out")"
grep -q "BindException" "$work/err2" || fail "port taken: no bind failure reported"
echo "feed: ok"
