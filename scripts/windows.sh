#!/usr/bin/env bash
# Builds the Windows program on Debian: cross-compiles Norvane for 64-bit Windows with
# MinGW-w64 and a static Qt, runs every test under Wine, checks QtNetwork under Wine, starts
# the real window under Wine on Xvfb, packs the portable zip, builds the installer and checks
# it in a fresh Wine prefix.
# usage: scripts/windows.sh [--no-kit-build]
#
# The Qt kit: NORVANE_QT_MINGW (an unpacked kit), else qt6-mingw-static-6.4.2.tar.xz from
# NORVANE_TOOLCHAINS (default: shared/toolchains beside the repository) unpacked into
# ~/.cache/norvane, else built there from Debian's source with scripts/build-qt6-mingw.sh
# (half an hour; --no-kit-build skips the whole script instead). A kit without QtNetwork
# gets it in a copy, ~/.cache/norvane/qt6-mingw-static-network, built once (a few minutes).
#
# Writes build-win/norvane-VERSION-win64.zip, build-win/norvane-VERSION-setup.exe,
# build-win/windows.png and build-win/windows-installer.png.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
out=$repo/build-win
cache=${XDG_CACHE_HOME:-$HOME/.cache}/norvane
toolchains=${NORVANE_TOOLCHAINS:-$repo/../shared/toolchains}
tarball=$toolchains/qt6-mingw-static-6.4.2.tar.xz
jobs=$(nproc)
started=$(date +%s)

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $* ($(( $(date +%s) - started )) s)"; }

# -- the Qt kit ----------------------------------------------------------------------------
if [ -n "${NORVANE_QT_MINGW:-}" ]; then
    base=$(realpath "$NORVANE_QT_MINGW")
elif [ -f "$tarball" ]; then
    base=$cache/qt6-mingw-static
    source_stamp=$(stat -c '%s %Y' "$tarball")
    if [ "$(cat "$base/.unpacked-from" 2> /dev/null)" != "$source_stamp" ]; then
        step "unpacking $tarball into $cache"
        mkdir -p "$cache"
        unpack=$(mktemp -d "$cache/unpack.XXXXXX")
        tar -C "$unpack" -xJf "$tarball"
        echo "$source_stamp" > "$unpack/qt6-mingw-static/.unpacked-from"
        rm -rf "$base"
        mv "$unpack/qt6-mingw-static" "$base"
        rmdir "$unpack"
    fi
elif [ "${1:-}" = --no-kit-build ]; then
    echo "no Qt kit for MinGW (NORVANE_QT_MINGW, $tarball): Windows build skipped"
    exit 0
else
    base=$cache/qt6-mingw-static
    if [ ! -f "$base/mingw-w64-x86_64-toolchain.cmake" ]; then
        step "building the Qt kit from Debian's source (about 30 minutes)"
        TOP=$cache/qt6-mingw-work SRCAPT=$cache/qt6-source PREFIX=$base \
            STAGES="deps source toolchain configure build install" bash scripts/build-qt6-mingw.sh
    fi
fi
[ -f "$base/mingw-w64-x86_64-toolchain.cmake" ] ||
    fail "$base is no Qt kit for MinGW: it has no mingw-w64-x86_64-toolchain.cmake"

# -- tools ---------------------------------------------------------------------------------
# Wine's recommendations (sound, video, 3D: 70 packages) are not needed. fonts-wine gives
# Tahoma, the font Windows programs ask Wine for; googletest is GoogleTest's source; Debian's
# own Qt, perl and patch build QtNetwork; rotctld is the Linux program started from Wine;
# nsis makes the installer; xclip reads what the installed program copies.
step "tools"
scripts/deps.sh --no-install-recommends cmake ninja-build g++-mingw-w64-x86-64-posix \
    mingw-w64-tools googletest wine wine64 fonts-wine fonts-liberation xvfb xdotool \
    imagemagick icoutils zip xz-utils qt6-base-dev qt6-base-dev-tools perl patch \
    libhamlib-utils nsis xclip hamradio-files

# -- QtNetwork -----------------------------------------------------------------------------
# Added to a copy of the kit, never to the kit itself; built again when the kit or the
# script that builds it changes.
if [ -d "$base/lib/cmake/Qt6Network" ]; then
    kit=$base
