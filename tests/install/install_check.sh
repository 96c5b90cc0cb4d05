#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed command-line tool
# finds the install folder through the settings the installation recorded, with no settings of
# the user's own, so the first start never asks for a reinstall; and that the manual pages and
# the package's documents are installed.
set -euo pipefail
build=${1:?build folder}
project_version=${2:?project version}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

failed=0
check() {
    if [ "$2" = "$3" ]; then
        echo "PASS $1"
    else
        echo "FAIL $1: expected [$3], got [$2]"
        failed=$((failed + 1))
    fi
}

expected_settings="[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]
installPath=$prefix/lib/quillmere"
check "recorded settings" "$(cat "$prefix/share/quillmere/registry.ini")" "$expected_settings"
check "batch file is executable" "$([ -x "$prefix/lib/quillmere/rQueue.bat" ] && echo yes)" "yes"
check "desktop entry" "$(grep '^Exec=' "$prefix/share/applications/quillmere.desktop")" \
      "Exec=quillmere"

mkdir -p "$work/home"
installed=$(env -u QUILLMERE_REGISTRY -u XDG_CONFIG_HOME HOME="$work/home" \
            "$prefix/bin/quillmere-cli" settings 2>/dev/null | grep '^installPath=')
check "installed tool reads installPath" "$installed" "installPath=$prefix/lib/quillmere"

# The manual pages come from the programs' own texts; --version needs no display.
check "manual page of the tool" \
      "$(zcat "$prefix/share/man/man1/quillmere-cli.1.gz" | grep -A1 '^\.SH NAME' | tail -1)" \
      'quillmere-cli \- edit the Imail URL domain blacklist from the command line'
check "manual page of the program" \
      "$(zcat "$prefix/share/man/man1/quillmere.1.gz" | grep -A1 '^\.SH NAME' | tail -1)" \
      'quillmere \- edit the Imail URL domain blacklist'
# Every command is an item of its own, the long heads and the last one included.
check "manual page items of the last commands" \
      "$(zcat "$prefix/share/man/man1/quillmere-cli.1.gz" | grep -x -A1 '\.TP' |
         grep -E '^(check|settings set|restart)' | tr '\n' '|')" \
      'check [\-\-list main|added|removed]|settings set NAME VALUE|restart\-queue|'
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quillmere" --version)
check "program version without a display" "$version" "quillmere $project_version"
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quillmere" --help | head -1)
check "program help without a display" "$usage" "Usage: quillmere [options]"
check "copyright and changelog" \
      "$(ls "$prefix/share/doc/quillmere")" "$(printf 'changelog.gz\ncopyright')"

check "update units, not enabled" \
      "$(ls "$prefix/lib/systemd/system" | tr '\n' ' ')" 'quillmere-update.service quillmere-update.timer '
check "update service command" "$(grep '^ExecStart=' "$prefix/lib/systemd/system/quillmere-update.service")" \
      "ExecStart=/usr/bin/quillmere-cli update --restart"

total=12
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
