#!/bin/sh
# makensis for CPack's NSIS generator (CPACK_NSIS_EXECUTABLE): Debian's makensis writes a
# 32-bit installer unless told otherwise, and a 32-bit installer would put a 64-bit program
# under "Program Files (x86)" (and does not run under Debian's wine64 at all). "Target" must
# come first and as one argument.
exec makensis "-XTarget amd64-unicode" "$@"
