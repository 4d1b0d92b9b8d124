#!/usr/bin/env bash
# Takes docs/map.png: the map window around JO40HD with the 200 stations that the key "D"
# lists from a made-up database, the pointer over one of them. Needs a build in build/,
# Xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
norvane=build/main/norvane
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

window() {
    timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" > /dev/null
    sleep 0.5
    xdotool search --onlyvisible --name "^$1\$" | tail -n1
}

# 200 stations with D calls, most within 600 km of JO40HD, a few farther out.
printf 'JO40HD\r\n' > "$work/myloc.txt"
python3 - "$work/norvane.txt" <<'PY'
import math, random, sys
random.seed(26)
lines = []
for i in range(200):
    far = i % 10 == 0
    lon = 8.6 + random.gauss(0, 9 if far else 3.5)
    lat = 50.1 + random.gauss(0, 5 if far else 2.2)
    x, y = (lon + 180) * 12, (lat + 90) * 24
    locator = (chr(65 + int(x // 240)) + chr(65 + int(y // 240)) + str(int(x // 24 % 10)) +
               str(int(y // 24 % 10)) + chr(65 + int(x % 24)) + chr(65 + int(y % 24)))
    call = random.choice("LKJFCGHMOBAQR") + str(random.randint(0, 9)) + "".join(
        random.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(random.randint(2, 3)))
    lines.append(f"{locator} D{call}")
open(sys.argv[1], "w", newline="").write("\r\n".join(lines) + "\r\n")
PY
printf '[map]\nradius=1000\ngeometry=\n' > "$work/norvane.ini"

"$norvane" --dir "$work" > /dev/null 2>&1 &
pids+=($!)
main=$(window "Norvane v1.2 - tamsel - 200 different Call")
xdotool windowmove "$main" 0 0
xdotool mousemove --window "$main" $(( 4567 / 15 )) $(( 382 / 15 )) click 1 # the call field
xdotool type --delay 30 d
xdotool key ctrl+m
map=$(window "Norvane map - JO40HD")
xdotool windowsize "$map" 900 760 windowmove "$map" 0 0
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$map")"
xdotool mousemove --window "$map" $(( WIDTH / 2 + 130 )) $(( HEIGHT / 2 - 90 ))
sleep 0.5
import -window "$map" docs/map.png
echo "docs/map.png written"
