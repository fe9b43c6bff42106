#!/bin/bash
# The Debian package as a desktop sees it: built into a temporary folder (never into the build
# tree), unpacked there with dpkg-deb -x (never installed), its menu entry, metadata and icons
# checked, and the unpacked program started.
#
#   test_package.sh <cpack> <build folder>
set -euo pipefail
cpack=$1
build=$2

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's test command)"
done

# --- build the package -------------------------------------------------------------------
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB failed"
fi
debs=("$work"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "expected one .deb, got: ${debs[*]}"; fi
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = corvane ] || fail "package name: $(field Package)"
[ "$(field Version)" = 1.0 ] || fail "version: $(field Version)"
[ "$(field Section)" = graphics ] || fail "section: $(field Section)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -ge 2 ] || fail "no long description"
# Worked out from the binary, so the Qt libraries it links must be there.
depends=$(field Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# --- unpack and check what a desktop reads -----------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
usr=$root/usr
desktop=$usr/share/applications/corvane.desktop
[ -f "$desktop" ] || fail "no desktop entry in the package"

report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
# The metainfo on its own and against the tree: its launchable must name the entry above.
metainfo=("$usr"/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no metainfo in the package"
appstreamcli validate --no-net "${metainfo[0]}" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "appstreamcli validate"; }
appstreamcli validate-tree --no-net "$usr" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "appstreamcli validate-tree"; }

entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_name=$(entry Exec)
exec_name=${exec_name%% *} # the program, without arguments
[ -x "$usr/bin/$exec_name" ] || fail "Exec=$exec_name is not a program in usr/bin"
icon=$(entry Icon)
for size in 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "no $size-pixel icon $icon.png"
    [[ "$(file -b "$png")" == "PNG image data, $size x $size,"* ]] ||
        fail "$png: $(file -b "$png")"
done

# --- start the unpacked program ----------------------------------------------------------
# Everything it might write goes into the temporary folder, never into the user's home.
mkdir -m 700 "$work/home" "$work/runtime"
(
    cd "$work"
    exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
        XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime" \
        QT_QPA_PLATFORM=offscreen "$usr/bin/$exec_name" >"$work/run.log" 2>&1
) &
pid=$!
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" && status=0 || status=$?
    pid=
    cat "$work/run.log" >&2
    fail "the unpacked program ended by itself within 2 s (status $status)"
fi
kill "$pid"
wait "$pid" || true
pid=
# The command line beside it, answering where there is no display.
env -u DISPLAY -u QT_QPA_PLATFORM "$usr/bin/corvane-cli" --version >"$work/cli.log" 2>&1 ||
    { cat "$work/cli.log" >&2; fail "usr/bin/corvane-cli --version"; }
echo "ok: $(basename "$deb") builds, unpacks, validates and starts"
