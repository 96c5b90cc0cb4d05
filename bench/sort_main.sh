#!/usr/bin/env bash
# quillmere-cli sort main on a 1,000,000-entry Main list in vendor order, from load to save:
# median wall time and peak memory over several runs (goal: under 2 s and 150 MB).
#
#   bench/sort_main.sh [RUNS]        RUNS defaults to 5; N=1000000 by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-5}
n=${N:-1000000}
build_release

d=$(lists_for "$n")
: >"$d/s.txt"
for ((run = 1; run <= runs; run++)); do
    rm -rf "$d/sort" && mkdir -p "$d/sort/imail" "$d/sort/data"
    cp "$d/factory.txt" "$d/sort/imail/url-domain-bl.txt"
    measure /dev/null "$cli" --imail-root "$d/sort/imail" --data "$d/sort/data" sort main >>"$d/s.txt"
done
tr -d '\r' <"$d/factory.txt" | grep -v '^$' | LC_ALL=C sort | sed 's/$/\r/' >"$d/sorted.txt"
cmp -s "$d/sort/imail/url-domain-bl.txt" "$d/sorted.txt" || { echo "sort main: wrong order" >&2; exit 1; }
s=$(cut -d' ' -f1 "$d/s.txt" | median)
m=$(cut -d' ' -f2 "$d/s.txt" | median)
awk -v n="$n" -v s="$s" -v m="$m" 'BEGIN {
    printf "sort main, %d lines: %.2f s, %.1f MB peak (goal: under 2 s and 150 MB)\n", n, s, m * 1024 / 1e6 }'
