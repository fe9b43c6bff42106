#!/usr/bin/env bash
# Builds Corvane for 64-bit Windows on Debian 12, runs the whole suite as Windows programs under
# Wine (the installer installed silently, started and uninstalled among it), and packs the
# installer and the portable archive: build-win/Corvane-<version>-win64.exe and .zip.
# Run as root from anywhere in the repository; it installs what it needs with apt-get.
#
#   tools/build-windows.sh [--no-tests] [BUILD_FOLDER]   (default: build-win in the repository)
#
# --no-tests builds and packs the programs alone, for a packager in a hurry.
#
# Qt for Windows comes from CORVANE_QT_WINDOWS_KIT (a kit archive or an unpacked prefix); when
# that is not set, from ../shared/toolchains/qt6.4.2-mingw64.tar.xz beside the repository if
# it is there, else tools/make-qt-windows-kit.sh builds it from Debian's source (about 40
# minutes on 2 cores).
set -euo pipefail
tests=yes
if [ "${1:-}" = "--no-tests" ]; then
    tests=no
    shift
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$repo/build-win}")
start=$SECONDS

packages="cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools nsis xz-utils"
if [ $tests = yes ]; then
    packages="$packages wine64 xvfb xdotool xauth fonts-dejavu-core locales"
fi
apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $packages >/dev/null
if [ $tests = yes ]; then
    # Wine takes its code pages from the locale: German gives the batch files code page 850,
    # that of Western European Windows, which the encoding suite's expectations are written in.
    sed -i -E 's/^# (de_DE\.UTF-8 UTF-8)$/\1/' /etc/locale.gen && locale-gen >/dev/null
fi
echo "windows: set-up done after $((SECONDS - start)) s"

kit=${CORVANE_QT_WINDOWS_KIT:-}
if [ -z "$kit" ]; then
    shared=$repo/../shared/toolchains/qt6.4.2-mingw64.tar.xz
    if [ -f "$shared" ]; then
        kit=$(realpath "$shared")
    else
        echo "No Qt for Windows given: building it from Debian's source (about 40 minutes)"
        kit=$("$repo/tools/make-qt-windows-kit.sh" | tail -1)
    fi
fi

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw64-toolchain.cmake" \
    -DCORVANE_QT_WINDOWS_KIT="$kit"
if [ $tests = yes ]; then
    cmake --build "$build"
    echo "windows: built after $((SECONDS - start)) s"
    stop_wine() { WINEPREFIX="$build/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true; }
    trap stop_wine EXIT
    LC_CTYPE=de_DE.UTF-8 ctest --test-dir "$build" --output-on-failure -j2
    echo "windows: suite passed under Wine after $((SECONDS - start)) s"
else
    # The packages hold the programs alone.
    cmake --build "$build" --target corvane_programs
fi
(cd "$build" && cpack -G "NSIS;ZIP")
ls -l "$build"/Corvane-*-win64.exe "$build"/Corvane-*-win64.zip
echo "windows: done after $((SECONDS - start)) s"
