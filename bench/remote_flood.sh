#!/usr/bin/env bash
# Measured run: the remote server's memory while one client floods it with commands during 4000-point reads
# in fast mode (the emulated interface online at the rate of a fresh start), and how fast a second client's *IDN? is answered meanwhile.
# Usage: bench/remote_flood.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-15}
home=$(mktemp -d)
port=$((20000 + RANDOM % 20000))
(cd "$home" && exec "$build/bin/tk820-2" --home "$home" --headless --remote "127.0.0.1:$port" --emulator) 2>/dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
/usr/bin/python3 - "$port" "$pid" "$seconds" <<'PY'
import socket, sys, threading, time
port, pid, seconds = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
def rss_mb():
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) / 1024
for _ in range(100):
    try:
        setup = socket.create_connection(("127.0.0.1", port)); break
    except OSError:
        time.sleep(0.1)
setup.sendall(b"INST:CONN ON;SENS:RES 1;*OPC?\n")
setup.recv(100)
setup.sendall(b"INIT:CONT ON;SENS:FAST ON;*OPC?\n")
setup.recv(100)
start_rss = rss_mb()
flood = socket.create_connection(("127.0.0.1", port))
sent = 0
stop = time.monotonic() + seconds
def pour():
    global sent
    line = b"*OPC;FREQ:CENT 500;*WAI\n" * 1000
    flood.settimeout(0.5)
    while time.monotonic() < stop:
        try:
            sent += flood.send(line)
        except socket.timeout:
            pass
threading.Thread(target=pour, daemon=True).start()
peak, idn = start_rss, []
while time.monotonic() < stop:
    time.sleep(1)
    peak = max(peak, rss_mb())
    t = time.monotonic()
    setup.sendall(b"*IDN?\n")
    setup.recv(200)
    idn.append((time.monotonic() - t) * 1000)
print(f"flood of {seconds:.0f} s during 4000-point reads in fast mode: {sent / 1e6:.1f} MB taken by the "
      f"server's socket; memory {start_rss:.0f} MB before, at most {peak:.0f} MB; "
      f"*IDN? meanwhile median {sorted(idn)[len(idn) // 2]:.1f} ms, largest {max(idn):.1f} ms")
PY
