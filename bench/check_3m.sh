#!/usr/bin/env bash
# quillmere-cli check on two Main lists of N entries (3,000,000 by default), from the start of the
# command to its last line (load included):
#   generated  the generated factory list's domains (vendor order, 1% repeated, a few capitalised);
#   copies     the same domains with COPIES copies (1,000,000 by default) of one capitalised entry,
#              Spam.EX, on every third line, and spam.ex once at the end: every copy is reported
#              for its capitals, naming the spam.ex line, and as a repeat; the worst case for both.
# Checks what the copies' lines say, and prints the machine and min/median/max of the runs.
#
#   bench/check_3m.sh [RUNS]       RUNS defaults to 5; N=3000000, COPIES=1000000 by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-5}
n=${N:-3000000}
copies=${COPIES:-1000000}
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j2 --target quillmere-cli >/dev/null)
# A factory list a little longer than N, for N entries without its blank lines.
generated=$(lists_for "$((n + n / 50))")/factory.txt
d="$work/check-$n-$copies"

# The generated domains, blank lines dropped: N of them, or N - COPIES - 1 between the copies.
make_list() { # folder, domains, copies, a copy every that many lines
    mkdir -p "$1/imail" "$1/data"
    awk -v domains="$2" -v copies="$3" -v every="$4" '
        { sub(/\r$/, "") }
        $0 == "" { next }
        { if (made < copies && (out + 1) % every == 0) { print "Spam.EX\r"; made++; out++ }
          print $0 "\r"; out++ }
        out - made == domains { exit }
        END { if (copies > 0) { for (; made < copies; made++) print "Spam.EX\r"; print "spam.ex\r" } }' \
        "$generated" >"$1/imail/url-domain-bl.txt"
    [ "$(wc -l <"$1/imail/url-domain-bl.txt")" -eq "$n" ] ||
        { echo "the list of $1 does not hold $n entries" >&2; exit 1; }
}
if [ ! -f "$d/done" ]; then
    rm -rf "$d"
    make_list "$d/generated" "$n" 0 1
    make_list "$d/copies" "$((n - copies - 1))" "$copies" "$((n / copies))"
    touch "$d/done"
fi

print_machine
echo "$runs runs of each, alternately; times in seconds and memory in MB as min/median/max"
: >"$d/generated.txt"
: >"$d/copies.txt"
for ((run = 1; run <= runs; run++)); do
    for what in generated copies; do
        # check exits with status 1 when it finds something; its output is checked below.
        measure "$d/$what.out" "$cli" --imail-root "$d/$what/imail" --data "$d/$what/data" check \
            >>"$d/$what.txt" || true
    done
done

capitals=$(grep -cE "^main:[0-9]+: Spam\.EX: upper-case letters, same as line $n when folded\$" \
    "$d/copies.out" || true)
repeats=$(grep -cE '^main:[0-9]+: Spam\.EX: same entry twice \(also line [0-9]+\)$' "$d/copies.out" || true)
if [ "$capitals" -ne "$copies" ] || [ "$repeats" -ne "$copies" ]; then
    echo "check reported $capitals capitals and $repeats repeats of Spam.EX, not $copies each" >&2
    exit 1
fi

echo
echo "Main list of $n entries; findings: generated $(tail -n 1 "$d/generated.out" | cut -d: -f1)," \
    "copies $(tail -n 1 "$d/copies.out" | cut -d: -f1)"
for what in generated copies; do
    echo "  $what: $(cut -d' ' -f1 "$d/$what.txt" | spread) s," \
        "$(cut -d' ' -f2 "$d/$what.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread) MB"
done
print_load
