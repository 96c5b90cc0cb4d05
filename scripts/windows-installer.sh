#!/usr/bin/env bash
# Builds the Windows installer (the windows preset's target windows_installer: the two programs,
# rQueue.bat, Qt's DLLs and plugins, the MinGW runtime and the licences, packed by makensis) and
# names it. Needs a Qt for MinGW-w64 (see scripts/windows-qt.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-qt.sh
if ! unpack_windows_qt; then
    echo "Cannot build the Windows installer: $windows_qt_missing." >&2
    exit 1
fi
cmake --preset windows > /dev/null
cmake --build --preset windows --target windows_installer
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
echo "The Windows installer: build/windows/quillmere-$version-setup.exe"
