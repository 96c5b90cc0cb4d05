#!/usr/bin/env bash
# Builds every target, tests included, for 64-bit Windows with MinGW-w64 against a Qt built for
# it (see scripts/windows-qt.sh), and runs the whole test suite under Wine on a virtual display.
# Without such a Qt the checks are skipped, saying so in one line.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-qt.sh
if ! unpack_windows_qt; then
    echo "Windows checks skipped: $windows_qt_missing."
    exit 0
fi
cmake --preset windows > /dev/null
cmake --build --preset windows
status=0
xvfb-run -a -s '-screen 0 1280x1024x24' ctest --preset windows "$@" || status=$?
WINEPREFIX=$PWD/build/windows/wine wineserver -k 2> /dev/null || true
exit "$status"
