#!/usr/bin/env bash
# Installs the Windows installer silently under Wine in a Wine prefix of its own, made afresh,
# and checks what a Windows administrator would meet: the installed files, installPath in the
# 32-bit registry view, the installed programs starting with nothing but what the installer put
# there (no Qt, no MinGW runtime on WINEPATH), the window on a demo (its screenshot is kept as
# WORK/quillmere-window.png), and two silent uninstalls that remove exactly what was installed and
# installPath only while it names that installation, keeping the administrator's settings and
# tracking data.
#   windows_installer_check.sh INSTALLER WORK SOURCE-DIR VERSION
set -uo pipefail
installer=$(realpath "${1:?installer}")
work=$(realpath -m "${2:?work folder}")
source_dir=$(realpath "${3:?source folder}")
version=${4:?version}

# A display of its own: the tests before it may leave a Wine desktop on the shared one.
if [ -z "${QUILLMERE_OWN_DISPLAY:-}" ]; then
    QUILLMERE_OWN_DISPLAY=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$@"
fi

rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/wine" WINEDEBUG=-all
# Nothing of the build may help the installed programs along.
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM
trap 'wineserver -k 2> /dev/null' EXIT

failed=0
total=0
check() {
    total=$((total + 1))
    if [ "$2" = "$3" ]; then
        echo "PASS $1"
    else
        echo "FAIL $1: expected [$3], got [$2]"
        failed=$((failed + 1))
    fi
}
# The data of one registry value in the 32-bit view, or "missing".
reg_value() {
    wine reg query 'HKLM\SOFTWARE\Brindlecove\Quillmere' /v "$1" /reg:32 2> /dev/null |
        tr -d '\r' | sed -n "s/^    $1    REG_SZ    //p" | grep . || echo missing
}
files_under() {
    if [ -d "$1" ]; then (cd "$1" && find . -type f | sed 's|^\./||' | sort); fi
}

wineboot --init > /dev/null 2>&1
# Wine draws the window's title bar itself, so the screenshot shows it without a window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f > /dev/null

drive_c="$WINEPREFIX/drive_c"
installed="$drive_c/Program Files/Quillmere"
install_path='C:\Program Files\Quillmere\lib\quillmere'
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Imail Quillmere.lnk"

wine "$installer" /S
check "installer exit status" "$?" 0
expected_files="LICENSE.txt
Uninstall.exe
bin/GPL-3.txt
bin/LGPL-3.txt
bin/Qt-copyright.txt
bin/Qt6Core.dll
bin/Qt6Gui.dll
bin/Qt6Network.dll
bin/Qt6Widgets.dll
bin/gcc-runtime-copyright.txt
bin/libgcc_s_seh-1.dll
bin/libstdc++-6.dll
bin/libwinpthread-1.dll
bin/mingw-w64-copyright.txt
bin/platforms/qwindows.dll
bin/quillmere-cli.exe
bin/quillmere.exe
bin/styles/qwindowsvistastyle.dll
bin/tls/qschannelbackend.dll
lib/quillmere/rQueue.bat"
check "installed files" "$(files_under "$installed")" "$expected_files"
check "the Windows rQueue.bat" "$(cmp -s "$installed/lib/quillmere/rQueue.bat" \
    "$source_dir/packaging/rQueue.bat" && echo same)" same
check "the licence" "$(cmp -s "$installed/LICENSE.txt" "$source_dir/LICENSE" && echo same)" same
check "Qt's licence beside its DLLs" "$(cmp -s "$installed/bin/LGPL-3.txt" \
    /usr/share/common-licenses/LGPL-3 && echo same)" same
check "Start menu entry" "$([ -f "$shortcut" ] && echo yes)" yes
check "installPath (32-bit view)" "$(reg_value installPath)" "$install_path"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmere'
check "uninstall entry (64-bit view)" "$(wine reg query "$uninstall_key" /v DisplayName /reg:64 |
    tr -d '\r' | sed -n 's/^    DisplayName    REG_SZ    //p')" "Imail Quillmere"
check "no settings in the 64-bit view" \
    "$(wine reg query 'HKLM\SOFTWARE\Brindlecove\Quillmere' /reg:64 > /dev/null 2>&1 || echo none)" \
    none

cli='C:\Program Files\Quillmere\bin\quillmere-cli.exe'
check "installed quillmere-cli --version" "$(wine "$cli" --version | tr -d '\r')" \
    "quillmere-cli $version"

# A demo the administrator's way: the settings written with reg, the tracking data folder where
# the program puts it by default, inside the install folder.
mkdir -p "$drive_c/demo/imail" "$installed/lib/quillmere/URLdata"
printf 'alpha.example\r\nbravo.example\r\ncharlie.example\r\ndelta.example\r\necho.example\r\n' \
    > "$drive_c/demo/imail/url-domain-bl.txt"
