#!/usr/bin/env bash
# Rows per second read through the plug-in (jdbcPerformQuery, then
# jdbcNextRow and jdbcGetValue for each of five columns, in one fmhost
# calculation) beside a plain Java loop over the same result set
# (ResultSet.next and getObject), on SQLite and H2, ROWS rows (default
# 100000). The ratio is the plug-in's speed as a part of the plain loop's.
set -euo pipefail
build=${1:-build}
rows=${2:-100000}
here=$(cd "$(dirname "$0")" && pwd)
java_home=$(readlink -f /usr/lib/jvm/default-java)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/temp" "$work/docs"
export TEMP="$work/temp" XDG_DOCUMENTS_DIR="$work/docs"
unset VNT_REGISTRY

bench() { # name driver-class jar url
  "$java_home/bin/java" -cp "$3" "$here/PlainRead.java" create "$4" "$rows"
  read -r plain_rows plain_rate < <("$java_home/bin/java" -cp "$3" "$here/PlainRead.java" read "$4")
  local out
  out=$("$build/fmhost" -e "Set Variable [ \$\$driver ; Value: \"$2\" ]" -e "Set Variable [ \$\$jar ; Value: \"file:$3\" ]" \
    -e "Set Variable [ \$\$url ; Value: \"$4\" ]" "$here/rows.fmscript" 2>"$work/err" | tail -n 1)
  read -r plugin_rows plugin_ms <<<"$out"
  [ "$plugin_rows" = "$plain_rows" ] || { echo "$1: the plug-in read '$out' (rows ms), the plain loop $plain_rows rows" >&2; exit 1; }
  local plugin_rate=$((plugin_rows * 1000 / (plugin_ms > 0 ? plugin_ms : 1)))
  printf '%-7s %7d rows  plug-in %9d rows/s  plain loop %9.0f rows/s  plug-in/plain %.3f\n' \
    "$1" "$plain_rows" "$plugin_rate" "$plain_rate" "$(awk "BEGIN { print $plugin_rate / $plain_rate }")"
}

bench SQLite org.sqlite.JDBC /usr/share/java/sqlite-jdbc.jar "jdbc:sqlite:$work/rows.sqlite"
bench H2 org.h2.Driver /usr/share/java/h2.jar "jdbc:h2:$work/rows"
