#!/usr/bin/env bash
# fmhost --no-plugin as a calculator: a table of calculations and the results
# FileMaker gives, without a solution and against the demo solution (field
# references, Get functions), and the error codes and positions of missing
# fields, tables and files and of bad syntax. Each table runs in one fmhost
# reading the calculations from a pipe, one result line per calculation.
source "$(dirname "$0")/common.bash"

# Lines of "calculation  ==>  expected"; an expected "error N @P" matches
# "error N: <message> (at P)".
check_table() {
  local name=$1; shift
  local table=$work/$name.table
  cat >"$table"
  sed 's/  ==>  .*$//' "$table" >"$work/$name.in"
  sed 's/^.*  ==>  //' "$table" >"$work/$name.expected"
  "$BUILD/fmhost" --no-plugin "$@" <"$work/$name.in" >"$work/$name.out" 2>"$work/$name.err" \
    || fail "$name: fmhost exited with $?: $(cat "$work/$name.err")"
  local n=0 calc expected actual
  while IFS= read -r calc && IFS= read -r expected <&3 && IFS= read -r actual <&4; do
    n=$((n + 1))
    if [[ $expected =~ ^error\ ([0-9]+)\ @([0-9]+)$ ]]; then
      [[ $actual =~ ^error\ ${BASH_REMATCH[1]}:\ .+\ \(at\ ${BASH_REMATCH[2]}\)$ ]] \
        || fail "$name line $n: $calc gave '$actual', expected $expected"
    else
      [ "$actual" = "$expected" ] || fail "$name line $n: $calc gave '$actual', expected '$expected'"
    fi
  done <"$work/$name.in" 3<"$work/$name.expected" 4<"$work/$name.out"
  [ "$n" -eq "$(wc -l <"$work/$name.in")" ] || fail "$name: $n results for $(wc -l <"$work/$name.in") calculations"
  [ "$(wc -l <"$work/$name.out")" -eq "$n" ] || fail "$name: more output than calculations: $(cat "$work/$name.out")"
}

