#!/usr/bin/env bash
# A headless server on the emulator driven by PyVISA (Debian's python3, whatever python3 comes first on PATH),
# then the README's example as written; the example ends the server, which must end with exit status 0.
set -u
program="$1"
convert="$2"
source_dir="$3"
. "$source_dir/tests/app/common.sh"

mkdir -p "$work/files/limits" "$work/files/scripts" "$work/home"
cp "$source_dir/examples/limits/cispr32-class-b-mains.grn" "$source_dir/examples/scripts/campaign.set" "$work/files/"
cp "$source_dir/examples/limits/cispr32-class-b-mains.grn" "$work/files/limits/"
cp "$source_dir/examples/scripts/campaign.set" "$work/files/scripts/"

start_server server.txt --remote-dir "$work/files"

/usr/bin/python3 "$source_dir/tests/remote/pyvisa_client.py" "127.0.0.1::$port" "$work/files" "$convert" ||
    fail "the PyVISA client"

# The README's ten lines, as they stand there.
sed -n '/^### Remote control/,/^### Help/p' "$source_dir/README.md" | sed -n '/^```python$/,/^```$/p' |
    sed '1d;$d' >"$work/example.py"
[ "$(wc -l <"$work/example.py")" -eq 10 ] || fail "the README's example is not ten lines"
/usr/bin/python3 "$work/example.py" "127.0.0.1::$port" >"$work/example.txt" 2>&1 || fail "the README's example"
grep -q '^500 levels, boundary reached: 1$' "$work/example.txt" || fail "example output: $(cat "$work/example.txt")"
grep -q ',6.5$' "$work/example.txt" || fail "example's worst margin: $(cat "$work/example.txt")"

wait "$server"
rc=$?
server=""
[ "$rc" -eq 0 ] || fail "the server ended with status $rc: $(cat "$work/server.txt")"
# SIGTERM ends a server as SYST:EXIT does.
start_server term.txt --remote-dir "$work/files"
kill -TERM "$server"
wait "$server"
rc=$?
server=""
[ "$rc" -eq 0 ] || fail "after SIGTERM the server ended with status $rc: $(cat "$work/term.txt")"

[ "$fails" -eq 0 ] && echo "remote control over PyVISA: ok"
exit "$fails"
