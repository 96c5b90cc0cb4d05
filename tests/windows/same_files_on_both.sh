#!/usr/bin/env bash
# Runs the same commands with the Linux quillmere-cli and the Windows one (under Wine) on the same
# lists, and checks after every command that both leave the list files byte for byte the same and
# print the same lines (the Windows tool ends them in CR LF).
#
#   tests/windows/same_files_on_both.sh LINUX-CLI WINDOWS-CLI.exe WINE-RUN
#
# Exits 77 (skipped) when the Linux tool has not been built.
set -euo pipefail
linux_cli=$1
windows_cli=$2
runner=$3
if [ ! -x "$linux_cli" ]; then
    echo "skipped: the Linux tool $linux_cli is not built (make test builds it first)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'spam-b.example\r\nspam-a.example\r\nshared.example\r\nspam-a.example\r\nCase.example\r\n' \
    > "$work/main.txt"
printf 'hand-1.example\r\nshared.example\r\n' > "$work/added.txt"
printf 'gone.example\r\nspam-b.example\r\n' > "$work/removed.txt"
printf 'new-1.example\r\nspam-a.example\r\n\r\nnew-2.example\r\nlone\nLF\r\n' > "$work/factory.txt"
printf 'hand-1.example\r\nother.example\r\n' > "$work/release.txt"

for side in linux windows; do
    mkdir -p "$work/$side/imail" "$work/$side/data"
    cp "$work/main.txt" "$work/$side/imail/url-domain-bl.txt"
    cp "$work/added.txt" "$work/$side/data/url-domain-add.txt"
    cp "$work/removed.txt" "$work/$side/data/url-domain-rem.txt"
done

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }

run() { # side, then the command; {factory} and {release} name the shared files
    local side=$1
    shift
    local arguments=()
    for word in "$@"; do
        case $word in
        {factory}) word=$work/factory.txt ;;
        {release}) word=$work/release.txt ;;
        esac
        if [ "$side" = windows ] && [[ $word == /* ]]; then word=$(windows_path "$word"); fi
        arguments+=("$word")
    done
    if [ "$side" = linux ]; then
        "$linux_cli" --imail-root "$work/linux/imail" --data "$work/linux/data" "${arguments[@]}"
    else
        "$runner" "$windows_cli" --imail-root "$(windows_path "$work/windows/imail")" \
            --data "$(windows_path "$work/windows/data")" "${arguments[@]}" | sed 's/\r$//'
    fi
}

failures=0
step() {
    local description="$*"
    local linux_out windows_out linux_status=0 windows_status=0
    linux_out=$(run linux "$@" 2> /dev/null) || linux_status=$?
    windows_out=$(run windows "$@" 2> /dev/null) || windows_status=$?
    local verdict=same
    [ "$linux_status" = "$windows_status" ] || verdict="exit status $linux_status and $windows_status"
    [ "$linux_out" = "$windows_out" ] || verdict="printed lines differ"
    for file in imail/url-domain-bl.txt data/url-domain-add.txt data/url-domain-rem.txt; do
        cmp -s "$work/linux/$file" "$work/windows/$file" || verdict="$file differs"
    done
    printf '%-45s %s\n' "${description//$work\//}" "$verdict"
    [ "$verdict" = same ] || failures=$((failures + 1))
}

step add new-3.example spam-c.example
step remove spam-a.example shared.example
step unadd hand-1.example
step reactivate gone.example
step show main
step sort main
step merge {factory}
step rebuild
step add hand-2.example
step evaluate {release} --trim
step sort added
step clear-added
step count
# The first backup on each side is the list both started from.
linux_first=$(run linux backups | head -n 1 | cut -d: -f1)
windows_first=$(run windows backups | head -n 1 | cut -d: -f1)
cmp -s "$work/linux/data/backups/$linux_first" "$work/windows/data/backups/$windows_first" ||
    { echo "the first backups differ"; failures=$((failures + 1)); }
linux_out=$(run linux restore "$linux_first")
windows_out=$(run windows restore "$windows_first")
[ "$linux_out" = "$windows_out" ] || { echo "restore printed other lines"; failures=$((failures + 1)); }
cmp -s "$work/linux/imail/url-domain-bl.txt" "$work/windows/imail/url-domain-bl.txt" ||
    { echo "restore left other Main lists"; failures=$((failures + 1)); }
step show main
echo "$failures differences"
[ "$failures" -eq 0 ]
