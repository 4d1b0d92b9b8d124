#!/usr/bin/env bash
# The loggers' feeds in the real window under Xvfb: how soon a datagram's call shows in the
# call field, how long a key takes while 100,000 random and malformed datagrams arrive, and
# the CPU used while idle and listening. Not part of CI: it takes about a minute.
# usage: bench/station_window.sh [NORVANE_BINARY]   (needs Xvfb, xdotool, xclip, python3)
set -euo pipefail
cd "$(dirname "$0")/.."
norvane=$(realpath "${1:-build/main/norvane}")
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
. bench/xvfb.sh

n1mm=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
wsjtx=$((n1mm + 1))
printf 'JN81GD\r\n' > "$work/myloc.txt"
printf 'JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJO60AB Q1DEF\r\n\r\n' > "$work/norvane.txt"
"$norvane" --dir "$work" --listen "n1mm:$n1mm" --listen "wsjtx:$wsjtx" > "$work/log" 2>&1 &
app=$!
pids+=("$app")
timeout 10 xdotool search --sync --onlyvisible --name '^Norvane v1.2' > /dev/null
sleep 1
main=$(xdotool search --onlyvisible --name '^Norvane v1.2' | tail -n1)
xdotool windowmove "$main" 0 0
sleep 0.5

# The call field's text, as the window holds it: selected and copied.
call_field() {
    xdotool mousemove --window "$main" 300 24 click 1 key ctrl+a ctrl+c
    xclip -o -selection clipboard 2> /dev/null || true
}
send() { # PORT KIND CALL [GRID]
    python3 - "$@" << 'PY'
import socket, struct, sys
port, kind, call = int(sys.argv[1]), sys.argv[2], sys.argv[3]
grid = sys.argv[4] if len(sys.argv) > 4 else ""
def utf8(s):
    b = s.encode()
    return struct.pack(">I", len(b)) + b
if kind == "n1mm":
    data = f"<lookupinfo><call>{call}</call><gridsquare>{grid}</gridsquare></lookupinfo>".encode()
else:
    data = (struct.pack(">III", 0xADBCCBDA, 2, 1) + utf8("WSJT-X") + struct.pack(">Q", 144174000)
            + utf8("FT8") + utf8(call) + utf8("-10") + utf8("FT8") + bytes([1, 0, 1])
            + struct.pack(">II", 1200, 1500) + utf8("Q1DE") + utf8("JN81") + utf8(grid))
socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(data, ("127.0.0.1", port))
PY
}

echo "-- a datagram's call in the call field: read 100 ms after it was sent"
for row in "$n1mm n1mm q1abc" "$wsjtx wsjtx Q9ZZ JO60" "$n1mm n1mm q1axy" "$wsjtx wsjtx Q1DEF"; do
    read -r port kind call grid <<< "$row"
    send "$port" "$kind" "$call" ${grid:+"$grid"}
    sleep 0.1
    shown=$(call_field)
    printf '%-6s %-6s -> %s %s\n' "$kind" "$call" "$shown" \
        "$([ "$shown" = "${call^^}" ] && echo "(in time)" || echo "(NOT YET)")"
done

# A key typed into the call field, until the field shows it (xdotool and xclip included).
key_ms() {
    local started
    started=$(date +%s%N)
    xdotool mousemove --window "$main" 300 24 click 1 key End type "$1"
    until [[ "$(call_field)" == *"$1" ]]; do :; done
    echo $(( ($(date +%s%N) - started) / 1000000 ))
}
echo "-- keys without datagrams: $(key_ms 1) $(key_ms 2) $(key_ms 3) ms"

echo "-- 100,000 random and malformed datagrams, as fast as the loopback takes them"
python3 - "$n1mm" "$wsjtx" << 'PY' &
import os, random, socket, struct, sys
n1mm, wsjtx = int(sys.argv[1]), int(sys.argv[2])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
rng = random.Random(1)
import time
started = time.monotonic()
for i in range(100000):
    kind = i % 4
    if kind == 0:
        data = os.urandom(rng.randrange(1, 1400))
    elif kind == 1:
        data = struct.pack(">IIII", 0xADBCCBDA, 3, 1, 0x7FFFFFFF)
    elif kind == 2:
        data = b"<lookupinfo>" + b"<x/>" * rng.randrange(1, 990) + b"<call>Q1"
    else:
        data = b"<" * 60000
    try:
        s.sendto(data, ("127.0.0.1", n1mm if i % 2 else wsjtx))
    except OSError:
        pass
print(f"(100,000 datagrams sent in {time.monotonic() - started:.1f} s)")
PY
flood=$!
echo "keys meanwhile: $(key_ms 4) $(key_ms 5) $(key_ms 6) ms"
wait "$flood" || true

# The caret blinking in a focused field costs a little CPU in any program: the window is left
# without focus, as behind the logger's, for the count.
echo "-- CPU while idle and listening, 30 s"
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
xdotool mousemove 900 700 click 1
sleep 2
before=$(ticks)
sleep 30
echo "CPU ticks used in 30 s: $(( $(ticks) - before )) (of $(getconf CLK_TCK) a second)"
