# Sourced by the scripts that build for Windows: the Qt for MinGW-w64 they build against is
# build/qt6-mingw64, unpacked there from QUILLMERE_WINDOWS_QT (default: the archive in
# ../shared/windows) when missing; scripts/build-qt-mingw64.sh makes that archive.
# unpack_windows_qt fails, with the reason in windows_qt_missing, when there is neither.
windows_qt=build/qt6-mingw64
windows_qt_archive=${QUILLMERE_WINDOWS_QT:-../shared/windows/qt-6.4.2-mingw64.tar.xz}
windows_qt_missing="no Qt for MinGW-w64 ($windows_qt_archive is missing and $windows_qt was never unpacked; scripts/build-qt-mingw64.sh builds one)"

unpack_windows_qt() {
    [ -x "$windows_qt/bin/qt-cmake" ] && return 0
    [ -f "$windows_qt_archive" ] || return 1
    mkdir -p build
    tar -C build -xJf "$windows_qt_archive"
}
