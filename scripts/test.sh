#!/usr/bin/env bash
# Builds Norvane with warnings as errors, runs every test and checks its Debian package,
# then builds it again with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test once more, and runs each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== build and test (warnings are errors)"
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVANE_WERROR=ON
cmake --build build-ci -j "$jobs"
ctest --test-dir build-ci --output-on-failure -j "$jobs"

echo "== the Debian package: validators, lintian, the unpacked program"
scripts/package_test.sh build-ci

echo "== sources follow .clang-format"
cmake --build build-ci --target format-check

echo "== build and test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNORVANE_WERROR=ON \
      -DNORVANE_SANITIZE=ON -DNORVANE_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz targets, 30 seconds each"
if command -v clang++ > /dev/null; then
    scripts/fuzz.sh 30
else
    echo "clang++ not found: fuzz targets skipped (scripts/deps.sh installs it)"
fi

echo "== all tests passed"
