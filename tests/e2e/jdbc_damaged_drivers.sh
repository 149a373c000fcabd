#!/usr/bin/env bash
# Damaged driver archives, and empty containers as an archive and as a merge
# field (jdbc/damaged_drivers.steps): a truncated archive, one whose entry
# fails its checksum, and one whose driver class was built for a newer Java.
source "$(dirname "$0")/common.bash"
plugin_env
export DAMAGED=$work
python3 - "$work" <<'PY'
import sys, zipfile
work, sound = sys.argv[1], "/usr/share/java/sqlite-jdbc.jar"
data = open(sound, "rb").read()
open(work + "/truncated.jar", "wb").write(data[: len(data) // 2])

def rewrite(name, change):  # every entry stored, the driver class changed
    with zipfile.ZipFile(sound) as src, zipfile.ZipFile(work + "/" + name, "w", zipfile.ZIP_STORED) as out:
        for entry in src.infolist():
            body = src.read(entry.filename)
            out.writestr(entry.filename, change(body) if entry.filename == "org/sqlite/JDBC.class" else body)

# Class file major version 99: a Java far newer than this one.
rewrite("future.jar", lambda body: body[:6] + bytes([0, 99]) + body[8:])
rewrite("checksum.jar", lambda body: body)
damaged = bytearray(open(work + "/checksum.jar", "rb").read())
at = damaged.index(b"org/sqlite/JDBC.class") + len("org/sqlite/JDBC.class") + 40
damaged[at] ^= 0xFF
open(work + "/checksum.jar", "wb").write(damaged)
PY
cat >"$work/drivers.json" <<JSON
{ "file": "Drivers", "tables": { "Drivers": {
    "fields": { "Damaged": "container", "Empty": "container", "Sound": "container" },
    "records": [ { "Damaged": { "file": "$work/future.jar" }, "Sound": { "file": "/usr/share/java/sqlite-jdbc.jar" } } ] } } }
JSON
python3 "$(dirname "$0")/steps.py" "$(dirname "$0")/jdbc/damaged_drivers.steps" "$BUILD/fmhost" --check-leaks \
  --solution "$work/drivers.json" || fail "the steps above differ"
echo "jdbc_damaged_drivers: ok"
