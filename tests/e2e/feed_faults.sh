#!/usr/bin/env bash
# The XML import feed when a transfer breaks. A cursor that fails
# mid-stream: the import fails, never passing the rows so far off as the
# whole result; before any row it gets the error document. A client that
# resets the connection mid-stream: the session stays usable, its cursor
# going on after the rows the feed took. The feed serves the next import.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/session.bash"
plugin_env
export VNT_IMPORT_PORT=0 # a free port, named in the URL

cat >"$work/target.json" <<'JSON'
{ "file": "Target", "layout": "Rows", "tables": { "Rows": {
    "fields": { "x": "number", "pad": "text" }, "records": [] } } }
JSON
start_session --solution "$work/target.json"
import='Import Records [ XML data source: jdbcXmlImportUrl ; Table: "Rows" ]'
expect 'jdbcLoadDriver ( "org.sqlite.JDBC" ; "file:/usr/share/java/sqlite-jdbc.jar" )' 1
expect 'jdbcOpenDatabase ( "jdbc:sqlite::memory:" )' 1
# SQLite makes each row only when it is asked for.
rows() { # last row, SQL of the pad column
  echo "jdbcPerformQuery ( \"WITH RECURSIVE r ( x ) AS ( SELECT 1 UNION ALL SELECT x + 1 FROM r WHERE x < $1 )
    SELECT x, $2 AS pad FROM r\" )" | tr -d '\n'
}

echo "== the cursor fails"
# abs() of the smallest integer fails.
failing_at() { rows 5 "CASE WHEN x = $1 THEN abs ( -9223372036854775808 ) END"; }
expect "$(failing_at 4)" 1
expect "$import" 'error 718'
expect "$(failing_at 2)" 1
expect 'jdbcGetValue ( 1 )' 1
expect "$import" 'error 802'

echo "== a client resets the connection"
# Far more than any sockets' buffers hold: the feed is still sending at the reset.
expect "$(rows 1000000 "printf ( '%.*c', 200, 'x' )")" 1
python3 - "$(step 'jdbcXmlImportUrl')" <<'PY' || fail "the client did not get rows"
import socket, struct, sys, urllib.parse
url = urllib.parse.urlsplit(sys.argv[1])
s = socket.create_connection((url.hostname, url.port), timeout=60)
s.sendall(b"GET " + url.path.encode() + b" HTTP/1.1\r\nHost: x\r\n\r\n")
got = b""
while got.count(b"<ROW") < 5:
    more = s.recv(65536)
    if not more:
        sys.exit(1)
    got += more
s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))  # close with a reset
s.close()
PY
# The cursor stands on the row the feed was sending and goes on from there.
at=$(step 'jdbcGetValue ( 1 )')
[[ $at =~ ^[0-9]+$ ]] && [ "$at" -lt 1000000 ] || fail "after the reset the cursor is at '$at'"
expect 'jdbcNextRow' 1
expect 'jdbcGetValue ( 1 )' $((at + 1))

expect 'jdbcPerformQuery ( "SELECT 7 AS x" )' 1
expect "$import" ''
expect 'Get ( TotalRecordCount ) & "/" & x' 1/7
end_session
echo "feed_faults: ok"