else
    kit=$cache/qt6-mingw-static-network
    stamp="$(stat -c '%s %Y' "$base/lib/libQt6Core.a") $(sha256sum < scripts/build-qt6-mingw.sh)"
    if [ "$(cat "$kit/.built-from" 2> /dev/null)" != "$stamp" ]; then
        step "QtNetwork for the kit, into $kit"
        mkdir -p "$cache"
        top=$(mktemp -d "$cache/qt6-network-work.XXXXXX")
        TOP=$top SRCAPT=$cache/qt6-source BASEKIT=$base NETKIT=$kit \
            STAGES="source network" bash scripts/build-qt6-mingw.sh > /dev/null ||
            { tail -n 40 "$top/build.log"; fail "QtNetwork did not build (log: $top/build.log)"; }
        echo "$stamp" > "$kit/.built-from"
        rm -rf "$top" # the source download stays, in qt6-source
    fi
fi
toolchain=$kit/mingw-w64-x86_64-toolchain.cmake
echo "Qt kit: $kit"
# A build folder configured with another kit would go on finding that one.
for folder in "$out/norvane"; do
    grep -q -F "Qt6_DIR:PATH=$kit/" "$folder/CMakeCache.txt" 2> /dev/null || rm -f "$folder/CMakeCache.txt"
done

# -- build ---------------------------------------------------------------------------------
step "GoogleTest for Windows"
if [ ! -f "$out/gtest/lib/libgtest.a" ]; then
    cmake -S /usr/src/googletest -B "$out/gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$out/gtest" -DBUILD_GMOCK=OFF \
        > /dev/null
    cmake --build "$out/gtest-build" -j "$jobs"
    cmake --install "$out/gtest-build" > /dev/null
fi

step "Norvane for Windows (warnings are errors)"
NORVANE_QT_MINGW=$kit cmake --preset windows > /dev/null # in $out/norvane
cmake --build --preset windows -j "$jobs"

# -- Wine ----------------------------------------------------------------------------------
# Wine hands the Unix environment's QT_X to Windows programs only as WINEQT_X; file names
# and arguments go through the Unix locale, so it must be UTF-8 for names like Zoë.
export WINEPREFIX=$out/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8 WINEQT_FORCE_STDERR_LOGGING=1
export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\liberation' # offscreen: FreeType fonts
pids=()
work=$(mktemp -d)
cleanup() {
    wineserver -k 2> /dev/null || true # this prefix's Windows programs and its server
    for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
# Makes the Wine prefix WINEPREFIX unless it is there already.
make_prefix() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    [ ! -f "$fonts/marlett.ttf" ] || return 0 # the prefix's last step
    step "a Wine prefix in $WINEPREFIX"
    wineboot -i > /dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f > /dev/null
    wineserver -w
    # Debian's Wine does not find the fonts of fonts-wine by itself: Tahoma for the texts,
    # Marlett for the title bar's buttons, which Wine draws itself (no window manager here).
    cp /usr/share/wine/fonts/{tahoma,tahomabd,marlett}.ttf "$fonts/"
}
# The newest visible window whose title matches. Wine makes and drops helper windows while
# a program starts, which can fail a search: ask again.
find_window() {
    local id
    for _ in $(seq 120); do
        id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | tail -n1) || true
        [ -z "$id" ] || { echo "$id"; return 0; }
        sleep 0.5
    done
    fail "no window titled '$1'"
}
make_prefix
# One server for all tests, and Wine's own services started now: started by the first test,
# they would keep its output pipe open and CTest would wait for them.
wineserver -k 2> /dev/null || true # one left by an interrupted run
wineserver -p
wineboot < /dev/null > /dev/null 2>&1

step "every test under Wine"
# The station tests start Debian's rotctld from the Windows side and reach it on 127.0.0.1.
ctest --preset windows -j "$jobs"

