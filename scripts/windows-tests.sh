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

# Two drives of the tests' own in the Wine prefix: F:, a small one that the full-disk tests fill
# up (a tmpfs, which takes root to mount), and G:, another volume (in /dev/shm), where a backup
# cannot be a hard link of the list.
prefix=$PWD/build/windows/wine
full=$PWD/build/windows/full-drive
other=$(mktemp -d /dev/shm/quillmere-other-XXXXXX)
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2> /dev/null || true
    if mountpoint -q "$full"; then umount "$full"; fi
    rm -rf "$other"
}
trap cleanup EXIT
build/windows/wine-run.sh cmd /c exit > /dev/null 2>&1 || true
mkdir -p "$full"
if mountpoint -q "$full" || mount -t tmpfs -o size=512k quillmere-full-drive "$full" 2> /dev/null
then
    ln -sfn "$full" "$prefix/dosdevices/f:"
    export QUILLMERE_TEST_FULL_DRIVE=F:
else
    echo "No full drive for the Windows full-disk tests (mounting a small tmpfs needs root): they" \
         "are skipped."
fi
ln -sfn "$other" "$prefix/dosdevices/g:"
export QUILLMERE_TEST_OTHER_DRIVE=G:

xvfb-run -a -s '-screen 0 1280x1024x24' ctest --preset windows "$@"
