#!/usr/bin/env bash
# Recordings as a user makes them: the example campaign run without windows with --record holds the traces
# its measurements stored and converts to JSON and CSV; a run killed at random moments leaves a file that
# opens, passes SQLite's check and holds whole reads numbered without gaps; a file that is no recording is
# refused with a clear message.
set -u
program="$1"
convert="$2"
examples="$3"
python=/usr/bin/python3
. "$(dirname "$0")/common.sh"
cd "$work"
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --home "$work/home" --headless --emulator "$@"; }
# In the background, with $! the program itself (a function run with & would leave $! its subshell).
start() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --home "$work/home" --headless --emulator "$@" & }

began=$(date +%s%N)
run --record run.tkrec "$examples/scripts/campaign.scp" >out.txt 2>&1
[ "$?" -eq 1 ] || fail "campaign: $(cat out.txt)"
run_ms=$(( ($(date +%s%N) - began) / 1000000 + 1 ))
for f in run.tkrec campaign-scan1.mes campaign-scan2.mes; do
    "$convert" "$f" "${f%.*}.json" 2>>out.txt || fail "convert $f: $(cat out.txt)"
done
"$convert" run.tkrec run.csv || fail "convert to CSV"
"$python" - "$examples/scripts/campaign.scp" <<'PY' || fail "the recording does not hold the stored traces"
import csv, json, sys
reads = json.load(open("run.json"))["reads"]
assert [r["id"] for r in reads] == list(range(1, len(reads) + 1)), "ids with gaps"
recorded = [(r["trace"], r["rawLevels"]) for r in reads]
for scan in ("campaign-scan1.json", "campaign-scan2.json"):
    m = json.load(open(scan))
    for trace in ("actual", "peak", "average"):
        stored = m["trace" + trace.capitalize()]  # points 1 .. 4000 / resolution
        assert any(t == trace and levels[1:] == stored for t, levels in recorded), (scan, trace)
# The class B limit is crossed at 6.5 MHz from the first read on: one violation, still open at the end.
events = json.load(open("run.json"))["events"]
# The script's first step loads its settings and goes online.
assert [(e["kind"], e.get("text", "")) for e in events][:3] == [
    ("script", "step 0 of " + sys.argv[1]), ("load", "settings campaign.set"), ("online", "")], events[:3]
actual = [e for e in events if e["kind"] == "violation" and e["trace"] == "actual" and abs(e["frequencyMHz"] - 6.5) < 0.3]
assert len(actual) == 1 and actual[0]["marginDb"] < 0 and actual[0]["time"] == reads[0]["time"], actual
rows = list(csv.reader(open("run.csv")))
assert rows[0][:3] == ["Time", "Trace", "Center (MHz)"] and len(rows) == len(reads) + 1
for row, r in zip(rows[1:], reads):
    assert row[1] == r["trace"] and row[0] == r["time"] and len(row) == 12 + len(r["rawLevels"])
PY

# Killed at random moments of such a run: whatever was committed opens whole.
killed=0
for i in $(seq 1 20); do
    rm -f kill.tkrec*
    start --record kill.tkrec "$examples/scripts/campaign.scp" >/dev/null 2>&1
    pid=$!
    delay=$((RANDOM % run_ms))
    sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ "$?" -eq 137 ] && killed=$((killed + 1))
    [ -e kill.tkrec ] || continue
    "$python" - <<'PY' || fail "kill $i: the recording is damaged"
import sqlite3
db = sqlite3.connect("kill.tkrec")
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
ids = [row[0] for row in db.execute("SELECT id FROM reads ORDER BY id")]
assert ids == list(range(1, len(ids) + 1))
PY
    "$convert" kill.tkrec kill.json 2>/dev/null || fail "kill $i: its reads do not convert"
done
echo "record: $killed of 20 runs were still running when killed"
[ "$killed" -ge 10 ] || fail "only $killed of 20 runs were still running when killed"

# Started and stopped by a remote client, inside the server's folder only.
mkdir files
start_server server.txt --remote-dir "$work/files"
"$python" - "$port" <<'PY' || fail "remote recording"
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=60)
f = s.makefile("rwb")
def ask(command):
    f.write(command.encode() + b"\n"); f.flush()
    return f.readline().decode().strip()
assert ask("INST:CONN ON;*OPC?") == "1"
assert ask('MMEM:REC "r.tkrec";*OPC?') == "1"
for _ in range(3): assert ask("INIT:IMM;*OPC?") == "1"
state = ask("MMEM:REC?").split(",")
assert state[:2] == ["1", '"r.tkrec"'] and int(state[2]) >= 3, state
assert ask('MMEM:REC:STOP;MMEM:REC?') == '0,"",0'
assert ask('MMEM:REC "../out.tkrec";SYST:ERR?').startswith("-"), "a name outside the folder"
f.write(b"SYST:EXIT\n"); f.flush()
PY
# A client that failed before SYST:EXIT leaves the server running.
kill -TERM "$server" 2>/dev/null
wait "$server"
server=""
[ -s files/r.tkrec ] && [ ! -e out.tkrec ] || fail "remote recording: files $(ls)"

# Refused: no recording, no program run.
head -c 3000 /dev/urandom >noise.tkrec
"$convert" noise.tkrec noise.csv 2>err.txt && fail "noise converted"
grep -q "noise.tkrec is no recording of this program" err.txt || fail "noise: $(cat err.txt)"
run --record noise.tkrec "$examples/scripts/campaign.scp" >err.txt 2>&1
[ "$?" -eq 2 ] && grep -q "tk820-2: --record: noise.tkrec is no recording" err.txt || fail "record into noise: $(cat err.txt)"
QT_QPA_PLATFORM=offscreen timeout 60 "$program" --home "$work/home" --emulator --record noise.tkrec >err.txt 2>&1
[ "$?" -eq 2 ] || fail "the window opened over a refused recording: $(cat err.txt)"

[ "$fails" -eq 0 ] && echo "record: all checks passed"
exit "$fails"
