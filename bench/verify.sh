#!/usr/bin/env bash
# Whole-process timings of norvane verify, medians of 10 runs with hyperfine: a 10,000-QSO
# log against a 1,000,000-record database, and the 130 logs that the samples make thirteen
# times over, in one call (with that database too).
# usage: bench/verify.sh [BUILD-FOLDER]   (default build; needs hyperfine, scripts/deps.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/verify_bench" --data "$work"
norvane="$build/main/norvane --dir $work verify"
# Exit status 1 (findings with errors) is what the sample logs give.
hyperfine --runs 10 --warmup 1 -i --export-json "$work/verify.json" \
    "$norvane $work/big.edi" "$norvane $work/*-log-*.edi"

python3 - "$work/verify.json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"median {r['median'] * 1000:8.1f} ms  {r['command']}")
PY
