#!/usr/bin/env bash
# CPU of the whole program per key in the real window under Xvfb, from
# /proc/PID/task/*/schedstat: "Q" into the empty call field (every station), "5" after "QA"
# (a three-character call prefix), "4" after "JN" in the locator field (a quarter of the
# stations); and the time from the start until the window shows. Each key is typed RUNS
# times; the CPU of as long a pause without a key is taken off. Printed: the first key of
# each kind after start-up, the median of the later ones, and the key typed 1.5 s after
# another program replaced the file by a rename.
# usage: bench/key_cpu.sh [BUILD-FOLDER [RECORDS... ]]   (default build 150000 1000000 4000000)
# Needs Xvfb and xdotool; RUNS=N in the environment (default 7), KEYS="JN4" for some keys only,
# MAP=1 to have the map window open below the main window, following every key.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(150000 1000000 4000000)
runs=${RUNS:-7}
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
. bench/xvfb.sh

cpu_ns() { # the whole program: every thread
    cat /proc/"$1"/task/*/schedstat 2> /dev/null | awk '{s += $1} END {printf "%d\n", s}'
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

for records in "${sizes[@]}"; do
    data="$work/$records"
    mkdir -p "$data"
    "$build/bench/lists_data" "$data" "$records" 10 > /dev/null
    rm "$data/CALL3.TXT"
    started=$(date +%s%N)
    "$build/main/norvane" --dir "$data" > "$work/log" 2>&1 &
    app=$!
    pids+=("$app")
    timeout 20 xdotool search --sync --onlyvisible --name '^Norvane v1.2' > /dev/null
    shown_ms=$(( ($(date +%s%N) - started) / 1000000 ))
    main=$(xdotool search --onlyvisible --name '^Norvane v1.2' | tail -n1)
    xdotool windowmove --sync "$main" 0 0
    sleep 1
    if [ -n "${MAP:-}" ]; then
        xdotool mousemove --window "$main" 300 24 click 1 key ctrl+m
        map=$(timeout 20 xdotool search --sync --onlyvisible --name '^Norvane map' | head -n1)
        xdotool windowmove --sync "$map" 0 400
        sleep 1
    fi

    # One key at (X, Y) after PREFIX typed there: CPU of the key, in ms, less an idle pause.
    # With REPLACE, another program saves the file after the idle pause, 1.5 s before the
    # key: what the program does meanwhile is its own, and counts only if it is not done by
    # the key.
    key_ms() { # X Y PREFIX KEY [REPLACE]
        xdotool mousemove --window "$main" "$1" "$2" click 1 key ctrl+a BackSpace
        [ -z "$3" ] || xdotool type "$3"
        sleep 0.6
        local idle0 idle1 key0 key1
        idle0=$(cpu_ns "$app")
        sleep 0.5
        idle1=$(cpu_ns "$app")
        if [ -n "${5:-}" ]; then
            cp "$data/norvane.txt" "$data/saved.tmp"
            printf 'JN45AB QZ%s\r\n' "$RANDOM" >> "$data/saved.tmp"
            mv "$data/saved.tmp" "$data/norvane.txt"
            sleep 1.5
        fi
        key0=$(cpu_ns "$app")
        xdotool key "$4"
        sleep 0.5
        key1=$(cpu_ns "$app")
        awk -v k=$((key1 - key0)) -v i=$((idle1 - idle0)) 'BEGIN {printf "%.2f\n", (k - i) / 1e6}'
    }
    for row in "Q|300 24||q" "QA5|300 24|qa|5" "JN4|130 24|jn|4"; do
        IFS='|' read -r name xy prefix keyname <<< "$row"
        [[ " ${KEYS:-Q QA5 JN4} " == *" $name "* ]] || continue
        read -r x y <<< "$xy"
        values=()
        for _ in $(seq "$runs"); do values+=("$(key_ms "$x" "$y" "$prefix" "$keyname")"); done
        printf '%-8s %9s records%s: first %7s, later: median %7s ms of CPU  (%s)\n' "$name" \
            "$records" "${MAP:+, map open}" "${values[0]}" \
            "$(printf '%s\n' "${values[@]:1}" | median)" "${values[*]:1}"
    done
    for row in "Q|300 24||q" "QA5|300 24|qa|5" "JN4|130 24|jn|4"; do
        IFS='|' read -r name xy prefix keyname <<< "$row"
        [[ " ${KEYS:-Q QA5 JN4} " == *" $name "* ]] || continue
        read -r x y <<< "$xy"
        printf '%-8s %9s records: first after a replacement %7s ms of CPU\n' "$name" \
            "$records" "$(key_ms "$x" "$y" "$prefix" "$keyname" replace)"
    done
    printf 'start-up %9s records: window shown after %s ms, %s MB resident\n' "$records" \
        "$shown_ms" "$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' /proc/"$app"/status)"
    kill "$app"
    wait "$app" 2> /dev/null || true
    rm -rf "$data"
done