printf 'echo.example\r\n' > "$installed/lib/quillmere/URLdata/url-domain-add.txt"
wine reg add 'HKLM\SOFTWARE\Brindlecove\Quillmere' /v imailPath /t REG_SZ /d 'C:\demo\imail' \
    /f /reg:32 > /dev/null
wine reg add 'HKLM\SOFTWARE\Brindlecove\Quillmere' /v dataPath /t REG_SZ /d "$install_path\\URLdata" \
    /f /reg:32 > /dev/null
check "installed quillmere-cli on the stored settings" "$(wine "$cli" count | tr -d '\r')" \
    "5 listed
1 added
0 removed"

# update of the installed tool over http from a server on 127.0.0.1, with a tracking data folder
# of its own so that the uninstall below finds only the demo's.
mkdir -p "$work/served" "$drive_c/demo/data"
printf 'foxtrot.example\r\n' > "$work/served/url-domain-bl.txt"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work/served" "$port" > /dev/null 2>&1 &
server_process=$!
for _ in $(seq 1 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port))" 2> /dev/null && break
    sleep 0.1
done
check "installed quillmere-cli update over http" \
    "$(WINEDEBUG=+loaddll wine "$cli" --data 'C:\demo\data' update \
        "http://127.0.0.1:$port/url-domain-bl.txt" 2> "$work/update.log" | tr -d '\r')" \
    "1 gained
0 lost
6 listed"
check "update loaded the installed Qt6Network.dll" \
    "$(grep -qF 'Loaded L"C:\\Program Files\\Quillmere\\bin\\Qt6Network.dll"' "$work/update.log" \
       && echo yes)" yes
kill "$server_process" 2> /dev/null
wait "$server_process" 2> /dev/null

# The window, with every DLL it loads logged: Qt, its plugins and the runtime must come from the
# install folder.
WINEDEBUG=+loaddll wine 'C:\Program Files\Quillmere\bin\quillmere.exe' 2> "$work/window.log" &
window_process=$!
window=""
for _ in $(seq 1 120); do
    window=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Quillmere": .*/\1/p')
    [ -n "$window" ] && break
    sleep 0.5
done
check "window titled Quillmere" "$([ -n "$window" ] && echo shown)" shown
if [ -n "$window" ]; then
    # Time to paint the list.
    sleep 2
    # ImageMagick's import of a Wine window has been seen to hang under Xvfb on some hosts; the
    # whole screen, which holds the window, is taken instead.
    timeout 30 import -window "$window" "$work/quillmere-window.png" ||
        timeout 30 import -window root "$work/quillmere-window.png"
    colours=$(identify -format '%k' "$work/quillmere-window.png")
    check "screenshot is not blank ($colours colours)" "$([ "$colours" -ge 16 ] && echo drawn)" \
        drawn
fi
check "no message box at start-up" \
    "$(xwininfo -root -tree | grep -c '"Imail Quillmere"')" 0
# The log doubles each backslash of a path.
logged='Loaded L"C:\\Program Files\\Quillmere\\bin\\'
for dll in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll 'platforms\\qwindows.dll' \
    'styles\\qwindowsvistastyle.dll' libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    check "window loaded the installed ${dll//\\\\/\\}" \
        "$(grep -qF "$logged$dll\"" "$work/window.log" && echo yes)" yes
done
check "window loaded nothing from the build machine (Z:)" \
    "$(grep -c 'Loaded L"Z:' "$work/window.log")" 0
kill "$window_process" 2> /dev/null
wait "$window_process" 2> /dev/null

# A second installation elsewhere takes installPath over; uninstalling the first must leave it.
wine "$installer" /S '/D=C:\Quillmere2'
check "second installation's installPath" "$(reg_value installPath)" 'C:\Quillmere2\lib\quillmere'

# The uninstaller copies itself away and returns at once; the session ends when it is done.
wine 'C:\Program Files\Quillmere\Uninstall.exe' /S
wineserver -w
check "first uninstall leaves only the tracking data" "$(files_under "$installed")" \
    "lib/quillmere/URLdata/url-domain-add.txt"
check "first uninstall keeps the other installation's installPath" "$(reg_value installPath)" \
    'C:\Quillmere2\lib\quillmere'
check "Start menu entry removed" "$([ -e "$shortcut" ] || echo gone)" gone

wine 'C:\Quillmere2\Uninstall.exe' /S
wineserver -w
check "second uninstall removes its folder" "$([ -e "$drive_c/Quillmere2" ] || echo gone)" gone
check "installPath removed" "$(reg_value installPath)" missing
check "imailPath kept" "$(reg_value imailPath)" 'C:\demo\imail'
check "dataPath kept" "$(reg_value dataPath)" "$install_path\\URLdata"
check "uninstall entry removed" \
    "$(wine reg query "$uninstall_key" /reg:64 > /dev/null 2>&1 || echo gone)" gone

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
