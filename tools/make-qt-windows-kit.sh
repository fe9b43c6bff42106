#!/usr/bin/env bash
# Builds the Qt 6.4.2 kit for Windows x64 (mingw-w64, posix threads) from Debian 12's own
# qt6-base and sqlite3 source packages, the versions the Linux build uses, and packs it as
# qt6.4.2-mingw64.tar.xz, the archive CORVANE_QT_WINDOWS_KIT names (see docs/notes-windows.md).
# About 40 minutes on 2 cores. Run as root on Debian 12.
#
#   tools/make-qt-windows-kit.sh [WORK_FOLDER]     (default /tmp/qt-kit)
#
# It prints the archive's path last. Qt goes to /opt/qt6.4.2-mingw64 on the way, which the
# archive holds as its one folder, qt6.4.2-mingw64/: Qt 6 packages are relocatable.
set -euo pipefail
work=${1:-/tmp/qt-kit}
prefix=/opt/qt6.4.2-mingw64
mkdir -p "$work" && cd "$work"

apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools \
  cmake ninja-build qt6-base-dev qt6-base-dev-tools tcl8.6 xz-utils dpkg-dev >/dev/null

# Source packages: Debian's sources list names binaries only by default.
cat > /etc/apt/sources.list.d/qt-kit-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
apt-get update -qq
apt-get source --download-only qt6-base=6.4.2+dfsg-10 sqlite3 >/dev/null

# SQLite: Debian's qt6-base source drops the bundled copy, so build the amalgamation.
tar xf sqlite3_*.orig.tar.xz
(cd sqlite3-*/ && mkdir -p bld && cd bld && ../configure --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
mkdir -p "$prefix/include" "$prefix/lib"
cp sqlite3-*/bld/sqlite3.h "$prefix/include/"
x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
  -c sqlite3-*/bld/sqlite3.c -o sqlite3.o
x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" sqlite3.o

tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
# Qt 6.4.2's Windows platform plugin uses dynamic OpenGL even when OpenGL is off.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows/qwindowswindow.cpp

cat > mingw64.cmake <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC

# Wintab (tablets) is not in Debian's source; FreeType is for the offscreen platform plugin
# (headless tests); network, D-Bus, OpenGL, printing and the
# other SQL drivers are not used by the program.
cmake -G Ninja -S qtbase-everywhere-src-6.4.2 -B build \
  -DCMAKE_TOOLCHAIN_FILE="$work/mingw64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF \
  -DFEATURE_sql_mysql=OFF -DFEATURE_sql_ibase=OFF -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON \
  -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.a" \
  -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF -DFEATURE_vulkan=OFF -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF \
  -DFEATURE_fontconfig=OFF >configure.log
cmake --build build >build.log
cmake --install build >install.log

# The compiler's own runtime DLLs, which every program built with it needs beside it.
mkdir -p "$prefix/bin"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/" 2>/dev/null \
    || cp /usr/x86_64-w64-mingw32/lib/$dll "$prefix/bin/"
done

# Release builds of mingw DLLs keep their symbol tables: strip them (107 MB -> 71 MB unpacked).
for f in "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll; do x86_64-w64-mingw32-strip --strip-unneeded "$f"; done

tar -C "$(dirname "$prefix")" -cJf "$work/qt6.4.2-mingw64.tar.xz" "$(basename "$prefix")"
echo "$work/qt6.4.2-mingw64.tar.xz"
