#!/usr/bin/env bash
# Folders the plug-in cannot write to. A temp folder that takes no file
# (/proc, even for root) or is no folder: the archive cannot be copied, so
# the string requests answer what they have, init answers -2 and the log
# says why, and the host goes on. A documents folder where no log folder
# can be made: the plug-in works, and the temp log says where its log failed.
source "$(dirname "$0")/common.bash"
plugin_env
: >"$work/file"

for temp in /proc "$work/file"; do
  echo "== TEMP=$temp"
  rm -rf "$work/docs/"*
  logs="$work/docs/VntPlugin Logs"
  TEMP=$temp "$BUILD/fmhost" --check-leaks --info >"$work/out" 2>"$work/err" || fail "--info: exit $?: $(cat "$work/err")"
  [ "$(head -n 1 "$work/out")" = "Unknown" ] || fail "--info answered: $(cat "$work/out")"
  grep -Eq "writeAttachedJarFile: (failed to open /proc/JDBC.jar|no private temp folder can be used)" \
    "$logs/miscellaneous.log" || fail "no reason in the log: $(cat "$logs/miscellaneous.log")"

  status=0
  TEMP=$temp "$BUILD/fmhost" -e 'jdbcVersion' >"$work/out" 2>"$work/err" </dev/null || status=$?
  [ "$status" -eq 1 ] || fail "init: exit $status: $(cat "$work/err")"
  grep -q "init (FMPro, API version 51) returned -2 (do not enable)" "$work/err" || fail "init: $(cat "$work/err")"
  grep -q "The PluginBridge is not available; returning kDoNotEnable(-2)" "$logs/Unknown_FMPro.log" \
    || fail "init: no reason in the log: $(cat "$logs/Unknown_FMPro.log")"
  # The host carries on with the plug-in disabled: idle and shutdown reach it.
  [ "$(TEMP=$temp "$BUILD/fmhost" --keep-going -e '1 + 1' 2>"$work/err" </dev/null)" = 2 ] \
    || fail "--keep-going: $(cat "$work/err")"
done

echo "== no log folder"
sed -i "s|^\"Personal\"=.*|\"Personal\"=\"$work/file\"|" "$work/registry.reg"
"$BUILD/fmhost" --check-leaks -e 'jdbcLoadDriver ( "org.sqlite.JDBC" ; "file:/usr/share/java/sqlite-jdbc.jar" )' \
  -e 'jdbcOpenDatabase ( "jdbc:sqlite::memory:" )' -e 'jdbcPerformQuery ( "SELECT 6 * 7" )' -e 'jdbcGetValue ( 1 )' \
  >"$work/out" 2>"$work/err" </dev/null || fail "no log folder: exit $?: $(cat "$work/err")"
[ "$(cat "$work/out")" = "$(printf '1\n1\n1\n42\n')" ] || fail "no log folder: $(cat "$work/out" "$work/err")"
grep -q "Could not open log file at $work/file/VntPlugin Logs/Vantorel JDBC Plugin_FMPro.log" "$work/temp/Vnttemp.log" \
  || fail "the temp log does not say where the log failed"
echo "folders_unwritable: ok"
