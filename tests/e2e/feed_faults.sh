#!/usr/bin/env bash
# The XML import feed when a transfer breaks. A client that resets the
# connection mid-stream: the session stays usable and the next import gets
# the rows after the cursor. A cursor that fails mid-stream: the import
# fails, never passing the rows so far off as the whole result; before any
# row it gets the error document. The feed serves the next import.
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

echo "== the cursor fails"
expect 'jdbcLoadDriver ( "org.sqlite.JDBC" ; "file:/usr/share/java/sqlite-jdbc.jar" )' 1
expect 'jdbcOpenDatabase ( "jdbc:sqlite::memory:" )' 1
# SQLite makes each row as it is asked for; abs() of the smallest integer fails.
failing_at() {
  echo "jdbcPerformQuery ( \"WITH RECURSIVE r ( x ) AS ( SELECT 1 UNION ALL SELECT x + 1 FROM r WHERE x < 5 )
    SELECT x, CASE WHEN x = $1 THEN abs ( -9223372036854775808 ) END AS pad FROM r\" )" | tr -d '\n'
}
expect "$(failing_at 4)" 1
expect "$import" 'error 718'
expect "$(failing_at 2)" 1
expect 'jdbcGetValue ( 1 )' 1
expect "$import" 'error 802'

echo "== a client resets the connection"
expect 'jdbcLoadDriver ( "org.h2.Driver" ; "file:/usr/share/java/h2.jar" )' 1
expect 'jdbcOpenDatabase ( "jdbc:h2:mem:feed" )' 1
# Far more than the sockets' buffers hold: the feed is still sending when the reset comes.
expect "jdbcPerformQuery ( \"SELECT X, REPEAT ( 'x', 2000 ) AS PAD FROM SYSTEM_RANGE ( 1, 20000 )\" )" 1
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
at=$(step 'jdbcGetValue ( 1 )')
[[ $at =~ ^[0-9]+$ ]] && [ "$at" -lt 20000 ] || fail "after the reset the cursor is at '$at'"
expect "$import" ''
expect 'Get ( TotalRecordCount )' $((20000 - at))
expect 'IsEmpty ( jdbcNextRow )' 1
expect 'jdbcPerformQuery ( "SELECT 7 AS x" )' 1
expect "$import" ''
expect 'Get ( TotalRecordCount )' $((20000 - at + 1))
end_session
echo "feed_faults: ok"
