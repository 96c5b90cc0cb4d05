#!/usr/bin/env bash
# Makes the Qt that the Windows build uses, for whoever has no ready archive of it: Qt 6.4.2's
# qtbase (Core, Gui, Widgets, Network with the Schannel TLS plugin, Test, the
# windows/offscreen/minimal platform plugins, the Windows styles) built for 64-bit Windows with
# Debian 12's MinGW-w64 from Debian's own qt6-base source package, installed into build/qt6-mingw64 and packed as build/qt-6.4.2-mingw64.tar.xz
# (QUILLMERE_WINDOWS_QT=build/qt-6.4.2-mingw64.tar.xz make test then uses it anywhere).
# About an hour on two cores; run as root on Debian 12 (it installs what it needs).
#
#   scripts/build-qt-mingw64.sh [WORK-FOLDER]      (default: build/qt-mingw64-work)
#
# Debian's source, built as it is, needs two changes, both in the Windows platform plugin:
# - without tablet (Wintab) support: the source package leaves out the Wintab headers;
# - without the dynamic OpenGL check in qwindowswindow.cpp: this build has no OpenGL, and 6.4.2
#   still refers to it there.
set -euo pipefail
cd "$(dirname "$0")/.."
project=$PWD
work=$(realpath -m "${1:-build/qt-mingw64-work}")
prefix=$project/build/qt6-mingw64
version=6.4.2
debian_version=6.4.2+dfsg-10

"$project/scripts/install-deps.sh" dpkg-dev xz-utils

mkdir -p "$work"
cd "$work"
if [ ! -f "qt6-base_${version}+dfsg.orig.tar.xz" ]; then
    # The source from the same archive that the machine's own packages come from.
    sources=/etc/apt/sources.list.d/quillmere-qt-source.sources
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$sources"
    apt-get update -qq
    apt-get source --download-only "qt6-base=$debian_version"
fi
rm -rf "qtbase-everywhere-src-$version" build
tar -xf "qt6-base_${version}+dfsg.orig.tar.xz"
plugins=qtbase-everywhere-src-$version/src/plugins/platforms
for plugin in windows direct2d; do
    sed -i 's/CONDITION QT_FEATURE_tabletevent/CONDITION FALSE/' "$plugins/$plugin/CMakeLists.txt"
done
grep -l 'QT_CONFIG(tabletevent)' "$plugins"/windows/*.cpp "$plugins"/windows/*.h |
    xargs sed -i 's/QT_CONFIG(tabletevent)/0/'
sed -i 's/QT_CONFIG(dynamicgl)/0/' "$plugins/windows/qwindowswindow.cpp"

# The cross toolchain, kept inside the installed tree so that its qt-cmake works wherever the
# tree is unpacked.
cat > mingw64.cmake << 'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

# Only what the programs and their tests load: no OpenGL, SQL, D-Bus or printing.
cmake -S "qtbase-everywhere-src-$version" -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/mingw64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF \
    -DFEATURE_network=ON -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_icu=OFF
cmake --build build --parallel "$(nproc)"
rm -rf "$prefix"
cmake --install build
cp mingw64.cmake "$prefix/lib/cmake/mingw64.cmake"
sed -i 's|set(__qt_initially_configured_toolchain_file ".*")|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../mingw64.cmake")|' \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
tar -C "$(dirname "$prefix")" -cJf "$project/build/qt-$version-mingw64.tar.xz" --exclude=doc \
    "$(basename "$prefix")"
echo "Qt for MinGW-w64 in $prefix, packed as build/qt-$version-mingw64.tar.xz"
