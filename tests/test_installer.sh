#!/bin/bash
# The Windows installer under Wine: built by CPack into a temporary folder, installed silently
# (/S) into Program Files, the installed corvane.exe started on an X display of its own with
# nothing but what was installed beside it (its window must appear), then uninstalled silently;
# nothing of it may be left behind: no file, no Start-menu entry, no Add/Remove Programs entry.
#
#   test_installer.sh CPACK BUILD_FOLDER WINE_RUN WINE_PREFIX
#
# WINE_PREFIX is made afresh for this test and removed after it: Wine draws every window of a
# prefix through the display its first program found, and the other tests have none.
set -uo pipefail
cpack=$1
build=$2
wine_run=$3
prefix=$4

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install xvfb xdotool)"
done

[ -n "$prefix" ] || fail "no Wine prefix named"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
xvfb=
app=
installed=
menu=
# Uninstalls silently and waits for NSIS's uninstaller, which runs on from a copy of itself.
uninstall() {
    [ -f "$installed/Uninstall.exe" ] || return 0
    "$wine_run" --bare "C:\\Program Files\\Corvane\\Uninstall.exe" /S || return 1
    for _ in $(seq 120); do
        [ -e "$installed" ] || [ -e "$menu" ] || return 0
        sleep 0.5
    done
}
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work" "$prefix" "$prefix.lock"
}
trap cleanup EXIT

# The first free X display from :120.
display=
for n in $(seq 120 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        display=:$n
        break
    fi
done
[ -n "$display" ] || fail "no free X display"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
# A prefix of its own, made by wine-run with the display at hand.
export CORVANE_WINE_PREFIX=$prefix CORVANE_WINE_DISPLAY=$display
rm -rf "$prefix"
"$wine_run" cmd /c exit 0 || fail "Wine does not start"
[ -d "$prefix/drive_c" ] || fail "no Wine prefix at $prefix"
installed="$prefix/drive_c/Program Files/Corvane"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Corvane"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'

(cd "$build" && "$cpack" -G NSIS -B "$work/package" >"$work/cpack.log" 2>&1) ||
    fail "cpack: $(tail -20 "$work/cpack.log")"
installer=$(ls "$work"/package/Corvane-*-win64.exe 2>/dev/null | head -1)
[ -f "$installer" ] || fail "no installer in $work/package"
echo "installer: $(basename "$installer"), $(stat -c %s "$installer") bytes"

"$wine_run" --bare "$installer" /S || fail "the installer failed"
[ -f "$installed/corvane.exe" ] || fail "no corvane.exe in $installed"
[ -f "$installed/Uninstall.exe" ] || fail "no uninstaller in $installed"
[ -f "$menu/Corvane.lnk" ] || fail "no Start-menu entry in $menu"
"$wine_run" --bare reg query "$key" /v UninstallString >"$work/key.txt" 2>&1 ||
    fail "no Add/Remove Programs entry: $(cat "$work/key.txt")"
echo "installed files:"
(cd "$installed" && find . -type f -printf '  %P %s\n' | sort)
echo "installed size: $(du -sb "$installed" | cut -f1) bytes"
# Qt's platform, look and SQL plugins, each in the folder of its type.
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll sqldrivers/qsqlite.dll; do
    [ -f "$installed/$plugin" ] || fail "no $plugin"
done

"$wine_run" --bare "C:\\Program Files\\Corvane\\corvane.exe" >"$work/corvane.log" 2>&1 &
app=$!
shown=
for _ in $(seq 120); do
    if DISPLAY=$display xdotool search --onlyvisible --name '^Corvane' >/dev/null 2>&1; then
        shown=yes
        break
    fi
    kill -0 "$app" 2>/dev/null || break
    sleep 0.5
done
[ -n "$shown" ] || fail "the installed corvane.exe showed no window: $(cat "$work/corvane.log")"
echo "the installed corvane.exe shows its window"
# Closed as a person closes it (taskkill without /F asks its window to close): it ends, and
# holds none of its files when the uninstaller comes.
"$wine_run" --bare taskkill /IM corvane.exe >/dev/null 2>&1
for _ in $(seq 60); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.5
done
kill -0 "$app" 2>/dev/null && fail "the installed corvane.exe did not end when its window was closed"
wait "$app" 2>/dev/null
app=

uninstall || fail "the uninstaller failed"
[ ! -e "$installed" ] || fail "left behind: $(find "$installed")"
[ ! -e "$menu" ] || fail "left behind in the Start menu: $(find "$menu")"
if "$wine_run" --bare reg query "$key" >/dev/null 2>&1; then
    fail "the Add/Remove Programs entry is left behind"
fi
echo "uninstalled: nothing left behind"
