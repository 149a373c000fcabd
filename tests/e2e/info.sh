#!/usr/bin/env bash
# fmhost --info on the built plug-in: the three answers, the archive copied
# to the temp folder as an ordinary zip, and the log before init.
source "$(dirname "$0")/common.bash"
plugin_env

for plugin in "$BUILD/JDBC.fmx" "$BUILD/tests/padded/JDBC.fmx"; do
  rm -rf "$work/temp/"* "$work/docs/"*
  out=$("$BUILD/fmhost" --plugin "$plugin" --check-leaks --info 2>"$work/stderr") || fail "fmhost failed: $(cat "$work/stderr")"
  expected=$'Vantorel JDBC Plugin\nConnect directly to remote databases using JDBC calls (1.7)\nVJDB1YnYnnn'
  [ "$out" = "$expected" ] || fail "$plugin answered: $out"
  unzip -tq "$work/temp/JDBC.jar" >/dev/null || fail "the copied archive is no sound zip"
  grep -q "writeAttachedJarFile(): writing jar $work/temp/JDBC.jar" "$work/docs/VntPlugin Logs/miscellaneous.log" \
    || fail "no log line in miscellaneous.log"
  grep -q -- "---Started temp log at .* for Unknown / Unknown---" "$work/temp/Vnttemp.log" || fail "no temp log header"
done

# The plug-in file itself is a loadable library whose appended archive a zip
# tool can list.
listing=$(unzip -l "$BUILD/JDBC.fmx" 2>/dev/null || true)
grep -q "META-INF/MANIFEST.MF" <<<"$listing" || fail "unzip -l does not list the archive"
# Running from the build tree finds the plug-in beside fmhost.
[ "$("$BUILD/fmhost" --info 2>/dev/null | head -n 1)" = "Vantorel JDBC Plugin" ] || fail "default plug-in path"
echo "info: ok"
