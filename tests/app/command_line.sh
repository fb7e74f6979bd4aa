#!/usr/bin/env bash
# The command-line answers need no display: run with neither DISPLAY nor a Qt platform set.
set -u
program="$1"
fails=0
check() {  # name, expected exit status, expected text on stdout or stderr, command...
    local name="$1" status="$2" pattern="$3"
    shift 3
    local out rc
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2>&1)
    rc=$?
    if [ "$rc" -ne "$status" ] || ! grep -q -- "$pattern" <<<"$out"; then
        echo "FAIL $name: exit $rc (want $status), output: $out"
        fails=$((fails + 1))
    fi
}
check version 0 '^tk820-2 2.68$' "$program" --version
check help 0 '^Usage: tk820-2' "$program" --help
check unknown-option 2 'unknown option --frobnicate' "$program" --frobnicate
check usage-on-error 2 '^Usage: tk820-2' "$program" --port COM9=/dev/null
check emulator-option 2 'tk820-2: ' "$program" --emu-nonsense=1
check help-path 0 '/TK820_2E.hlp$' "$program" --help-path
[ "$fails" -eq 0 ] && echo "6 passed, 0 failed" || { echo "$((6 - fails)) passed, $fails failed"; exit 1; }
