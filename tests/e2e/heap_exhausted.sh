#!/usr/bin/env bash
# The Java VM runs out of heap inside plug-in calls (a 16 MB heap through
# the memorysize marker): a value made or read that does not fit, an
# argument that does not fit, a value the import feed cannot send. Each
# call fails with the reason, nothing crashes, and the next call works.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.bash"
plugin_env
mkdir -p "$work/appdata/Vantorel"
echo 16 >"$work/appdata/Vantorel/memorysize"
export VNT_IMPORT_PORT=0
cat >"$work/target.json" <<'JSON'
{ "file": "Target", "layout": "Big", "tables": { "Big": { "fields": { "id": "number", "t": "text" }, "records": [] } } }
JSON
oom='~ (java.lang.OutOfMemoryError: |Out of memory).*'
cat >"$work/heap.steps" <<STEPS
jdbcLoadDriver ( "org.h2.Driver" ; "file:/usr/share/java/h2.jar" )	1
jdbcOpenDatabase ( "jdbc:h2:mem:heap" )	1
jdbcPerformQuery ( "SELECT REPEAT ( 'x', 200000000 )" )	ERROR
jdbcLastError	$oom
jdbcPerformQuery ( "SELECT 6 * 7" )	1
jdbcGetValue ( 1 )	42
# SQLite keeps values larger than the heap outside it.
jdbcLoadDriver ( "org.sqlite.JDBC" ; "file:/usr/share/java/sqlite-jdbc.jar" )	1
jdbcOpenDatabase ( "jdbc:sqlite::memory:" )	1
jdbcPerformQuery ( "CREATE TABLE big ( id INTEGER, b BLOB, t TEXT )" )	0
jdbcPerformQuery ( "INSERT INTO big VALUES ( 1, x'00', 'small' ), ( 2, zeroblob ( 40000000 ), printf ( '%.*c', 40000000, 'x' ) )" )	2
jdbcPerformQuery ( "SELECT id, b, t, length ( b ) FROM big WHERE id = 2" )	1
jdbcGetContainerValue ( "b" ; "big.bin" )	ERROR
jdbcLastError	$oom
jdbcGetValue ( "t" )	ERROR
jdbcLastError	$oom
jdbcGetValue ( 4 )	40000000
# A text of 2^24 characters cannot become a Java argument: the dispatcher's failure.
jdbcGetValue ( While ( [ s = "x" ; i = 0 ] ; i < 24 ; [ s = s & s ; i = i + 1 ] ; s ) )	error -1
jdbcGetValue ( "id" )	2
# The feed sends the first row, then cannot read the second: the import fails.
jdbcPerformQuery ( "SELECT id, t FROM big ORDER BY id" )	1
Import Records [ XML data source: jdbcXmlImportUrl ; Table: "Big" ]	error 718
jdbcPerformQuery ( "SELECT id, t FROM big WHERE id = 1" )	1
Import Records [ XML data source: jdbcXmlImportUrl ; Table: "Big" ]	
Get ( TotalRecordCount ) & "/" & t	1/small
STEPS
cd "$work" # where a crashing VM leaves its hs_err file
python3 "$here/steps.py" "$work/heap.steps" "$BUILD/fmhost" --check-leaks --solution "$work/target.json" \
  || fail "the steps above differ"
if ls "$work"/hs_err_pid* 2>/dev/null; then fail "the VM crashed"; fi
echo "heap_exhausted: ok"
