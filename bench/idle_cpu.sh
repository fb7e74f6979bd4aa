#!/usr/bin/env bash
# Measured run: the program's processor use while automatic measurement runs with the port closed.
# Usage: bench/idle_cpu.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-20}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A valid parameter file, so that start-up shows no message.
printf 'par01\x01%-160s\x01\x14\x02' "" > "$home/TK820-2.par"
QT_QPA_PLATFORM=offscreen "$build/bin/tk820-2" --home "$home" &
pid=$!
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
kill "$pid"
wait "$pid" 2>/dev/null || true
awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$seconds" \
    'BEGIN { cpu = (b - a) / hz; printf "idle with the port closed: %.2f s processor in %d s = %.2f %%\n", cpu, s, 100 * cpu / s }'
