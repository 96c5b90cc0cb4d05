#!/usr/bin/env bash
# Builds every target, tests included, for 64-bit Windows with MinGW-w64 against a Qt built for
# it, and runs the whole test suite under Wine on a virtual display. The Qt comes from
# build/qt6-mingw64, unpacked there from QUILLMERE_WINDOWS_QT (default: the archive in
# ../shared/windows) when missing; scripts/build-qt-mingw64.sh makes that archive. Without either
# the checks are skipped, saying so in one line.
set -euo pipefail
cd "$(dirname "$0")/.."
qt=build/qt6-mingw64
archive=${QUILLMERE_WINDOWS_QT:-../shared/windows/qt-6.4.2-mingw64.tar.xz}
if [ ! -x "$qt/bin/qt-cmake" ]; then
    if [ ! -f "$archive" ]; then
        echo "Windows checks skipped: no Qt for MinGW-w64 ($archive is missing and $qt was never" \
             "unpacked; scripts/build-qt-mingw64.sh builds one)."
        exit 0
    fi
    mkdir -p build
    tar -C build -xJf "$archive"
fi
cmake --preset windows > /dev/null
cmake --build --preset windows
status=0
xvfb-run -a -s '-screen 0 1280x1024x24' ctest --preset windows "$@" || status=$?
WINEPREFIX=$PWD/build/windows/wine wineserver -k 2> /dev/null || true
exit "$status"
