#!/usr/bin/env bash
# The PostgreSQL server stops and starts again in the middle of a session.
# While it is down, queries and opens fail with the driver's reason; once it
# is back, opening the URL again gives a working connection in place of the
# dead one, also when no call noticed the restart; nothing committed is lost.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/postgres.bash"
source "$(dirname "$0")/session.bash"
plugin_env
start_postgres

stop_server() {
  "${pg_run[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m fast -w -t 60 stop >/dev/null || fail "pg_ctl stop failed"
}
# Back on its port, which another program may hold for a moment.
restart_server() {
  local port=$pg_port
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    run_postgres "$port" && return
    sleep 1
  done
  fail "PostgreSQL did not start again: $(tail -5 "$pg_dir/server.log")"
}
expect_failure() { # step: ERROR, and a reason from the driver
  expect "$1" ERROR
  local why
  why=$(step 'jdbcLastError')
  [ -n "$why" ] && [[ $why != java.lang.* ]] || fail "$1: the reason is '$why'"
}

start_session
expect 'jdbcLoadDriver ( "org.postgresql.Driver" ; "file:/usr/share/java/postgresql.jar" )' 1
expect "jdbcOpenDatabase ( \"$pg_url\" )" 1
expect 'jdbcPerformQuery ( "CREATE TABLE kept ( v INTEGER )" )' 0
expect 'jdbcPerformQuery ( "INSERT INTO kept VALUES ( 1 ), ( 2 )" )' 2

echo "== the server stops"
stop_server
expect_failure 'jdbcPerformQuery ( "SELECT COUNT(*) FROM kept" )'
expect_failure "jdbcOpenDatabase ( \"$pg_url\" )"
expect 'jdbcVersion' 1.7

echo "== it is back"
restart_server
expect "jdbcOpenDatabase ( \"$pg_url\" )" 1
expect 'jdbcPerformQuery ( "SELECT COUNT(*) FROM kept" )' 1
expect 'jdbcGetValue ( 1 )' 2

echo "== a restart no call saw"
stop_server
restart_server
expect "jdbcOpenDatabase ( \"$pg_url\" ; \"\" ; \"\" ; 0 )" 1
expect 'jdbcPerformQuery ( "INSERT INTO kept VALUES ( 3 )" )' 1
expect 'jdbcPerformQuery ( "commit" )' 1
expect 'jdbcPerformQuery ( "SELECT SUM(v) FROM kept" )' 1
expect 'jdbcGetValue ( 1 )' 6
expect "jdbcCloseDatabase ( \"$pg_url\" )" ''
end_session
echo "jdbc_server_restart: ok"
