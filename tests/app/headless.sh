#!/usr/bin/env bash
# The shipped example campaign, run without windows and without a display against the built-in emulator:
# the emulator's carriers exceed the CISPR 32 class B limit (at 6.5 MHz), so the run ends with exit status 1
# and the report names the worst frequency. The example files are what tk820-campaign writes. The PDF test
# report, read back with pdftotext: of that run, of its stored measurements through tk820-convert (passing
# against a boundary far above, in two units and resolutions), and refused input, which writes nothing.
set -u
program="$1"
campaign_tool="$2"
examples="$3"
convert="$4"
. "$(dirname "$0")/common.sh"
has() { tr -s " " <"$1" | grep -qF -- "$2" || fail "$1 lacks \"$2\""; }

"$campaign_tool" "$work" >/dev/null || fail "tk820-campaign could not write the example"
for f in campaign.set campaign.scp; do
    cmp -s "$work/$f" "$examples/scripts/$f" || fail "examples/scripts/$f differs from what tk820-campaign writes"
done

# From another directory than the script's: the measurements and the printout land in the working directory.
cd "$work"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --home "$work/home" --headless --emulator \
    "$examples/scripts/campaign.scp" --report-pdf campaign.pdf \
    --report-title "Pre-scan of the demo board" --report-eut "Demo board rev B" --report-operator "A. Tester" \
    >out.txt 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "exit status $rc, want 1: $(cat out.txt)"
grep -q '^Script info: Script done$' out.txt || fail "no \"Script done\" on standard error: $(cat out.txt)"
for f in campaign-scan1.mes campaign-scan1.pdf campaign-scan2.mes; do
    [ -s "$f" ] || fail "$f was not written"
done

pdfinfo campaign.pdf | grep -q '^Pages: *5$' || fail "campaign: $(pdfinfo campaign.pdf 2>&1 | grep Pages)"
pdfinfo campaign.pdf | grep -q '^Title: *Pre-scan of the demo board$' || fail "campaign: no title in the PDF"
pdftotext -layout campaign.pdf campaign.txt
for text in "Pre-scan of the demo board" "Demo board rev B" "A. Tester" "Verdict: FAIL" "Page 1 of 5" "Page 5 of 5" \
    "1. campaign-scan1.mes" "CISPR 32" "receiver measurement" "PASS: every checked trace stayed under its boundary." \
    "Input files" "Margin asked 3 dB" "Interface V" "SHA-256 $(sha256sum campaign-scan1.mes | cut -c1-64)" \
    "SHA-256 $(sha256sum campaign-scan2.mes | cut -c1-64)"; do
    has campaign.txt "$text"
done
grep -qE '^ *Date {2,}[^ ]' campaign.txt || fail "campaign: no date line on the title page"
# The printout of a step names the measurement file that step stored.
pdftotext campaign-scan1.pdf - | grep -qF campaign-scan1.mes || fail "the step's page does not name its file"
# The worst emission leads the scan's peaks: the strongest carrier, at 6.5 MHz in this scan, 15.9 dB over the
# average line.
tr -s ' ' <campaign.txt | grep -qF "1 Average 6.500 MHz 65.9 dBuV 50.0 dBuV -15.9 dB yes" ||
    fail "campaign: the worst peak is not 6.5 MHz: $(grep -E '^ *1 ' campaign.txt)"

# The same measurements against a boundary far above them pass; one in dBuV at 1000 points beside one in
# dBm at 500 lists both in their own units.
"$convert" campaign-scan1.mes scan.json || fail "to JSON"
/usr/bin/python3 - <<'PY' || fail "JSON edit"
import json
m = json.load(open("scan.json"))
for b in ("boundaryActual", "boundaryAverage", "boundaryPeak"):
    m[b]["levelDbm"] = [0.0 if f > 0 else l for f, l in zip(m[b]["freqMHz"], m[b]["levelDbm"])]
json.dump(m, open("high.json", "w"))
m["levelUnit"] = 1
m["resolution"] = 4
for t in ("traceActual", "traceAverage", "tracePeak"):
    m[t] = [v for v in m[t] for _ in (0, 1)]
json.dump(m, open("fine.json", "w"))
PY
"$convert" high.json high.mes && "$convert" fine.json fine.mes || fail "from JSON"
"$convert" --report pass.pdf high.mes fine.mes >out.txt 2>&1 || fail "converter report: $(cat out.txt)"
pdftotext -layout pass.pdf pass.txt
for text in "Verdict: PASS" "Page 5 of 5" "1. high.mes" "2. fine.mes" "500 points" "1000 points" "dBm" "dBuV"; do
    has pass.txt "$text"
done

# A cut-off measurement, or a folder that does not exist, gives exit status 2 and no file.
head -c 100 high.mes >cut.mes
"$convert" --report bad.pdf high.mes cut.mes >out.txt 2>&1
[ "$?" -eq 2 ] && [ ! -e bad.pdf ] || fail "cut-off input: $(cat out.txt)"
"$convert" --report none/bad.pdf high.mes >out.txt 2>&1
[ "$?" -eq 2 ] && [ ! -e none ] || fail "unwritable output: $(cat out.txt)"

# The same run with the remote server beside it (its line on the event loop) ends the same way, with its
# JSON report (whose fields tst_headless checks).
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
