# Sourced by end-to-end tests that keep one fmhost running and act between
# its steps (stop a server, break a connection): start_session starts it
# with --json on a pipe, step prints one step's text (or "error N"), expect
# compares it, end_session closes the pipe and checks fmhost's exit.
start_session() { # more fmhost arguments
  coproc FM { exec "$BUILD/fmhost" --json "$@" - 2>"$work/session.err"; }
}

step() {
  printf '%s\n' "$1" >&"${FM[1]}"
  local line
  IFS= read -r line <&"${FM[0]}" || fail "fmhost ended: $(tail -20 "$work/session.err")"
  python3 -c 'import json, sys; r = json.loads(sys.argv[1]); print(r["text"] if r["error"] == 0 else "error %d" % r["error"])' "$line"
}

expect() { # step, expected text
  local got
  got=$(step "$1")
  [ "$got" = "$2" ] || fail "$1: expected '$2', got '$got'"
}

end_session() {
  exec {FM[1]}>&-
  wait "$FM_PID" || fail "fmhost exited $?: $(tail -20 "$work/session.err")"
}
