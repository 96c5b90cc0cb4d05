#!/usr/bin/env bash
# quillmere-cli query on a generated Main list of N entries (3,000,000 by default), from the start
# of the command to its answer (load included), against `grep -nxF` for the same domains; checks
# that both find the same Main lines. Prints the machine, the median and the spread of the runs.
#
#   bench/query_3m.sh [RUNS]       RUNS defaults to 7; N=3000000 by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
n=${N:-3000000}
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j2 --target quillmere-cli >/dev/null)
d=$(lists_for "$n")
main="$d/imail/url-domain-bl.txt"

# A domain from the middle of the list and one from its end, a subdomain of a listed domain
# (parents looked up), and a domain listed nowhere.
middle=$(sed -n "$((n / 2))p" "$main" | tr -d '\r')
last=$(tail -n 1 "$main" | tr -d '\r')
domains=("$middle" "$last" "www.a.b.$middle" "not-listed-anywhere.example")

expected=$(printf '%s\r\n' "$middle" "$last" | LC_ALL=C grep -nxF -f - "$main" | cut -d: -f1 | sort -n)
got=$("$cli" --imail-root "$d/imail" --data "$d/data" query "${domains[@]}" |
    grep -E ': main:[0-9]+: .*: exact$' | sed -E 's/.*: main:([0-9]+): .*/\1/' | sort -n || true)
if [ "$expected" != "$got" ]; then
    echo "quillmere-cli query and grep disagree on the Main lines" >&2
    exit 1
fi

print_machine
echo "$runs runs of each, alternately; times in seconds and memory in MB as min/median/max"
: >"$d/query.txt"
: >"$d/grep.txt"
for ((run = 1; run <= runs; run++)); do
    measure /dev/null "$cli" --imail-root "$d/imail" --data "$d/data" query --ignore-case \
        "${domains[@]}" >>"$d/query.txt" || true
    measure /dev/null bash -c "printf '%s\r\n' ${domains[*]} | LC_ALL=C grep -nxF -f - '$main'" \
        >>"$d/grep.txt" || true
done
echo
echo "Main list of $n entries, domains: ${domains[*]}"
for what in query grep; do
    echo "  $what: $(cut -d' ' -f1 "$d/$what.txt" | spread) s," \
        "$(cut -d' ' -f2 "$d/$what.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread) MB"
done
print_load
