#!/usr/bin/env bash
# With a display (a virtual one): the preferences message opens the
# plug-in's configuration dialog on the window system's event thread, titled
# with its name and with a button to its support page, and a GUI function
# runs on that thread while the host thread pumps its messages. Skipped where
# there is no virtual display.
source "$(dirname "$0")/common.bash"
command -v xvfb-run >/dev/null || { echo "gui: skipped, no xvfb-run (Debian's xvfb)"; exit 77; }
plugin_env
log="$work/docs/VntPlugin Logs/Vantorel Test Plugin_FMPro.log"

xvfb-run -a "$BUILD/fmhost" --plugin "$TEST_PLUGIN" -e 'Plug-in Preferences' -e tpAwaitEvents -e tpWindows \
  -e tpGuiThread >"$work/out" 2>"$work/err" </dev/null || fail "exit $?: $(cat "$work/err")"
grep -qF 'returned 51 (enabled)' "$work/err" || fail "the test plug-in did not start: $(cat "$work/err")"
[ "$(cat "$work/out")" = "$(printf 'done\nVantorel Test Plugin configuration [Support page, Close]\nAWT-EventQueue-0')" ] \
  || fail "results: $(cat "$work/out")
$(cat "$work/err")"
for line in "CONFIG: Showing Vantorel Test Plugin configuration" \
            "WARNING: Windows Look and Feel is not installed" \
            "WARNING: Could not create native Frame, just using regular java Frame instead"; do
  grep -qF -- "$line" "$log" || fail "log lacks: $line"
done
echo "gui: ok"
