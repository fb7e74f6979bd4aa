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
# Beyond the machine itself only with a list of who may come in; a wrong list or address is no server.
check remote-outside 2 'needs --remote-allow' "$program" --headless --remote 0.0.0.0:0
check remote-bad-cidr 2 'no address or CIDR block' "$program" --headless --remote 0 --remote-allow 10.0.0.0/99
check remote-bad-address 2 'is no address' "$program" --headless --remote nowhere:0
check remote-missing-dir 2 'does not exist' "$program" --headless --remote 0 --remote-dir /nonexistent/x
[ "$fails" -eq 0 ] && echo "10 passed, 0 failed" || { echo "$((10 - fails)) passed, $fails failed"; exit 1; }
