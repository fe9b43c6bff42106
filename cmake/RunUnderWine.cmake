# Windows programs of a cross-build run under wine64: CTest starts each test through this
# build's wine-run (tests/wine/wine-run.sh.in), which keeps a Wine prefix of its own in the
# build folder and finds Qt in the kit. The same wrapper runs any program of the build by hand.
set(CORVANE_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(CORVANE_WINE_RUN "${CMAKE_BINARY_DIR}/wine-run")
configure_file("${PROJECT_SOURCE_DIR}/tests/wine/wine-run.sh.in" "${CORVANE_WINE_RUN}" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CORVANE_WINE_RUN}")

# Paths of this build that its Windows programs are given (the stand-in converter, the
# source folder) start with Wine's drive Z:, the root folder, so that they still hold after a
# program changes to a folder on C:.
set(CORVANE_TEST_ROOT "Z:")
