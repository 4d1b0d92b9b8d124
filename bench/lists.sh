#!/usr/bin/env bash
# Whole-process timings of the list commands, medians of 5 runs with hyperfine: an export
# of a 1,000,000-record database as an N1MM call history (to standard output), and an
# import of a 150,000-line CALL3.TXT into it, beside `sort -u` of the same CALL3.TXT as the
# yardstick. Each import starts from the same database again.
# usage: bench/lists.sh [BUILD-FOLDER]   (default build; needs hyperfine, scripts/deps.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/lists_data" "$work"
cp "$work/norvane.txt" "$work/before.txt"
norvane="$build/main/norvane --dir $work"

hyperfine --runs 5 --warmup 1 --export-json "$work/export.json" "$norvane export n1mm"
hyperfine --runs 5 --warmup 1 --export-json "$work/import.json" \
    --prepare "cp $work/before.txt $work/norvane.txt" \
    "$norvane import $work/CALL3.TXT" "sort -u $work/CALL3.TXT"

python3 - "$work/export.json" "$work/import.json" <<'PY'
import json, sys
results = [r for path in sys.argv[1:] for r in json.load(open(path))["results"]]
for r in results:
    print(f"median {r['median'] * 1000:8.1f} ms  {r['command']}")
importing, sorting = results[1]["median"], results[2]["median"]
print(f"import / sort -u: {importing / sorting:.1f}")
PY
