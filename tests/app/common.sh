# What the shell tests share, sourced after they have set $program: a work folder that is removed at the end,
# with a server still running ended first; failures counted by fail.
work=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL $*"; fails=$((fails + 1)); }

# Starts a server without windows on the emulator whose messages go to $work/$1, with the further arguments,
# and sets $server and $port. Port 0: the system picks a free port, and the server says which.
start_server() {
    local log="$work/$1"
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --home "$work/home" --headless --emulator \
        --remote 0 "$@" 2>"$log" &
    server=$!
    port=""
    for _ in $(seq 100); do
        port=$(sed -n 's/^tk820-2: remote control on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log")
        [ -n "$port" ] && break
        sleep 0.1
    done
    [ -n "$port" ] || { cat "$log"; echo "FAIL the server did not start"; exit 1; }
}
