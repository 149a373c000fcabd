# Sourced by end-to-end tests that need a PostgreSQL server: start_postgres
# makes a throw-away cluster in a folder of its own and starts it on the
# loopback interface, on a free port, for this test alone; it is stopped and
# removed when the test ends. PostgreSQL refuses to run as root, so as root
# the server runs as the "postgres" user that Debian's package creates.
# Afterwards $pg_url is the JDBC URL of its database "fmtest" (user fmtest,
# no password; stringtype=unspecified lets the server convert the texts that
# merge fields bind, as the other databases do).

pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
pg_dir=
pg_port=
pg_run=()

stop_postgres() {
  [ -n "$pg_dir" ] || return 0
  "${pg_run[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$pg_dir"
  pg_dir=
}

# Starts the cluster on a port; false when it does not start (the port is taken, say).
run_postgres() { # port
  pg_port=$1
  "${pg_run[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $1 -k $pg_dir -c fsync=off" start >/dev/null 2>&1
}

start_postgres() {
  [ -x "$pg_bin/initdb" ] || fail "no PostgreSQL server (Debian's postgresql package)"
  pg_dir=$(mktemp -d)
  trap 'stop_postgres; cleanup' EXIT
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres "$pg_dir"
    pg_run=(runuser -u postgres --)
  fi
  "${pg_run[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -U fmtest --auth=trust -E UTF8 --locale=C.UTF-8 \
    >"$pg_dir/initdb.log" 2>&1 || fail "initdb: $(cat "$pg_dir/initdb.log")"
  # A port another test or program holds makes the start fail: try others.
  local port started=
  for _ in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 20000))
    if run_postgres "$port"; then
      started=1
      break
    fi
  done
  [ -n "$started" ] || fail "PostgreSQL did not start: $(tail -5 "$pg_dir/server.log")"
  "${pg_run[@]}" "$pg_bin/createdb" -h "$pg_dir" -p "$port" -U fmtest fmtest || fail "createdb failed"
  pg_url="jdbc:postgresql://127.0.0.1:$port/fmtest?user=fmtest&stringtype=unspecified"
}
