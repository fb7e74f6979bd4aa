#!/usr/bin/env bash
# The shipped example campaign, run without windows and without a display against the built-in emulator:
# the emulator's carriers exceed the CISPR 32 class B limit, so the run ends with exit status 1 and the
# report names the worst frequency. The example files are what tk820-campaign writes.
set -u
program="$1"
campaign_tool="$2"
examples="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL $*"; fails=$((fails + 1)); }

"$campaign_tool" "$work" >/dev/null || fail "tk820-campaign could not write the example"
for f in campaign.set campaign.scp; do
    cmp -s "$work/$f" "$examples/scripts/$f" || fail "examples/scripts/$f differs from what tk820-campaign writes"
done

# From another directory than the script's: the measurements and the printout land in the working directory.
cd "$work"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --home "$work/home" --headless --emulator \
    "$examples/scripts/campaign.scp" --report r.json >out.txt 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "exit status $rc, want 1: $(cat out.txt)"
grep -q '^Script info: Script done$' out.txt || fail "no \"Script done\" on standard error: $(cat out.txt)"
python3 - "$work/r.json" <<'PY' || fail "report: $(cat r.json)"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["exitStatus"] == 1, r["exitStatus"]
assert [s["step"] for s in r["steps"]] == [0, 1], r["steps"]
assert r["steps"][0]["files"][0].endswith("/campaign-scan1.mes"), r["steps"][0]
assert r["steps"][0]["files"][1].endswith("/campaign-scan1.pdf"), r["steps"][0]
assert {m["trace"] for m in r["steps"][0]["boundaries"]} == {"actual", "average", "peak"}
w = r["worst"]
assert w["reached"] and w["marginDb"] < 0 and w["frequencyMHz"] == 6.5, w
PY
for f in campaign-scan1.mes campaign-scan1.pdf campaign-scan2.mes; do
    [ -s "$f" ] || fail "$f was not written"
done

# The same run with the remote server beside it (its line on the event loop) ends the same way.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --home "$work/home" --headless --emulator \
    --remote 0 --remote-dir "$work" "$examples/scripts/campaign.scp" --report r2.json >out.txt 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "with --remote: exit status $rc, want 1: $(cat out.txt)"
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert [s["step"] for s in r["steps"]] == [0, 1], r' \
    r2.json || fail "with --remote: report: $(cat r2.json)"

# A script that cannot be read never starts.
env -u DISPLAY "$program" --home "$work/home" --headless --emulator "$work/none.scp" >out.txt 2>&1
rc=$?
[ "$rc" -eq 2 ] || fail "missing script: exit status $rc, want 2: $(cat out.txt)"
grep -q '^File handling: Cannot open file$' out.txt || fail "missing script: $(cat out.txt)"

[ "$fails" -eq 0 ] && echo "headless campaign passed" || exit 1
