#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz > /dev/null # clang, in build-fuzz
targets=(fuzz_extract fuzz_bearing fuzz_addtxt fuzz_lookup fuzz_n1mm fuzz_wsjtx fuzz_lists fuzz_verify
         fuzz_adif fuzz_cabrillo fuzz_ediwriter)
cmake --build --preset fuzz --target "${targets[@]}"

# Seeds: the sample logs and each target's own corpus; findings go to build-fuzz/findings.
declare -A seeds=([fuzz_extract]="tests/data/edi fuzz/corpus/extract"
                  [fuzz_bearing]="fuzz/corpus/bearing"
                  [fuzz_addtxt]="fuzz/corpus/addtxt"
                  [fuzz_lookup]="fuzz/corpus/lookup"
                  [fuzz_n1mm]="fuzz/corpus/n1mm"
                  [fuzz_wsjtx]="fuzz/corpus/wsjtx"
                  [fuzz_lists]="fuzz/corpus/lists"
                  [fuzz_verify]="tests/data/edi"
                  [fuzz_adif]="fuzz/corpus/adif"
                  [fuzz_cabrillo]="fuzz/corpus/cabrillo"
                  [fuzz_ediwriter]="fuzz/corpus/ediwriter tests/data/edi")
mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    existing=()
    for d in ${seeds[$target]}; do [ -d "$d" ] && existing+=("$d"); done
    echo "== $target for ${seconds}s"
    log=build-fuzz/$target.log
    rc=0
    build-fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/"$target"- "$corpus" "${existing[@]}" > "$log" 2>&1 ||
        rc=$?
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
    if [ "$rc" -ne 0 ]; then
        tail -n 40 "$log"
        echo "$target found a fault (exit $rc): see build-fuzz/findings"
        exit 1
    fi
done
