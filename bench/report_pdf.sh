#!/usr/bin/env bash
# Measured run: time and size of a 10-scan test report. The example campaign is run once without windows;
# its two measurements, at 500 and (converted) 4000 points, make the ten scans, and tk820-convert --report
# writes the report five times; the median wall time and the file's size are printed.
# Usage: bench/report_pdf.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/bin/tk820-2" --home "$work/home" --headless --emulator "$root/examples/scripts/campaign.scp" >/dev/null 2>&1 || true
"$build/tools/tk820-convert" campaign-scan1.mes scan.json
/usr/bin/python3 - <<'PY'
import json
m = json.load(open("scan.json"))
m["resolution"] = 1
for t in ("traceActual", "traceAverage", "tracePeak"):
    m[t] = [v for v in m[t][:500] for _ in range(8)]
json.dump(m, open("fine.json", "w"))
PY
"$build/tools/tk820-convert" fine.json fine.mes
inputs=()
for i in 1 2 3 4 5; do
    cp campaign-scan1.mes "a$i.mes"; cp fine.mes "b$i.mes"; inputs+=("a$i.mes" "b$i.mes")
done
/usr/bin/python3 - "$build/tools/tk820-convert" "${inputs[@]}" <<'PY'
import os, statistics, subprocess, sys, time
convert, inputs = sys.argv[1], sys.argv[2:]
times = []
for _ in range(5):
    start = time.perf_counter()
    subprocess.run([convert, "--report", "r.pdf", *inputs], check=True)
    times.append(time.perf_counter() - start)
pages = subprocess.run(["pdfinfo", "r.pdf"], capture_output=True, text=True).stdout
pages = [l.split()[-1] for l in pages.splitlines() if l.startswith("Pages:")][0]
print(f"10-scan report: {pages} pages, {os.path.getsize('r.pdf') / 1e6:.2f} MB, "
      f"median {statistics.median(times):.2f} s (of {', '.join(f'{t:.2f}' for t in times)})")
PY
