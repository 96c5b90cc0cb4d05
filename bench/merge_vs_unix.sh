#!/usr/bin/env bash
# quillmere-cli merge against the Unix pipeline an administrator would use instead, on the same
# generated lists: both must write the same bytes; prints the median wall time and peak memory of
# each over alternating runs, and their ratios.
#
#   bench/merge_vs_unix.sh [RUNS]        RUNS defaults to 5; SIZES="1000000 3000000" by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-5}
sizes=${SIZES:-"1000000 3000000"}
build_release

unix_merge() { # the lists folder, the output file
    local d=$1 out=$2
    tr -d '\r' <"$d/data/url-domain-rem.txt" >"$d/patterns.txt"
    echo >>"$d/patterns.txt" # an empty pattern drops the blank line sort -u leaves
    cat "$d/imail/url-domain-bl.txt" "$d/factory.txt" "$d/data/url-domain-add.txt" | tr -d '\r' |
        LC_ALL=C sort -u | LC_ALL=C grep -vxF -f "$d/patterns.txt" | sed 's/$/\r/' >"$out"
}
export -f unix_merge

printf '%-9s %9s | %9s %9s | %9s %9s | %7s %9s\n' N "input MB" "merge s" "merge MB" "unix s" \
    "unix MB" "time" "mem/input"
for n in $sizes; do
    d=$(lists_for "$n")
    input=$(cat "$d/imail/url-domain-bl.txt" "$d/factory.txt" "$d/data/url-domain-add.txt" \
        "$d/data/url-domain-rem.txt" | wc -c)
    : >"$d/q.txt"
    : >"$d/u.txt"
    for ((run = 1; run <= runs; run++)); do
        rm -rf "$d/run" && mkdir -p "$d/run" && cp -r "$d/imail" "$d/data" "$d/run/"
        measure "$cli" --imail-root "$d/run/imail" --data "$d/run/data" merge "$d/factory.txt" >>"$d/q.txt"
        measure bash -c "unix_merge '$d' '$d/unix.txt'" >>"$d/u.txt"
        if ! cmp -s "$d/run/imail/url-domain-bl.txt" "$d/unix.txt"; then
            echo "N=$n: quillmere-cli and the Unix pipeline disagree" >&2
            exit 1
        fi
    done
    qs=$(cut -d' ' -f1 "$d/q.txt" | median)
    qm=$(cut -d' ' -f2 "$d/q.txt" | median)
    us=$(cut -d' ' -f1 "$d/u.txt" | median)
    um=$(cut -d' ' -f2 "$d/u.txt" | median)
    awk -v n="$n" -v in_="$input" -v qs="$qs" -v qm="$qm" -v us="$us" -v um="$um" 'BEGIN {
        printf "%-9s %9.1f | %9.2f %9.1f | %9.2f %9.1f | %7.2f %9.2f\n", n, in_ / 1e6, qs,
            qm * 1024 / 1e6, us, um * 1024 / 1e6, qs / us, qm * 1024 / in_ }'
done
echo "time: merge wall time / Unix wall time (goal at most 0.33); mem/input: merge peak memory / input bytes (goal at most 3)"
