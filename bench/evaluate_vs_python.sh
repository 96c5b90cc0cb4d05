#!/usr/bin/env bash
# quillmere-cli evaluate (30,050 hand additions against a release of N lines, from load to print)
# against a plain Python script making the same split with a set: both must print the same bytes.
# Runs the two alternately and prints the smallest, median and largest wall time and peak memory of
# each and the ratio of the median times.
#
#   bench/evaluate_vs_python.sh [RUNS]    RUNS defaults to 7; N=3000000 by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
n=${N:-3000000}
build_release

d=$(lists_for "$n")
print_machine
echo "$runs runs of each, alternately; times in seconds and memory in MB as min/median/max"
: >"$d/e.txt"
: >"$d/p.txt"
for ((run = 1; run <= runs; run++)); do
    measure "$d/evaluate.txt" "$cli" --imail-root "$d/imail" --data "$d/data" \
        evaluate "$d/factory.txt" >>"$d/e.txt"
    measure "$d/python.txt" python3 "$root/bench/evaluate_split.py" "$d/data/url-domain-add.txt" \
        "$d/factory.txt" >>"$d/p.txt"
    if ! cmp -s "$d/evaluate.txt" "$d/python.txt"; then
        echo "N=$n: quillmere-cli evaluate and the Python script disagree" >&2
        exit 1
    fi
done
es=$(cut -d' ' -f1 "$d/e.txt" | spread)
ps=$(cut -d' ' -f1 "$d/p.txt" | spread)
em=$(cut -d' ' -f2 "$d/e.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread)
pm=$(cut -d' ' -f2 "$d/p.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread)
emed=$(cut -d' ' -f1 "$d/e.txt" | median)
pmed=$(cut -d' ' -f1 "$d/p.txt" | median)
echo
echo "release of $n lines, $(grep -c . "$d/data/url-domain-add.txt") hand additions"
echo "  evaluate:      $es s, $em MB"
echo "  Python script: $ps s, $pm MB"
awk -v e="$emed" -v p="$pmed" 'BEGIN { printf "  time ratio of the medians %.2f (goal: at most 0.20)\n", e / p }'
print_load
