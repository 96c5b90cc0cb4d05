#!/usr/bin/env bash
# Kills quillmere-cli with SIGKILL at random moments while it merges, sorts, adds and removes,
# and checks after each kill that every list file is whole, either as it was or as the finished
# command leaves it, and that the Main list is never saved without its tracking list.
#
#   tests/faults/kill_during_save.sh path/to/quillmere-cli [entries] [rounds]
#
# A person runs it on a 3,000,000-entry list (the defaults); ctest runs a small one. With
# QUILLMERE_CLI_RUNNER set (the Windows build's wine-run.sh) the tool is started through it, and
# killed as abruptly as TerminateProcess would.
set -euo pipefail

cli=$(realpath "$1")
entries=${2:-3000000}
rounds=${3:-40}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v n="$entries" 'BEGIN { for (i = 0; i < n; i += 2) printf "domain-%08d.example\r\n", i }' \
    > "$work/main.txt"
awk -v n="$entries" 'BEGIN { for (i = n - 1; i > 0; i -= 2) printf "domain-%08d.example\r\n", i }' \
    > "$work/factory.txt"
printf 'hand-1.example\r\ndomain-00000002.example\r\n' > "$work/added.txt"
printf 'gone-1.example\r\n' > "$work/removed.txt"

fresh() {
    rm -rf "$1"
    mkdir -p "$1/imail" "$1/data"
    cp "$work/main.txt" "$1/imail/url-domain-bl.txt"
    cp "$work/added.txt" "$1/data/url-domain-add.txt"
    cp "$work/removed.txt" "$1/data/url-domain-rem.txt"
}

# A folder as the tool takes it: under Wine, on the drive Z: that holds the Linux root.
native() {
    if [ -n "${QUILLMERE_CLI_RUNNER:-}" ]; then
        local path=${1//\//\\}
        echo "Z:$path"
    else
        echo "$1"
    fi
}

run() { # folder, then the command
    local folder=$1
    shift
    ${QUILLMERE_CLI_RUNNER:+"$QUILLMERE_CLI_RUNNER"} "$cli" --imail-root "$(native "$folder/imail")" \
        --data "$(native "$folder/data")" --wait 60 "$@"
}

digest() { # the three files' digests, one line
    (cd "$1" && md5sum imail/url-domain-bl.txt data/url-domain-add.txt data/url-domain-rem.txt |
        cut -d' ' -f1 | tr '\n' ' ')
}

commands=("merge $(native "$work/factory.txt")" "sort main" "add new-1.example new-2.example"
          "remove domain-00000004.example")
declare -A after seconds
before=$(fresh "$work/reference" && digest "$work/reference")
for command in "${commands[@]}"; do
    fresh "$work/reference"
    start=$(date +%s%N)
    # shellcheck disable=SC2086
    run "$work/reference" $command > /dev/null
    seconds[$command]=$(( ($(date +%s%N) - start) / 1000000 ))
    after[$command]=$(digest "$work/reference")
done

failures=0
for ((round = 1; round <= rounds; round++)); do
    command=${commands[$(( RANDOM % ${#commands[@]} ))]}
    fresh "$work/run"
    delay=$(( RANDOM * (${seconds[$command]} + 20) / 32768 ))
    # shellcheck disable=SC2086
    run "$work/run" $command > /dev/null 2>&1 &
    pid=$!
    sleep "$(printf '0.%03d' "$delay")" 2> /dev/null || sleep 0
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    # Under Wine the program can outlive its runner's kill for a moment, and go on writing: the
    # files are looked at once no run of the tool is left.
    for _ in $(seq 100); do
        pgrep -f "$(basename "$cli") --imail-root" > /dev/null || break
        sleep 0.1
    done

    now=$(digest "$work/run")
    read -r -a b <<< "$before"
    read -r -a a <<< "${after[$command]}"
    read -r -a n <<< "$now"
    verdict=ok
    for k in 0 1 2; do
        [[ ${n[$k]} == "${b[$k]}" || ${n[$k]} == "${a[$k]}" ]] || verdict="file $k torn"
    done
    # The Main list in its new state with a tracking list still old is the one state a crash must
    # never leave: the hand edit would be lost at the next merge.
    if [[ ${n[0]} == "${a[0]}" && ${n[0]} != "${b[0]}" ]]; then
        [[ ${n[1]} == "${a[1]}" && ${n[2]} == "${a[2]}" ]] || verdict="main saved without its tracking lists"
    fi
    # The lock of the killed process is taken over, and the next save tidies its temporary files.
    if ! run "$work/run" add after-kill.example > /dev/null 2>&1; then
        verdict="the next command failed"
    elif ls -A "$work/run/imail" "$work/run/data" | grep -q '^\.url-domain'; then
        verdict="temporary files left behind"
    fi
    state="between the renames"
    [[ $now == "$before" ]] && state="before the save"
    [[ $now == "${after[$command]}" ]] && state="after the save"
    printf 'round %2d: %-36s killed after %4d ms, %-19s: %s\n' "$round" "${command%% /*}" \
        "$delay" "$state" "$verdict"
    [[ $verdict == ok ]] || failures=$((failures + 1))
done
echo "$rounds rounds, $failures failures"
[[ $failures -eq 0 ]]