check_table plain <<'TABLE'
1 + 2 * 3  ==>  7
(1 + 2) * 3  ==>  9
2 ^ 3 ^ 2  ==>  64
-2 ^ 2  ==>  4
10 / 4  ==>  2.5
1 / 3  ==>  0.3333333333333333
0.1 + 0.2  ==>  0.3
7 / 0  ==>  ?
10 ^ 20  ==>  100000000000000000000
"a" & 1 + 1  ==>  a2
1 < 2 and 2 < 3  ==>  1
not 1 = 2  ==>  1
1 xor 1  ==>  0
"abc" = "ABC"  ==>  1
( 3 ≠ 4 ) & ( 3 <> 3 ) & ( 2 ≤ 2 ) & ( 3 >= 4 )  ==>  1010
Length ( "Zürich" )  ==>  6
Left ( "FileMaker" ; 4 ) & Middle ( "FileMaker" ; 5 ; 3 ) & Right ( "FileMaker" , 2 )  ==>  FileMaker
Position ( "banana" ; "an" ; 1 ; 2 )  ==>  4
Substitute ( "a-b-c" ; "-" ; "+" )  ==>  a+b+c
Upper ( "abc" ) & Lower ( "DEF" ) & "[" & Trim ( "  x  " ) & "]"  ==>  ABCdef[x]
Quote ( "say \"hi\"" )  ==>  "say \"hi\""
Substitute ( List ( 1 ; "" ; 3 ) ; ¶ ; "/" )  ==>  1/3
Let ( [ a = 2 ; b = a * 3 ] ; a + b )  ==>  8
Let ( [ $v = 5 ; $$g = 6 ] ; $v + $$g )  ==>  11
$v & $$g  ==>  56
If ( 0 ; "yes" ; "no" ) & Case ( 0 ; "a" ; 1 ; "b" ; "c" )  ==>  nob
IsEmpty ( "" ) & IsEmpty ( " " )  ==>  10
GetAsNumber ( "abc12.5x" )  ==>  12.5
GetAsNumber ( Date ( 1 ; 1 ; 1970 ) )  ==>  719163
GetAsNumber ( Time ( 1 ; 0 ; 5 ) )  ==>  3605
Date ( 2 ; 29 ; 2008 ) + 1  ==>  3/1/2008
Time ( 25 ; 0 ; 0 )  ==>  25:00:00
Timestamp ( Date ( 2 ; 29 ; 2008 ) ; Time ( 13 ; 45 ; 0 ) )  ==>  2/29/2008 13:45:00
GetAsDate ( "2/29/2008" ) - GetAsDate ( "1/1/2008" )  ==>  59
Evaluate ( "1 + 1" )  ==>  2
/* a comment */ 1 // to the end of the line  ==>  1
Get ( FileName ) & " " & Get ( LayoutTableName ) & " " & Get ( RecordNumber ) & "/" & Get ( FoundCount )  ==>  Untitled Untitled 0/0
Get ( ApplicationVersion )  ==>  Pro 19.0.1
Field  ==>  error 102 @0
1 + (2  ==>  error 1207 @4
1 2  ==>  error 1212 @2
"abc  ==>  error 1206 @0
Foo ( 1 )  ==>  error 1208 @0
Get ( Bogus )  ==>  error 1215 @6
Get ( LastError )  ==>  1215
12345678901234567891 + 1  ==>  12345678901234567892
1000000 / 3  ==>  333333.3333333333333333
SetPrecision ( 1 / 3 ; 20 )  ==>  0.33333333333333333333
2 ^ 70  ==>  1180591620717411303424
Round ( 100000000000000000.5 ; 0 ) & " " & Truncate ( -1.99999999999999999999 ; 19 )  ==>  100000000000000001 -1.9999999999999999999
While ( [ i = 0 ; s = 0 ] ; i < 10 ; [ i = i + 1 ; s = s + i ] ; s )  ==>  55
JSONGetElement ( "{\"a\":[1,{\"b\":\"x\"}]}" ; "a[1].b" )  ==>  x
JSONSetElement ( "{}" ; "id" ; 9007199254740993 ; JSONNumber )  ==>  {"id":9007199254740993}
Substitute ( SortValues ( "b¶C¶a" ) ; ¶ ; "," )  ==>  a,b,C,
GetAsURLEncoded ( "a b&c" ) & " " & Base64Encode ( "fmhost" )  ==>  a%20b%26c Zm1ob3N0
WeekOfYear ( Date ( 2 ; 29 ; 2008 ) ) & " " & Lg ( 1024 )  ==>  9 10
TABLE

# Results keep their type: JSON numbers are numbers, strings text.
"$BUILD/fmhost" --no-plugin --json -e 'JSONGetElement ( "{\"n\":1.50,\"s\":\"1.50\"}" ; "n" )' \
  -e 'JSONGetElement ( "{\"n\":1.50,\"s\":\"1.50\"}" ; "s" )' >"$work/types.out" || fail "types: exit $?"
diff -u - <(sed 's/^.*"error"/{"error"/' "$work/types.out") <<'EXPECTED' || fail "types differ"
{"error":0,"type":"number","text":"1.5"}
{"error":0,"type":"text","text":"1.50"}
EXPECTED

check_table solution --solution "$FIXTURES/fmhost/demo.json" <<'TABLE'
Customer  ==>  Ada
Invoices::ID + 1  ==>  43
Issued & " " & GetAsNumber ( Issued )  ==>  2/29/2008 733101
Due  ==>  3/31/2008 17:30:00
Start & " " & GetAsNumber ( Start )  ==>  9:05:00 32700
Amount * 2  ==>  2509
Scan  ==>  scan.png
Customers::City  ==>  London
Get ( RecordNumber ) & "/" & Get ( FoundCount ) & " " & Get ( LayoutTableName )  ==>  1/3 Invoices
Get ( FileName ) & " " & Get ( FilePath )  ==>  Demo file:/srv/Demo.fmp12
FieldType ( "Demo" ; "Invoices::Issued" )  ==>  Standard Date Indexed Unstored 1
FieldType ( "Demo.fmp12" ; "Amount" )  ==>  Standard Number Indexed Unstored 1
FieldType ( "Demo" ; "Customers::City" )  ==>  Standard Text Indexed Unstored 1
Let ( Customer = "shadowed" ; Customer )  ==>  shadowed
IsEmpty ( Nope ) & IsEmpty ( Customer )  ==>  10
Nope  ==>  error 102 @0
"x" & Invoices::Nope  ==>  error 102 @6
Nowhere::Customer  ==>  error 100 @0
FieldType ( "Other" ; "ID" )  ==>  error 100 @0
FieldType ( "Demo" ; "Invoices::Nope" )  ==>  error 102 @0
TABLE
echo "fmhost_calc: ok"
