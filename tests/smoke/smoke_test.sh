#!/usr/bin/env bash
# Starts the real program under Xvfb and drives it as an operator would: first start,
# start with a database, the log window's two modes, Exit and the title bar's close, and a
# start with a log to check, the map, the rotator. Each part is a CTest test of its own, so that they
# run side by side, each on an X server of its own.
# usage: smoke_test.sh NORVANE_BINARY CLOSE_WINDOW_BINARY [cli|windows|map|rotator|all] [SCREENSHOT_DIR]
set -euo pipefail

norvane=$1
close_window=$2
part=${3:-all}
shots=${4:-}
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
want() { [ "$part" = all ] || [ "$part" = "$1" ]; }

# The programs started here draw on our Xvfb, whatever platform the caller's shell chose.
unset QT_QPA_PLATFORM

if want cli; then
    echo "-- command-line errors: one line, exit status 2, no display and no locale needed"
    # env -i: what a container or a cron job gives, and Qt 6.8 warns about a missing UTF-8 locale.
    for args in --frob --dir --dir=; do # any other word is a log to open
        status=0; out=$(env -i PATH="$PATH" "$norvane" $args 2>&1) || status=$?
        [ "$status" = 2 ] && [ "$(wc -l <<< "$out")" = 1 ] || fail "norvane $args: $status, $out"
    done
    out=$(env -i PATH="$PATH" "$norvane" --version 2>&1)
    [[ $out =~ ^[0-9.]+$ ]] || fail "norvane --version without a locale: $out"
    echo "ok"
fi
[ "$part" != cli ] || { echo "smoke test passed"; exit 0; }

# A display of our own; -displayfd picks a free number.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# Waits for a visible window whose title is exactly $1 and prints its id.
window() {
    local id
    timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" > /dev/null ||
        fail "no window titled '$1'"
    sleep 0.3 # a new window may still be replaced while it settles: ask again
    id=$(xdotool search --onlyvisible --name "^$1\$" | tail -n1)
    [ -n "$id" ] || fail "window titled '$1' went away"
    echo "$id"
}

# Clicks at a point given in twips inside window $1 (15 twips = 1 pixel).
click() { xdotool mousemove --window "$1" $(( $2 / 15 )) $(( $3 / 15 )) click 1; }

ended() {
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    return 1
}

# Saves window $2 as $1.png when a screenshot folder was given.
shot() { [ -z "$shots" ] || import -window "$2" "$shots/$1.png"; }

# A database of three records, for the windows and the rotator.
data="$work/data"
mkdir -p "$data"
printf 'JN81GD\r\n' > "$data/myloc.txt"
printf 'JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJO60AB Q1DEF\r\n\r\n' > "$data/norvane.txt"
cp "$data/norvane.txt" "$work/database.before"

if want windows; then
    echo "-- first start asks for the own locator"
    first="$work/first"
    mkdir -p "$first"
    "$norvane" --dir "$first" > "$work/first.log" 2>&1 &
    app=$!; pids+=($app)
    prompt=$(window "Norvane v1.2")
    xdotool windowfocus --sync "$prompt" key Return
    main=$(window "Norvane v1.2 - tamsel")
    [ "$(od -An -c "$first/myloc.txt" | tr -s ' ')" = " j n 8 1 g d \r \n" ] ||
        fail "myloc.txt holds $(od -An -c "$first/myloc.txt")"
    [ ! -e "$first/norvane.txt" ] || fail "start-up created a database"
    click "$main" 4147 4387 # Exit
    ended "$app" || fail "Exit did not end the program"
    echo "ok"

    echo "-- start with a database of three records"
    out=$(env -u DISPLAY "$norvane" --dir "$data" lookup q1ab) || fail "lookup without a display: $?"
    grep -qx "Stations at JN45AB:" <<< "$out" || fail "lookup printed: $out"
    "$norvane" --dir "$data" > "$work/data.log" 2>&1 &
    app=$!; pids+=($app)
    main=$(window "Norvane v1.2 - tamsel - 4 different Call")
    click "$main" 4567 382 # the call field
    xdotool type --delay 30 q1ab
    sleep 0.5
    shot main-window "$main"

    echo "-- Check LOG and EDI --> DB open the log window in its two modes"
    click "$main" 1687 4387
    log=$(window "EDI check")
    shot log-window-check "$log"
    # Both windows open centred on the screen; move the log window off the main window.
    xdotool windowmove "$log" 0 0
    sleep 0.3
    click "$main" 3007 4387
    sleep 0.3
    [ "$(xdotool getwindowname "$log")" = "EDI Add to Database" ] || fail "log window not in add mode"

    echo "-- closing the main window by its title bar ends the program"
    "$close_window" "$main"
    ended "$app" || fail "closing the main window did not end the program"
    cmp -s "$data/norvane.txt" "$work/database.before" || fail "the database changed"
    echo "ok"

    echo "-- a log named on the command line opens in the log window, ready to check"
    "$norvane" --dir "$data" "$(dirname "$0")/../data/edi/log-144mhz-lf.edi" > "$work/edi.log" 2>&1 &
    app=$!; pids+=($app)
    window "EDI check" > /dev/null
    "$close_window" "$(window "Norvane v1.2 - tamsel - 4 different Call")"
    ended "$app" || fail "closing the main window did not end the program"
    cmp -s "$data/norvane.txt" "$work/database.before" || fail "the database changed"
    grep -v -e 'XDG_RUNTIME_DIR' "$work"/{data,first,edi}.log | grep -i -e warning -e error &&
        fail "the program complained"
    echo "ok"
