#!/usr/bin/env bash
# tk820-convert as a user runs it: a measurement to JSON and back to the same bytes, CSV, and the messages
# and exit statuses of bad input.
set -u
convert="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
checks=0
fail() { echo "FAIL $*"; fails=$((fails + 1)); }
check() {  # name, expected exit status, expected text on stderr (empty: none), arguments...
    local name="$1" status="$2" pattern="$3" err rc
    shift 3
    checks=$((checks + 1))
    err=$("$convert" "$@" 2>&1 >/dev/null)
    rc=$?
    if [ "$rc" -ne "$status" ]; then fail "$name: exit $rc (want $status): $err"; return; fi
    if [ -z "$pattern" ] && [ -n "$err" ]; then fail "$name: unexpected message: $err"; fi
    if [ -n "$pattern" ] && ! grep -q -- "$pattern" <<<"$err"; then fail "$name: message: $err"; fi
}

# A "mes5 " measurement at resolution 8 (11411 bytes): tag, comparison curve, header, resolution, three
# traces, boundaries, settings, times and flags. Random bytes everywhere a value may be anything.
{
    printf 'mes5 '
    head -c 8000 /dev/urandom
    printf '\377\377\001\000'
    printf 'User unit with blanks         '
    printf '\000\000\326\302\003\000\000\000\010\000'
    head -c 3000 /dev/urandom
    head -c 300 /dev/urandom
    head -c 16 /dev/urandom
    printf '06.12.202612:00:01  --:--:--  12:00:03  \377\377\000\000\001\000'
} >"$dir/m.mes"
[ "$(stat -c %s "$dir/m.mes")" -eq 11411 ] || fail "sample measurement is not 11411 bytes"

check to-json 0 "" "$dir/m.mes" "$dir/m.json"
check from-json 0 "" "$dir/m.json" "$dir/back.mes"
checks=$((checks + 1))
cmp -s "$dir/m.mes" "$dir/back.mes" || fail "measurement through JSON is not byte-identical"
check to-csv 0 "" --unit dBpW "$dir/m.mes" "$dir/m.csv"
checks=$((checks + 1))
[ "$(head -1 "$dir/m.csv")" = "Frequency (MHz),Actual (dBpW),Average (dBpW),Peak (dBpW)" ] &&
    [ "$(wc -l <"$dir/m.csv")" -eq 501 ] || fail "CSV header or length"

printf 'xyz12 and more' >"$dir/bad.set"
check unknown-tag 2 "^tk820-convert: $dir/bad.set: unknown version tag" "$dir/bad.set" "$dir/o.json"
head -c 100 "$dir/m.mes" >"$dir/short.mes"
check short 2 "^tk820-convert: $dir/short.mes: the file ends before its layout does" "$dir/short.mes" "$dir/o.json"
check missing 2 "^tk820-convert: $dir/none.mes: " "$dir/none.mes" "$dir/o.json"
sed 's/"scanWidth"/"scanwidth"/' "$dir/m.json" >"$dir/bad.json"
check json-field 2 "^tk820-convert: $dir/bad.json: scanWidth: missing" "$dir/bad.json" "$dir/o.mes"
printf '{"file": ' >"$dir/cut.json"
check json-syntax 2 "^tk820-convert: $dir/cut.json: no valid JSON" "$dir/cut.json" "$dir/o.mes"
check wrong-kind 2 "written as \*.mes" "$dir/m.json" "$dir/o.set"
printf 'eic1 \000\000' >"$dir/empty.eic"
check curve-to-csv 2 "a calibrationCurve file has no points for CSV" "$dir/empty.eic" "$dir/o.csv"
check unit 2 "unknown unit dBW" --unit dBW "$dir/m.mes" "$dir/o.csv"
check no-out 2 "expected IN and OUT" "$dir/m.mes"
check unwritable 2 "cannot write" "$dir/m.mes" "$dir/no/such/dir/o.json"

echo "$((checks - fails)) passed, $fails failed"
[ "$fails" -eq 0 ]