# -- the portable program ------------------------------------------------------------------
step "the portable zip"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/norvane/CMakeCache.txt")
name=norvane-$version-win64
rm -rf "${out:?}/$name" "$out/$name.zip"
mkdir "$out/$name"
exe=$out/$name/norvane.exe
x86_64-w64-mingw32-strip -o "$exe" "$out/norvane/main/norvane.exe"
sed 's/$/\r/' packaging/windows/README.txt > "$out/$name/README.txt"
sed 's/$/\r/' LICENSE > "$out/$name/LICENSE.txt"
# The country file that "verify" counts DXCC with, and its MIT licence, from hamradio-files.
cp /usr/share/hamradio-files/cty.dat "$out/$name/cty.dat"
{
    echo "cty.dat: Copyright (c) 1994- Jim Reisert AD1C, https://www.country-files.com"
    echo
    awk '/^License: MIT$/ { text = 1; next } text && /^ / { sub(/^ (\.$)?/, ""); print; next } { text = 0 }' \
        /usr/share/doc/hamradio-files/copyright
} | sed 's/$/\r/' > "$out/$name/cty-LICENSE.txt"
(cd "$out" && zip -q -X -r "$name.zip" "$name")

step "the installer"
setup=$out/norvane-$version-setup.exe
makensis -V2 -WX -DVERSION="$version" -DFILES="$out/$name" -DICON="$repo/main/icons/norvane.ico" \
    -DOUTFILE="$setup" packaging/windows/norvane.nsi

# One file: Windows' own DLLs only, a GUI program, with the icon and the version resource.
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
if sed -n 's/.*DLL Name: //p' <<< "$headers" | grep -i -E 'qt6|libstdc|libgcc|pthread'; then
    fail "norvane.exe needs DLLs that Windows lacks"
fi
grep -q '^Subsystem.*(Windows GUI)' <<< "$headers" || fail "not a GUI program"
wrestool -l "$exe" | grep -q -- '--type=14' || fail "norvane.exe has no icon"
[ "$(wrestool -x --raw --type=16 "$exe" | x86_64-w64-mingw32-strings -el | grep -c -x "$version")" -eq 2 ] ||
    fail "norvane.exe's version resource does not give $version as file and product version"
[ "$(wine "$exe" --version | tr -d '\r')" = "$version" ] || fail "norvane.exe --version"
# Unzipped anywhere it can write, it keeps its data files beside itself.
help=$(wine "$exe" --help | tr -d '\r')
grep -q -F -x "Data folder: $(winepath -w "$out/$name")" <<< "$help" ||
    fail "norvane.exe keeps its data files elsewhere: $help"

# -- the real window under Wine on Xvfb ----------------------------------------------------
step "the real window under Wine on Xvfb"
# Wine's desktop keeps the display it started with: none so far.
wineserver -k
wineserver -w
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

# Three records and the empty line a rewrite leaves, in a folder whose name is not ASCII and
# not all in Windows' 8-bit code page either.
data=$work/Zoë/Контест
mkdir -p "$data"
printf 'JN81GD\r\n' > "$data/myloc.txt"
printf 'JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJO60AB Q1DEF\r\n\r\n' > "$data/norvane.txt"
cp -p "$data/norvane.txt" "$data/myloc.txt" "$work"
wine "$exe" --dir "$(winepath -w "$data")" > "$work/norvane.log" 2>&1 &
app=$!
pids+=("$app")
main=$(find_window "^Norvane v1.2 - tamsel - 4 different Call\$")
sleep 1
# The caret starts in the locator field; Tab leads to the call field.
xdotool mousemove --window "$main" 50 50 windowfocus --sync "$main" key Tab type --delay 50 q1ab
sleep 1
import -window "$main" "$out/windows.png"
xdotool key alt+F4 # as the title bar's close button
for _ in $(seq 200); do kill -0 "$app" 2> /dev/null || break; sleep 0.1; done
! kill -0 "$app" 2> /dev/null || fail "closing the window did not end the program"
if ! cmp "$data/norvane.txt" "$work/norvane.txt" || ! cmp "$data/myloc.txt" "$work/myloc.txt"; then
    fail "a lookup changed the data files"
fi
# Wine 8 lacks the per-monitor DPI scaling of Windows 10 that Qt asks for.
! grep -v -e SetProcessDpiAwarenessContext -e EnableNonClientDpiScaling "$work/norvane.log" |
    grep -i -e warning -e error -e fail ||
    fail "the program complained"

