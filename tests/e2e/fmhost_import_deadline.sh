#!/usr/bin/env bash
# Import Records gives the whole request one deadline (FMHOST_IMPORT_TIMEOUT,
# here 2.5 s): a server that drips its answer a byte every 50 ms, in the
# header, in the body or behind a redirect, fails the step with 1631 once
# the deadline has passed, however often a byte arrives; the records read
# before stay. A setting that is no number of seconds is noted and the
# default (30 s) used, under which a prompt answer imports as before.
source "$(dirname "$0")/common.bash"

cat >"$work/drip.py" <<'PY'
import socketserver, sys, threading, time
body = open(sys.argv[1], "rb").read()
stop = threading.Event()
class Handler(socketserver.StreamRequestHandler):
    def drip(self, data):
        for i in range(len(data)):
            if stop.wait(0.05):
                return
            self.wfile.write(data[i:i + 1])
            self.wfile.flush()
    def handle(self):
        path = self.rfile.readline().split()[1].decode()
        while self.rfile.readline().strip():
            pass
        header = b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: %d\r\n\r\n" % len(body)
        try:
            if path == "/prompt":
                self.wfile.write(header + body)
            elif path == "/header":
                self.drip(header + body)
            elif path == "/body":
                # The first row whole, then the rest a byte at a time.
                cut = body.index(b"</ROW>") + len(b"</ROW>")
                self.wfile.write(header + body[:cut])
                self.wfile.flush()
                self.drip(body[cut:])
            else:
                self.wfile.write(b"HTTP/1.1 302 Found\r\nLocation: /header\r\nContent-Length: 0\r\n\r\n")
        except OSError:
            pass
class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
server = Server(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
timeout 300 python3 "$work/drip.py" "$FIXTURES/fmhost/feed.xml" >"$work/drip.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  [ -s "$work/drip.log" ] && break
  sleep 0.1
done
url="http://127.0.0.1:$(head -n 1 "$work/drip.log")"

import() { echo "Import Records [ XML data source: \"$url/$1\" ; Table: \"Imports\" ]"; }
# Each dripping answer takes over 80 s to the end (its header alone 4 s); the
# hang guard is far above the three deadlines.
out=$(FMHOST_IMPORT_TIMEOUT=2.5 timeout 120 "$BUILD/fmhost" --no-plugin --solution "$FIXTURES/fmhost/demo.json" \
  -e "$(import header)" -e "$(import body)" -e "$(import redirect)" 2>"$work/err") \
  || fail "exit $?: $(cat "$work/err")"
timed_out="error 1631: timed out waiting for the server (the whole request may take 2.5 s)"
expected="imported 0 records
$timed_out
imported 1 record
$timed_out
imported 0 records
$timed_out"
[ "$out" = "$expected" ] || fail "dripping answers: $out"

# A setting that is no number of seconds: noted, and the default of 30 s.
for setting in abc 0 -1 1e9; do
  out=$(FMHOST_IMPORT_TIMEOUT=$setting "$BUILD/fmhost" --no-plugin --solution "$FIXTURES/fmhost/demo.json" \
    -e "$(import prompt)" 2>"$work/err") || fail "$setting: exit $?"
  [ "$out" = "imported 3 records" ] || fail "$setting: $out"
  grep -qF "FMHOST_IMPORT_TIMEOUT is no number of seconds up to a week: \"$setting\"" "$work/err" \
    || fail "$setting is not noted: $(cat "$work/err")"
done
echo "fmhost_import_deadline: ok"
