#!/usr/bin/env bash
# norvane convert of a 10,000-QSO ADIF log to EDI, then norvane verify of the result, as
# whole processes with hyperfine (medians of 10 after one warm-up). The log is generated:
# one 2 m contest of 24 hours, six-character locators around JO60, serials both ways.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/big.adi" <<'PY'
import random, sys
random.seed(1)
letters = "ABCDEFGHIJKLMNOPQRSTUVWX"
with open(sys.argv[1], "w", newline="") as out:
    out.write("generated\r\n<ADIF_VER:5>3.1.4 <EOH>\r\n")
    for i in range(10000):
        call = "Q%d%s" % (i % 10, "".join(random.choice(letters) for _ in range(3)))
        grid = "JO%d%d%s%s" % (random.randint(0, 9), random.randint(0, 9),
                               random.choice(letters), random.choice(letters))
        minute = i * 144 // 1000
        fields = {"CALL": call, "GRIDSQUARE": grid, "MODE": "SSB", "RST_SENT": "59",
                  "RST_RCVD": "59", "STX": "%03d" % (i % 9999 + 1), "SRX": "%03d" % random.randint(1, 999),
                  "QSO_DATE": "2024050%d" % (4 + minute // 1440), "TIME_ON": "%02d%02d00" % (minute // 60 % 24, minute % 60),
                  "BAND": "2m", "FREQ": "144.300", "STATION_CALLSIGN": "Q1ABC", "MY_GRIDSQUARE": "JO60AB"}
        out.write(" ".join("<%s:%d>%s" % (k, len(v), v) for k, v in fields.items()) + " <EOR>\r\n")
PY
norvane="$build/main/norvane --dir $work"
hyperfine --runs 10 --warmup 1 -i --export-json "$work/convert.json" \
    "$norvane convert $work/big.adi -o $work/big.edi && $norvane verify $work/big.edi"

python3 - "$work/convert.json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"median {r['median'] * 1000:8.1f} ms  convert and verify, 10,000 QSOs")
PY
