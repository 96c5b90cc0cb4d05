#!/usr/bin/env bash
# quillmere-cli merge against the Unix pipeline an administrator would use instead, on the same
# generated lists: both must write the same bytes. Runs the two alternately and prints, for each
# size, the smallest, median and largest wall time and peak memory of each, the ratio of the median
# times with the smallest and largest ratio of a run pair, and the merge's peak memory over its
# input bytes.
#
#   bench/merge_vs_unix.sh [RUNS]    RUNS defaults to 7; SIZES="1000000 3000000 10000000" by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
sizes=${SIZES:-"1000000 3000000 10000000"}
build_release

unix_merge() { # the lists folder, the output file
    local d=$1 out=$2
    tr -d '\r' <"$d/data/url-domain-rem.txt" >"$d/patterns.txt"
    echo >>"$d/patterns.txt" # an empty pattern drops the blank line sort -u leaves
    cat "$d/imail/url-domain-bl.txt" "$d/factory.txt" "$d/data/url-domain-add.txt" | tr -d '\r' |
        LC_ALL=C sort -u | LC_ALL=C grep -vxF -f "$d/patterns.txt" | sed 's/$/\r/' >"$out"
}
export -f unix_merge

for n in $sizes; do
    lists_for "$n" >/dev/null # generated before the machine is described
done
print_machine
echo "$runs runs of each, alternately; times in seconds and memory in MB as min/median/max"
for n in $sizes; do
    d=$(lists_for "$n")
    input=$(cat "$d/imail/url-domain-bl.txt" "$d/factory.txt" "$d/data/url-domain-add.txt" \
        "$d/data/url-domain-rem.txt" | wc -c)
    : >"$d/q.txt"
    : >"$d/u.txt"
    for ((run = 1; run <= runs; run++)); do
        rm -rf "$d/run" && mkdir -p "$d/run" && cp -r "$d/imail" "$d/data" "$d/run/"
        measure /dev/null "$cli" --imail-root "$d/run/imail" --data "$d/run/data" \
            merge "$d/factory.txt" >>"$d/q.txt"
        measure /dev/null bash -c "unix_merge '$d' '$d/unix.txt'" >>"$d/u.txt"
        if ! cmp -s "$d/run/imail/url-domain-bl.txt" "$d/unix.txt"; then
            echo "N=$n: quillmere-cli and the Unix pipeline disagree" >&2
            exit 1
        fi
    done
    qs=$(cut -d' ' -f1 "$d/q.txt" | spread)
    us=$(cut -d' ' -f1 "$d/u.txt" | spread)
    qm=$(cut -d' ' -f2 "$d/q.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread)
    um=$(cut -d' ' -f2 "$d/u.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread)
    pairs=$(paste -d' ' "$d/q.txt" "$d/u.txt" | awk '{ printf "%.3f\n", $1 / $3 }' | spread)
    qmed=$(cut -d' ' -f1 "$d/q.txt" | median)
    umed=$(cut -d' ' -f1 "$d/u.txt" | median)
    qmem=$(cut -d' ' -f2 "$d/q.txt" | sort -n | tail -n 1)
    echo
    echo "N=$n, input $(awk -v b="$input" 'BEGIN { printf "%.1f", b / 1e6 }') MB"
    echo "  merge:         $qs s, $qm MB"
    echo "  Unix pipeline: $us s, $um MB"
    awk -v q="$qmed" -v u="$umed" -v p="$pairs" -v m="$qmem" -v b="$input" 'BEGIN {
        printf "  time ratio of the medians %.2f (run pairs min/med/max %s); merge memory / input %.2f at most\n",
            q / u, p, m * 1024 / b }'
    print_load
done
echo
echo "goals: time ratio at most 0.33 (aim 0.20); merge memory at most 3 times the input"
