#!/usr/bin/env bash
# Drivers loaded from a container and from a file reference, and the ways
# loading fails (jdbc/drivers.steps).
source "$(dirname "$0")/common.bash"
plugin_env
cat >"$work/drivers.json" <<JSON
{ "file": "Drivers", "tables": { "Drivers": {
    "fields": { "SQLiteJar": "container", "H2Jar": "container" },
    "records": [ { "SQLiteJar": { "file": "/usr/share/java/sqlite-jdbc.jar" },
                   "H2Jar": { "reference": "file:/usr/share/java/h2.jar" } } ] } } }
JSON
python3 "$(dirname "$0")/steps.py" "$(dirname "$0")/jdbc/drivers.steps" "$BUILD/fmhost" --check-leaks \
  --solution "$work/drivers.json" || fail "the steps above differ"
echo "jdbc_drivers: ok"
