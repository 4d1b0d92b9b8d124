#!/usr/bin/env bash
# The quick run: builds Norvane with warnings as errors (preset dev, in build/), runs every
# test (unit, scenario, offscreen window, and the real window under Xvfb), checks the
# sources' layout and the Debian package.
# --deep adds what CI runs on every change: the whole suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer (preset asan), and each fuzz target for 30 seconds.
# usage: scripts/test.sh [--deep]
set -euo pipefail
cd "$(dirname "$0")/.."
deep=false
case "${1:-}" in
"") ;;
--deep) deep=true ;;
*) echo "usage: scripts/test.sh [--deep]" >&2; exit 2 ;;
esac
jobs=$(nproc)
started=$SECONDS
# Paths relative to the clone, so that another clone (CI's) finds what this one compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
took() { echo "   ($(( SECONDS - $1 )) s)"; }
# Configures, builds and tests one preset: $1, under the title $2.
suite() {
    local step=$SECONDS
    echo "== $2"
    cmake --preset "$1" > /dev/null
    cmake --build --preset "$1" -j "$jobs"
    ctest --preset "$1" -j "$jobs"
    took "$step"
}

suite dev "build and test (warnings are errors)"

step=$SECONDS
echo "== sources follow .clang-format"
cmake --build --preset dev --target format-check
echo "== the Debian package: validators, lintian, the unpacked program"
scripts/package_test.sh build
took "$step"

if $deep; then
    suite asan "build and test under AddressSanitizer + UndefinedBehaviorSanitizer"

    step=$SECONDS
    echo "== fuzz targets, 30 seconds each"
    if command -v clang++ > /dev/null; then
        scripts/fuzz.sh 30
    else
        echo "clang++ not found: fuzz targets skipped (scripts/deps.sh installs it)"
    fi
    took "$step"
fi

echo "== all tests passed$($deep && echo ", deep run") in $(( SECONDS - started )) s"