# -- the installer, in a fresh Wine prefix -------------------------------------------------
step "the installer in a fresh Wine prefix"
wineserver -k
wineserver -w
export WINEPREFIX=$out/wine-installer
rm -rf "$WINEPREFIX"
make_prefix
wine "$setup" > /dev/null 2>&1 &
pids+=($!)
page=$(find_window "^Norvane $version Setup\$")
sleep 1
import -window "$page" "$out/windows-installer.png"
wineserver -k # Cancel would ask whether to quit
wineserver -w

wine "$setup" /S
wineserver -w
program_files=$WINEPREFIX/drive_c/Program\ Files/Norvane
for file in norvane.exe README.txt LICENSE.txt cty.dat cty-LICENSE.txt uninstall.exe; do
    [ -f "$program_files/$file" ] || fail "the installer put no $file into Program Files\\Norvane"
done
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Norvane.lnk"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
installed='C:\Program Files\Norvane\norvane.exe'
[ "$(wine "$installed" --version | tr -d '\r')" = "$version" ] || fail "the installed norvane.exe --version"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvane'
entries=$(wine reg query "$uninstall_key" | tr -d '\r')
for value in DisplayName DisplayIcon Publisher EstimatedSize UninstallString \
    "DisplayVersion *REG_SZ *$version" 'QuietUninstallString *REG_SZ *".*uninstall.exe" /S'; do
    grep -q -E "^ +$value" <<< "$entries" || fail "the uninstall key lacks $value: $entries"
done

# A double click on a log: Windows' association starts the installed program with it, which
# keeps its data in %APPDATA%\norvane, asks for the own locator first (the default is
# taken), then shows the log in the log window, ready to check.
appdata=$(winepath -u "$(wine cmd /c echo '%APPDATA%' | tr -d '\r')")/norvane
log="$work/Contest logs/Zoë 144 MHz.edi"
mkdir -p "$(dirname "$log")"
cp tests/data/edi/log-144mhz-large.edi "$log"
wine start /wait /unix "$log" > "$work/installed.log" 2>&1 & # ends with the program
app=$!
pids+=("$app")
ask=$(find_window '^Norvane v1.2$')
xdotool windowfocus --sync "$ask" key Return
logwindow=$(find_window '^EDI check$')
sleep 1
echo -n > "$work/clipboard"
xdotool windowfocus --sync "$logwindow" key ctrl+a ctrl+c
sleep 1
xclip -o -selection clipboard > "$work/clipboard" 2> /dev/null || true
diff <(tr -d '\r' < "$log") <(tr -d '\r' < "$work/clipboard") > /dev/null ||
    fail "the log window does not hold the log: $(head -c 200 "$work/clipboard")"
# The log window has the focus: closing it first, then the main window ends the program.
xdotool key alt+F4
for _ in $(seq 50); do xdotool search --onlyvisible --name '^EDI check$' > /dev/null || break; sleep 0.1; done
xdotool windowfocus --sync "$(find_window '^Norvane v1.2 - tamsel')" key alt+F4
for _ in $(seq 200); do kill -0 "$app" 2> /dev/null || break; sleep 0.1; done
if kill -0 "$app" 2> /dev/null; then
    import -window root "$out/windows-failure.png"
    fail "closing the main window did not end the program (screen: $out/windows-failure.png)"
fi
wineserver -w
[ "$(cat "$appdata/myloc.txt")" = $'jn81gd\r' ] || fail "no myloc.txt in %APPDATA%\\norvane"
[ ! -e "$program_files/myloc.txt" ] || fail "the installed program wrote into Program Files"

wine "C:\\Program Files\\Norvane\\uninstall.exe" /S # a copy of itself in %TEMP% does the work
wineserver -w
[ ! -e "$program_files" ] || fail "the silent uninstall left Program Files\\Norvane"
[ ! -e "$shortcut" ] || fail "the silent uninstall left the Start-menu shortcut"
[ -f "$appdata/myloc.txt" ] || fail "the uninstall removed %APPDATA%\\norvane"
! wine reg query "$uninstall_key" > /dev/null 2>&1 || fail "the uninstall left its registry key"
! wine reg query 'HKLM\Software\Classes\Norvane.EdiLog' > /dev/null 2>&1 ||
    fail "the uninstall left the .edi association"

step "done"
ls -l "$out/$name.zip" "$setup" "$exe" "$out/windows.png" "$out/windows-installer.png"
