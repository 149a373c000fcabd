#!/usr/bin/env bash
# The console on a pseudo-terminal: line editing with the history (the up
# arrow recalls the line before, also one typed in an earlier run, from
# ~/.fmhost_history), the caret under an error after wide characters, and
# control characters escaped in messages.
source "$(dirname "$0")/common.bash"

# Drives fmhost on a pseudo-terminal: each argument (with \r, \x1b, ...
# escapes) is typed once the next prompt has appeared. Prints what the
# terminal showed, without carriage returns and cursor movements.
cat >"$work/console.py" <<'PY'
import os, pty, re, select, sys, termios, time

fmhost, home, keys = sys.argv[1], sys.argv[2], sys.argv[3:]
keys = [k.encode().decode("unicode_escape").encode("latin-1") for k in keys]  # UTF-8 with \r, \x1b, ...
pid, fd = pty.fork()
if pid == 0:
    env = dict(os.environ, HOME=home, LANG="C.UTF-8", TERM="xterm")
    env.pop("LC_ALL", None)
    os.execve(fmhost, [fmhost, "--no-plugin"], env)
shown = b""
typed = 0
# Only a guard against a console that never ends; nothing here is timed.
deadline = time.monotonic() + 120
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.05)
    if ready:
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        shown += data
    # Type once a fresh prompt (it starts a line; the editor redraws a line
    # from its start) is shown and the editor has the terminal in raw mode:
    # keys typed before that would be taken by the terminal's line mode.
    if typed < len(keys) and shown.count(b"\nfmhost> ") > typed and not termios.tcgetattr(fd)[3] & termios.ICANON:
        os.write(fd, keys[typed])
        typed += 1
else:
    os.kill(pid, 9)
    sys.exit("the console did not end")
_, status = os.waitpid(pid, 0)
text = re.sub(rb"\x1b\[[0-9;]*[A-Za-z]", b"", shown).replace(b"\r", b"")
sys.stdout.buffer.write(text)
sys.exit(os.waitstatus_to_exitcode(status))
PY
console() { python3 "$work/console.py" "$BUILD/fmhost" "$work/home" "$@"; }
mkdir "$work/home"

# Wide characters: "日本" takes four columns, so the caret of the missing
# field at character 7 stands in column 8 (the prompt) + 9.
console '1 + 1\r' '"日本" & Nope\r' '\x1b[A\x1b[A\r' '\x04' >"$work/first" || fail "first run: $(cat "$work/first")"
grep -qxF 'fmhost> 1 + 1' "$work/first" || fail "typed line not shown: $(cat "$work/first")"
[ "$(grep -cx '2' "$work/first")" = 2 ] || fail "the up arrow did not recall 1 + 1: $(cat "$work/first")"
grep -qx "$(printf '%17s' '')^" "$work/first" || fail "caret not under Nope: $(cat -A "$work/first")"
grep -qxF 'error 102: The field "Nope" is missing (at 7)' "$work/first" || fail "error: $(cat "$work/first")"
grep -qF '1\040+\0401' "$work/home/.fmhost_history" || fail "history not kept: $(cat "$work/home/.fmhost_history")"

# A new run recalls the last run's lines.
console '\x1b[A\r' '\x04' >"$work/second" || fail "second run: $(cat "$work/second")"
grep -qx '2' "$work/second" || fail "history of the last run not recalled: $(cat "$work/second")"

# A control character in a step is shown escaped in the message.
printf 'x\001y\n' | "$BUILD/fmhost" --no-plugin >"$work/escaped" 2>&1
grep -qF 'not "\x01"' "$work/escaped" || fail "control character not escaped: $(cat -A "$work/escaped")"
! grep -q $'\001' "$work/escaped" || fail "control character written raw: $(cat -A "$work/escaped")"
echo "fmhost_console: ok"
