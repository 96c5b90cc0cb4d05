#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed command-line tool
# finds the install folder through the settings the installation recorded, with no settings of
# the user's own, so the first start never asks for a reinstall.
set -euo pipefail
build=${1:?build folder}
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

total=4
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
