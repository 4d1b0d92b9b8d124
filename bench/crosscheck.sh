#!/usr/bin/env bash
# Whole-process timings of norvane crosscheck, medians of 10 runs with hyperfine, every report
# written: the 68 logs of the shared contest with its rules file, and a generated contest of
# 3,000 logs and 500,000 QSOs (crosscheck_bench --data), with its peak memory.
# usage: bench/crosscheck.sh [BUILD-FOLDER]   (default build; needs hyperfine, scripts/deps.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

contest=tests/data/contest
mkdir "$work/big"
"$build/bench/crosscheck_bench" --data "$work/big"
norvane="$build/main/norvane crosscheck"
# Exit status 1 (logs that fail the rules) is what the shared contest gives.
hyperfine --runs 10 --warmup 1 -i --export-json "$work/crosscheck.json" \
    --prepare "rm -rf $work/out" \
    "$norvane $contest/cupa-napoca-2016 --rules $contest/cupa-napoca-2016.rules -o $work/out" \
    "$norvane $work/big -o $work/out" "$norvane $work/big"

python3 - "$work/crosscheck.json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"median {r['median'] * 1000:8.1f} ms  {r['command']}")
PY
rm -rf "$work/out"
/usr/bin/time -f "peak memory %M KB, %e s: the generated contest, every report" \
    $norvane "$work/big" -o "$work/out" > /dev/null
