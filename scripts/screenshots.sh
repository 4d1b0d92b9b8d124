#!/usr/bin/env bash
# Takes the screenshots in docs/: the main window, the messages of an import and a check
# of a real contest log, that log dragged from a file manager onto the paste box, the
# antenna's context menu and the map window. Needs
# a build in build/, Xvfb, xdotool, xclip, ImageMagick, PCManFM and rotctld
# (apt-get install xvfb xdotool xclip imagemagick pcmanfm libhamlib-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
norvane=build/main/norvane
log=tests/data/edi/log-144mhz-large.edi
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

window() {
    timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" > /dev/null
    sleep 0.5
    xdotool search --onlyvisible --name "^$1\$" | tail -n1
}
click() { xdotool mousemove --window "$1" $(( $2 / 15 )) $(( $3 / 15 )) click 1; sleep 0.3; }
shot() { import -window "$2" "docs/$1.png"; }

# One station of the log is stored with a wrong locator, so the check has something to say.
printf 'JN81GD\r\n' > "$work/myloc.txt"
printf 'JN45AB Q1ABC\r\nJN95AA 9A4V\r\n\r\n' > "$work/norvane.txt"
"$norvane" --dir "$work" > /dev/null 2>&1 &
pids+=($!)
main=$(window "Norvane v1.2 - tamsel - 3 different Call")
xdotool windowmove "$main" 0 0

paste_log() {
    xclip -selection clipboard < "$log" > /dev/null 2>&1 &
    sleep 0.3
    click "$1" 3667 2527 # into the paste box
    xdotool key ctrl+v
    sleep 0.5
}

# Opens the log window with a main-window button, pastes the log and presses a log-window
# button; prints the log window's id.
run_log_command() { # main-button-x title log-button-x
    click "$main" "$1" 4387
    local win
    win=$(window "$2")
    xdotool windowmove "$win" 400 0
    paste_log "$win"
    click "$win" "$3" 4867
    echo "$win"
}

# Import: EDI --> DB, paste, Add EDI.
addwin=$(run_log_command 3007 "EDI Add to Database" 2647)
box=$(window "Norvane")
shot message-add-edi "$box"
xdotool windowfocus --sync "$box" key Return
sleep 0.3
click "$addwin" 4927 4867 # the log window's Exit

# Check: Check LOG, paste, Check.
run_log_command 1687 "EDI check" 1627 > /dev/null
box=$(window "Norvane")
shot message-check-locator "$box"
xdotool windowfocus --sync "$box" key Return
box=$(window "Norvane")
shot message-check-result "$box"
xdotool windowfocus --sync "$box" key Return
sleep 0.3
shot main-window-after-check "$main"

# The same log dragged from a file manager onto the paste box, then "Add EDI".
logs=/tmp/contest-logs # shown in the file manager
rm -rf "$logs"
mkdir -p "$logs" "$work/drop"
cp "$log" "$logs/"
printf 'JN81GD\r\n' > "$work/drop/myloc.txt"
printf 'JN45AB Q1ABC\r\nJN95AA 9A4V\r\n\r\n' > "$work/drop/norvane.txt"
click "$main" 4147 4387 # Exit
"$norvane" --dir "$work/drop" > /dev/null 2>&1 &
pids+=($!)
main=$(window "Norvane v1.2 - tamsel - 3 different Call")
xdotool windowmove "$main" 0 0
click "$main" 3007 4387 # EDI --> DB
addwin=$(window "EDI Add to Database")
xdotool windowmove "$addwin" 0 360
HOME=$work GIO_USE_VFS=local GVFS_DISABLE_FUSE=1 \
    dbus-run-session -- pcmanfm --no-desktop "$logs" > /dev/null 2>&1 &
pids+=($!)
files=$(window contest-logs)
xdotool windowmove "$files" 600 0 windowsize "$files" 600 400
sleep 1
# From the file's icon, the only one in the folder, into the paste box.
xdotool mousemove 805 100 sleep 0.3 mousedown 1 sleep 0.3
for i in $(seq 20); do xdotool mousemove $(( 805 - i * 28 )) $(( 100 + i * 21 )); sleep 0.05; done
xdotool mouseup 1
sleep 1
import -window root -crop 1200x720+0+0 docs/drop-log-file.png
click "$addwin" 2647 4867 # Add EDI
sleep 0.5
import -window root -crop 1200x720+0+0 docs/drop-log-file-added.png
cmp "$work/norvane.txt" "$work/drop/norvane.txt" # the same as the pasted log gave
rm -rf "$logs"
# The antenna turned from the main window's context menu, with Hamlib's dummy rotator.
click "$main" 4147 4387 # Exit
rotctld -m 1 -T 127.0.0.1 -t 45339 > /dev/null 2>&1 &
pids+=($!)
"$norvane" --dir "$work" --rotator 127.0.0.1:45339 > /dev/null 2>&1 &
pids+=($!)
main=$(window "Norvane v1.2 - tamsel - 3 different Call")
xdotool windowmove "$main" 0 0
click "$main" 4567 382 # the call field
xdotool type --delay 30 q1abc
xdotool key alt+j
sleep 11 # the dummy turns 6 degrees a second
xdotool mousemove --window "$main" 250 258 click 3
sleep 0.7
import -window root -crop 480x400+0+0 docs/rotator.png
xdotool key Escape
mkdir -p "$work/map"
# The map window (Ctrl+M) around JO40HD with the 200 stations that the key "D" lists from a
# made-up database (most within 600 km, a few farther out), the pointer over one of them.
printf 'JO40HD\r\n' > "$work/map/myloc.txt"
python3 - "$work/map/norvane.txt" <<'PY'
import random, sys
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
printf '[map]\nradius=1000\ngeometry=\n' > "$work/map/norvane.ini"

"$norvane" --dir "$work/map" > /dev/null 2>&1 &
pids+=($!)
main=$(window "Norvane v1.2 - tamsel - 200 different Call")
xdotool windowmove "$main" 0 0
click "$main" 4567 382 # the call field
xdotool type --delay 30 d
xdotool key ctrl+m
map=$(window "Norvane map - JO40HD")
xdotool windowsize "$map" 900 760 windowmove "$map" 0 0
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$map")"
xdotool mousemove --window "$map" $(( WIDTH / 2 + 130 )) $(( HEIGHT / 2 - 90 ))
sleep 0.5
import -window "$map" docs/map.png
echo "screenshots written to docs/"
