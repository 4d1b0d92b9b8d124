#!/usr/bin/env bash
# Builds the Debian package in a configured build folder and checks it as a distribution
# would: the desktop file and the AppStream metadata validate, lintian finds no error and
# no missing hardening, only runtime libraries are required, and the program unpacked into
# a scratch root finds its library and answers --version and --help, the latter with the
# per-user data folder of an installed program, and there names EDI logs by their type and
# offers itself for them.
# usage: package_test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -f "$build"/norvane_*.deb
cmake --build "$build" --target package
deb="$build/norvane_1.0.0.0_amd64.deb"
[ -f "$deb" ] || fail "$deb was not made"

echo "-- desktop-file-validate, appstreamcli, lintian"
desktop-file-validate packaging/norvane.desktop
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml
lintian_out=$(lintian --fail-on error --display-info "$deb") || fail "lintian: $lintian_out"
echo "$lintian_out"
# Hardening is not an error to lintian, but an installed program that parses logs needs it.
[[ "$lintian_out" != *hardening-* ]] || fail "the program is built without Debian's hardening"
# The program's own library is no shared library for others: ldconfig has no business with it.
[[ "$lintian_out" != *ldconfig* ]] || fail "the package runs ldconfig"

echo "-- only runtime libraries are required"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
[[ "$depends" == *libqt6widgets6* && "$depends" != *-dev* ]] || fail "Depends: $depends"

echo "-- the unpacked program runs"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
for file in bin/norvane share/applications/norvane.desktop share/mime/packages/norvane.xml \
            share/man/man1/norvane.1.gz \
            share/metainfo/io.github.norvane.norvane.metainfo.xml share/doc/norvane/copyright \
            share/icons/hicolor/{16x16,24x24,32x32,48x48}/apps/norvane.png \
            share/icons/hicolor/scalable/apps/norvane.svg; do
    [ -f "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done
[ "$(env -u DISPLAY "$root/usr/bin/norvane" --version)" = 1.0.0.0 ] || fail "--version"
# The commands beside the log commands, and the windows, are in the program's library.
mkdir "$root/data"
[ "$(env -u DISPLAY "$root/usr/bin/norvane" --dir "$root/data" lookup Q1ABC)" = \
  "Locators of Q1ABC:" ] || fail "the unpacked program does not find its library"

# Unpacked, it is an installation under another prefix: the data go to the per-user folder.
help=$(env -u DISPLAY -u XDG_DATA_HOME HOME="$root/home" "$root/usr/bin/norvane" --help)
grep -qxF "Data folder: $root/home/.local/share/norvane" <<< "$help" ||
    fail "--help names another data folder: $help"
[ ! -e "$root/home" ] || fail "--help created the data folder"
echo "-- EDI logs: their type, by name and by content, and the program for it"
XDG_DATA_DIRS="$root/usr/share" update-mime-database "$root/usr/share/mime"
update-desktop-database "$root/usr/share/applications"
printf '\357\273\277[REG1TEST;1]\r\n' > "$root/log-with-bom" # no .edi: the content tells
# No desktop environment: xdg-mime asks the shared MIME database of XDG_DATA_DIRS alone.
xdg() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION HOME="$root/home" \
        XDG_DATA_DIRS="$root/usr/share" xdg-mime "$@"
}
for log in tests/data/edi/log-144mhz-large.edi "$root/log-with-bom"; do
    type=$(xdg query filetype "$log")
    [ "$type" = text/x-reg1test ] || fail "$log is $type"
done
[ "$(xdg query default text/x-reg1test)" = norvane.desktop ] || fail "no program for EDI logs"
echo "package test passed"
