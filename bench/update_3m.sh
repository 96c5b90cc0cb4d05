#!/usr/bin/env bash
# quillmere-cli update of a generated 3,000,000-entry factory list from a local HTTP server,
# against merge FILE of the same file plus curl's transfer of the same URL. The three run
# alternately on fresh copies of the lists; both commands must write the same Main list. Prints
# the machine, the smallest, median and largest wall time of each, and the ratio of the update's
# median to the sum of the other two medians.
#
#   bench/update_3m.sh [RUNS]      RUNS defaults to 7; N=3000000 by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
n=${N:-3000000}
"$root/scripts/install-deps.sh" curl
(cd "$root" && cmake --preset release >/dev/null &&
    cmake --build --preset release -j2 --target quillmere-cli >/dev/null)
d=$(lists_for "$n")

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$d" "$port" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
url="http://127.0.0.1:$port/factory.txt"
for _ in $(seq 1 50); do
    curl -s -o /dev/null "$url" && break
    sleep 0.2
done

fresh() { # a copy of the lists, with a settings file of its own and no earlier download
    rm -rf "$d/run" && mkdir -p "$d/run" && cp -r "$d/imail" "$d/data" "$d/run/"
    : >"$d/run/registry.ini"
}
tool=("$cli" --registry "$d/run/registry.ini" --imail-root "$d/run/imail" --data "$d/run/data")

print_machine
echo "$runs runs of each, alternately; times in seconds as min/median/max"
: >"$d/update.txt"
: >"$d/merge.txt"
: >"$d/curl.txt"
for ((run = 1; run <= runs; run++)); do
    fresh
    measure /dev/null "${tool[@]}" update "$url" >>"$d/update.txt"
    cp "$d/run/imail/url-domain-bl.txt" "$d/updated.txt"
    fresh
    measure /dev/null "${tool[@]}" merge "$d/factory.txt" >>"$d/merge.txt"
    if ! cmp -s "$d/run/imail/url-domain-bl.txt" "$d/updated.txt"; then
        echo "update and merge FILE wrote different Main lists" >&2
        exit 1
    fi
    measure /dev/null curl -s -o /dev/null "$url" >>"$d/curl.txt"
done
us=$(cut -d' ' -f1 "$d/update.txt" | spread)
ms=$(cut -d' ' -f1 "$d/merge.txt" | spread)
cs=$(cut -d' ' -f1 "$d/curl.txt" | spread)
umed=$(cut -d' ' -f1 "$d/update.txt" | median)
mmed=$(cut -d' ' -f1 "$d/merge.txt" | median)
cmed=$(cut -d' ' -f1 "$d/curl.txt" | median)
echo
echo "N=$n, factory list $(awk -v b="$(wc -c <"$d/factory.txt")" 'BEGIN { printf "%.1f", b / 1e6 }') MB"
echo "  update URL:  $us s"
echo "  merge FILE:  $ms s"
echo "  curl URL:    $cs s"
awk -v u="$umed" -v m="$mmed" -v c="$cmed" 'BEGIN {
    printf "  update / (merge + curl), medians: %.2f\n", u / (m + c) }'
print_load
echo
echo "goal: update / (merge + curl) at most 1.3"
