#!/usr/bin/env bash
# Bad input never crashes fmhost and says what is wrong: broken and
# ill-typed solution files (exit 2 with the place of the fault), solution
# and script files that are folders, missing or unreadable (exit 2 with the
# name and the reason), usage errors, and a run of random and pathological
# lines through the steps.
source "$(dirname "$0")/common.bash"

expect_exit() { # code message-fragment command...
  local code=$1 fragment=$2 rc=0
  shift 2
  "$@" >"$work/out" 2>"$work/err" </dev/null || rc=$?
  [ "$rc" -eq "$code" ] || fail "$* exited $rc, expected $code: $(cat "$work/err")"
  grep -qF -- "$fragment" "$work/err" || fail "$*: no '$fragment' in: $(cat "$work/err")"
}

fmhost=$BUILD/fmhost
expect_exit 2 "broken.json: parse error at line 3, column 49" "$fmhost" --no-plugin --solution "$FIXTURES/fmhost/broken.json" -e 1
grep -qF "(byte 71)" "$work/err" || fail "no byte position: $(cat "$work/err")"

# Solutions that parse but do not fit: the message names the place.
while IFS='|' read -r json fragment; do
  printf '%s\n' "$json" >"$work/s.json"
  expect_exit 2 "$fragment" "$fmhost" --no-plugin --solution "$work/s.json" -e 1
done <<'CASES'
[]|a solution is a JSON object
{"tables": {"T": {"fields": {"A": "colour"}}}}|tables.T.fields.A: the type is one of
{"tables": {"T": {"fields": {"A": "date"}, "records": [{"A": "2/30/2008"}]}}}|tables.T.records[0].A: "2/30/2008" is no date
{"tables": {"T": {"fields": {"A": "number"}, "records": [{"A": "12abc"}]}}}|tables.T.records[0].A: "12abc" is no number
{"tables": {"T": {"fields": {"A": "text"}, "records": [{"B": 1}]}}}|tables.T.records[0]: the table has no field "B"
{"tables": {"T": {"fields": {"A": "container"}, "records": [{"A": {"file": "no/such.png"}}]}}}|tables.T.records[0].A: cannot read
{"tables": {"T": {"fields": {"A": "text", "a": "text"}}}}|tables.T.fields.a: the table has this field already
{"layout": "Nowhere"}|layout: no table is named "Nowhere"
{"tables": {"T": {"records": [{}]}}, "record": 2}|record: the table T has 1 records, not 2
{"scripts": {"S": [1]}}|scripts.S: a script is an array of step lines
{"colour": "blue"}|unknown key "colour"
CASES

# Files that cannot be read: a folder, a missing file, one without read
# permission (which root reads anyway).
mkdir "$work/folder"
printf '1\n' >"$work/locked"
chmod 000 "$work/locked"
for role in solution script; do
  option=()
  [ "$role" = solution ] && option=(--solution)
  expect_exit 2 "cannot read the $role $work/folder: is a folder" "$fmhost" --no-plugin "${option[@]}" "$work/folder"
  expect_exit 2 "cannot read the $role $work/none: no such file" "$fmhost" --no-plugin "${option[@]}" "$work/none"
  if [ "$(id -u)" != 0 ]; then
    expect_exit 2 "cannot read the $role $work/locked: permission denied" "$fmhost" --no-plugin "${option[@]}" "$work/locked"
  fi
done

# Usage errors and a plug-in that cannot be loaded.
expect_exit 2 "unknown argument --bogus" "$fmhost" --bogus
expect_exit 2 "unknown application type Desktop" "$fmhost" --app-type Desktop -e 1
expect_exit 2 "--api-version needs a number" "$fmhost" --api-version 51x -e 1
expect_exit 2 "--info, --functions and --prefs need a plug-in" "$fmhost" --no-plugin --functions
expect_exit 2 "only one script" "$fmhost" --no-plugin a.fmscript b.fmscript
expect_exit 1 "cannot load" "$fmhost" --plugin "$work/none.fmx" -e 1
"$fmhost" --help | grep -q '^usage: fmhost' || fail "--help"

# Random lines of calculation and step pieces, invalid UTF-8 and deep
# nesting: every line that is a step gets exactly one answer.
tokens=('(' ')' '[' ']' ';' ',' '"' '"a b"' '¶' '&' '+' '-' '*' '/' '^' '=' '<>' '≤' '≠' 'and' 'not'
  '$x' '$$y' '::' 'Customer' 'Invoices::ID' 'Let' 'If' 'Case' 'Get' 'RecordNumber' 'Length' 'Left' 'Middle'
  'Evaluate' 'Substitute' 'List' 'Date' 'GetAsTime' 'FieldType' '1' '2.5' '.5' '1e3' '/*' '*/' '//' '\'
  'Set Variable' 'Go to Record' 'Go to Layout' 'Perform Script' 'Import Records' 'Value:' 'Parameter:'
  'Table:' 'XML data source:' '"Describe"' 'Next' '#' '{' '$' 'Plug-in Preferences')
RANDOM=7
for ((i = 0; i < 400; i++)); do
  line=
  for ((k = RANDOM % 12 + 1; k > 0; k--)); do line+="${tokens[RANDOM % ${#tokens[@]}]} "; done
  printf '%s\n' "$line"
done >"$work/fuzz"
{
  printf '\xff\xfe\xc3(\n'
  printf '%0.s(' $(seq 3000); printf '1'; printf '%0.s)' $(seq 3000); printf '\n'
  printf 'Let ( $$e = "Evaluate ( $$e )" ; Evaluate ( $$e ) )\n'
  printf 'Perform Script [ "Forever" ]\n'
  printf 'Substitute ( "x" ; [ "x" ; "yy" ] ; [ "y" ; "zz" ] )\n'
} >>"$work/fuzz"
rc=0
"$fmhost" --no-plugin --json --solution "$FIXTURES/fmhost/demo.json" "$work/fuzz" >"$work/out" 2>"$work/err" || rc=$?
[ "$rc" -eq 0 ] || fail "the fuzz run ended with $rc: $(tail -n 5 "$work/err")"
steps=$(grep -cv '^[[:space:]]*\(#.*\)\?$' "$work/fuzz" || true)
answers=$(grep -c '^{"step":' "$work/out" | tr -d ' ')
performed=$(grep -c '"script":"' "$work/out" || true)
[ "$answers" -eq $((steps + performed)) ] || fail "$steps steps ($performed nested) gave $answers answers"
echo "fmhost_robust: ok"