fi

if want map; then
    echo "-- the map (Ctrl+M): hovering shows the locator under the pointer, a click types it"
    printf '[map]\nradius=500\n' > "$data/norvane.ini"
    "$norvane" --dir "$data" > "$work/map.log" 2>&1 &
    app=$!; pids+=($app)
    main=$(window "Norvane v1.2 - tamsel - 4 different Call")
    xdotool windowmove "$main" 0 0
    xdotool windowfocus --sync "$main" key ctrl+m
    map=$(window "Norvane map - JN81GD")
    xdotool windowmove "$map" 300 0
    sleep 0.3
    eval "$(xdotool getwindowgeometry --shell "$map")"
    # Above the middle: about 50 km north of JN81GD at this radius, still in JN81.
    hover() { xdotool mousemove --window "$map" $(( WIDTH / 2 )) $(( HEIGHT / 2 - 40 )); sleep 0.3; }
    hover
    copied() { xdotool key --clearmodifiers ctrl+a ctrl+c; sleep 0.3; xclip -o -selection clipboard; }
    # Into the status line under the map, which keeps what the pointer last showed.
    xdotool mousemove --window "$map" 100 $(( HEIGHT - 12 )) click 1
    status=$(copied)
    [[ $status =~ ^(JN81[A-X]{2})\ \ \ QTF\ [0-9]{1,3}°\ \ \ QRB\ [0-9]+\ km$ ]] ||
        fail "the status line says '$status'"
    hovered=${BASH_REMATCH[1]}
    hover
    xdotool click 1
    sleep 0.5
    click "$main" 1987 382 # the locator field
    field=$(copied)
    [ "$field" = "$hovered" ] || fail "the click typed '$field', the status line named $hovered"
    "$close_window" "$map"
    sleep 0.3
    grep -qx 'radius=500' "$data/norvane.ini" || fail "norvane.ini: $(cat "$data/norvane.ini")"
    "$close_window" "$main"
    ended "$app" || fail "closing the main window did not end the program"
    rm "$data/norvane.ini"
    echo "ok"
fi

if want rotator; then
    echo "-- with Hamlib's dummy rotator, Alt+J, Alt+L and Alt+K turn the antenna and stop it"
    rotport=
    for port in $(shuf -i 20000-60000 -n 20); do
        rotctld -m 1 -T 127.0.0.1 -t "$port" > /dev/null 2>&1 &
        pids+=($!)
        sleep 0.3
        if kill -0 "${pids[-1]}" 2> /dev/null; then rotport=$port; break; fi
    done
    [ -n "$rotport" ] || fail "rotctld did not start"
    azimuth() { rotctl -m 2 -r "127.0.0.1:$rotport" p | head -n1; }
    "$norvane" --dir "$data" --rotator "127.0.0.1:$rotport" > "$work/rotator.log" 2>&1 &
    app=$!; pids+=($app)
    main=$(window "Norvane v1.2 - tamsel - 4 different Call")
    click "$main" 4567 382
    xdotool type --delay 30 q1ab # QTF 305
    for step in "alt+j -1" "alt+l 1" "alt+k 0"; do
        read -r key direction <<< "$step"
        xdotool key "$key"
        sleep 0.5
        from=$(azimuth)
        sleep 1
        to=$(azimuth)
        # The dummy turns 6 degrees a second: toward -55 (305 the short way), then 125, then not.
        awk -v a="$from" -v b="$to" -v d="$direction" \
            'BEGIN { m = (b - a) * d; exit !(d == 0 ? (b - a) ^ 2 < 0.01 : m > 2) }' ||
            fail "after $key the antenna went from $from to $to"
    done
    shot rotator "$main"
    "$close_window" "$main"
    ended "$app" || fail "closing the main window did not end the program"
    grep -v -e 'XDG_RUNTIME_DIR' "$work/rotator.log" | grep -i -e warning -e error &&
        fail "the program complained"
    echo "ok"
fi
echo "smoke test passed"
