#!/usr/bin/env bash
# Screenshots of every window and dialog of the desktop program, taken under a virtual X server
# (Xvfb) with the fonts Qt picks on Linux, into build/screenshots or the folder given. Lists any
# control whose text does not fit its box and fails then.
#   scripts/screenshots.sh [OUTPUT-FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/screenshots}

"$root/scripts/install-deps.sh"
cd "$root"
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
[ -f build/dev/build.ninja ] || cmake --preset dev
cmake --build --preset dev --target quillmere_screenshots

rm -rf "$out"
mkdir -p "$out"
# 96 dpi, as a Windows desktop at 100 %.
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" \
    env QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
    build/dev/tests/quillmere_screenshots "$out"
