#!/usr/bin/env bash
# Builds Corvane for 64-bit Windows on Debian 12 and packs the installer and the portable
# archive: build-win/Corvane-<version>-win64.exe and build-win/Corvane-<version>-win64.zip.
# Run as root from anywhere in the repository; it installs what it needs with apt-get.
#
#   tools/build-windows.sh [BUILD_FOLDER]      (default: build-win in the repository)
#
# Qt for Windows comes from CORVANE_QT_WINDOWS_KIT (a kit archive or an unpacked prefix); when
# that is not set, from ../shared/toolchains/qt6.4.2-mingw64.tar.xz beside the repository if
# it is there, else tools/make-qt-windows-kit.sh builds it from Debian's source (about 40
# minutes on 2 cores).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$repo/build-win}")

apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools nsis \
    xz-utils >/dev/null

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
# The packages hold the programs alone: the tests are not built for them.
cmake --build "$build" --target corvane_programs
(cd "$build" && cpack -G "NSIS;ZIP")
ls -l "$build"/Corvane-*-win64.exe "$build"/Corvane-*-win64.zip
