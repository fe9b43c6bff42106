# Cross-builds Corvane for 64-bit Windows on Debian with the mingw-w64 compilers of the posix
# thread model (Qt 6 needs std::thread and friends), then:
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64-toolchain.cmake \
#         -DCORVANE_QT_WINDOWS_KIT=/path/to/qt6.4.2-mingw64.tar.xz
#
# CORVANE_QT_WINDOWS_KIT names Qt for Windows: a kit archive (unpacked into the build folder
# at configure time) or an unpacked prefix (see cmake/QtWindowsKit.cmake and
# tools/make-qt-windows-kit.sh). Qt's host tools (moc, rcc, uic) are Debian's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
