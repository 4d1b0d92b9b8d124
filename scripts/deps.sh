#!/usr/bin/env bash
# Installs what building, running and testing Norvane needs on Debian 12 or 13, and
# nothing when it is all there already. Every name below exists on both releases.
# usage: scripts/deps.sh [APT-GET-OPTION...] [PACKAGE...]   (packages: instead of the list below)
set -euo pipefail

apt_options=()
while [[ ${1:-} == -* ]]; do apt_options+=("$1"); shift; done
packages=("$@")
[ $# -gt 0 ] || packages=(
    cmake ninja-build g++ pkg-config
    ccache                            # rebuilds, and the second build folder, reuse objects
    qt6-base-dev libgl-dev            # Qt 6 Core and Widgets
    fonts-dejavu-core                 # a font for the windows to draw text with
    libgtest-dev libgmock-dev         # tests
    libbenchmark-dev                  # benchmarks
    xvfb xdotool libx11-dev           # the smoke test of the real window
    xclip                             #   reads the map's status line and the locator field
    # Fuzz targets (libFuzzer). libclang-rt-dev, not a versioned name: it follows the
    # release's default clang (14 on Debian 12, 19 on Debian 13).
    clang libclang-rt-dev
    clang-format                      # 14 on Debian 12, the one the layout check runs with
    dpkg-dev file lintian             # the Debian package: dependencies, checks
    desktop-file-utils appstream      # validators of the menu entry and the metainfo
    shared-mime-info xdg-utils        # the EDI logs' file type as a file manager sees it
    libfile-mimeinfo-perl             #   (without a desktop, xdg-mime asks its mimetype)
    libhamlib-utils                   # rotctld, the rotator the station tests turn
    hyperfine                         # whole-process timings (bench/lists.sh)
    hamradio-files                    # cty.dat: the countries "norvane verify" counts
    chromium                          # loads the cross-check's HTML pages in a test
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${apt_options[@]}" "${missing[@]}"
