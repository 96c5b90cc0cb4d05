#!/usr/bin/env bash
# quillmere-cli add, remove, reactivate and unadd, each given K domains at once (100,000 by
# default), on the generated lists of N entries (1,000,000 by default), against `count`, a plain
# load of the same lists. Each command is timed from its spawn to its exit (the system's copying of
# the arguments, the start, lock, load, the edit, the save with its backup, and the journal), by
# bench/timed_spawn.c. Goal: each at most 3 times the load.
#
#   bench/bulk_edit_1m.sh [RUNS]       RUNS defaults to 5; N=1000000, K=100000 by default
#
# Every run starts from a fresh copy of the lists and applies, in turn: add K domains the lists do
# not hold, remove the last K entries of the Main list that it holds once and the tracking lists
# not at all (the farthest a first match can be; each is recorded in the Removed list),
# reactivate those K, and unadd the K added first (the Added list's last entries).
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-5}
n=${N:-1000000}
k=${K:-100000}
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j2 --target quillmere-cli >/dev/null)
d=$(lists_for "$n")
main="$d/imail/url-domain-bl.txt"

# K domains on one command line: a few MB, more than the usual limit of 2 MB, which is a quarter
# of the stack limit (the kernel allows at most 6 MB).
ulimit -s 32768
seq 1 "$k" | sed 's/^/bulk-edit-/; s/$/.example/' >"$d/bulk-new.txt"
tr -d '\r' <"$main" >"$d/bulk-main.txt"
cat "$d/data/url-domain-add.txt" "$d/data/url-domain-rem.txt" | tr -d '\r' >"$d/bulk-tracked.txt"
awk -v k="$k" 'FNR == NR { tracked[$0] = 1; next }
    { line[FNR] = $0; copies[$0]++ }
    END { for (i = FNR; i > 0 && taken < k; i--) if (copies[line[i]] == 1 && !(line[i] in tracked)) pick[++taken] = line[i]
          for (i = taken; i > 0; i--) print pick[i] }' "$d/bulk-tracked.txt" "$d/bulk-main.txt" >"$d/bulk-last.txt"
[ "$(wc -l <"$d/bulk-last.txt")" -eq "$k" ] || { echo "the Main list has too few entries for K=$k" >&2; exit 1; }
mapfile -t new <"$d/bulk-new.txt"
mapfile -t last <"$d/bulk-last.txt"

run_dir="$d/bulk-run"
one_dir="$d/bulk-one-run"
# The shell's own building of K arguments takes longer than the tool's whole run, and would be
# timed with it by `date` or `time`; a small launcher of our own takes the time from the spawn to
# the exit, and the peak resident memory, of the command alone.
spawn="$work/timed_spawn"
cc -O2 -Wall -Wextra -Werror -o "$spawn" "$root/bench/timed_spawn.c"
timed() {
    "$spawn" "$work/time.txt" "$cli" --imail-root "$run_dir/imail" --data "$run_dir/data" "$@" \
        >/dev/null
    awk '{ printf "%.3f %s\n", $1, $2 }' "$work/time.txt"
}

print_machine
echo "$runs runs; lists of $n entries, $k domains per command; times in seconds as min/median/max"
for what in count one start add remove reactivate unadd; do : >"$d/bulk-$what.txt"; done
for ((run = 1; run <= runs; run++)); do
    rm -rf "$run_dir" && mkdir -p "$run_dir"
    cp -r "$d/imail" "$d/data" "$run_dir/"
    # The copies go to the disk first: the lock's flush would otherwise wait for them in
    # whichever command comes first.
    sync
    timed count >>"$d/bulk-count.txt"
    # What any edit pays whatever it is given: the save of the lists, with its backup and journal
    # (one domain added, on a copy of its own), and the start of a program with K arguments.
    rm -rf "$one_dir" && mkdir -p "$one_dir"
    cp -r "$d/imail" "$d/data" "$one_dir/"
    sync
    "$spawn" "$work/time.txt" "$cli" --imail-root "$one_dir/imail" --data "$one_dir/data" add \
        bulk-edit-one.example >/dev/null
    cut -d' ' -f1 "$work/time.txt" >>"$d/bulk-one.txt"
    "$spawn" "$work/time.txt" /bin/true "${new[@]}"
    cut -d' ' -f1 "$work/time.txt" >>"$d/bulk-start.txt"
    timed add "${new[@]}" >>"$d/bulk-add.txt"
    timed remove "${last[@]}" >>"$d/bulk-remove.txt"
    timed reactivate "${last[@]}" >>"$d/bulk-reactivate.txt"
    timed unadd "${new[@]}" >>"$d/bulk-unadd.txt"
done

# The four commands undo each other but for the order: the Main list holds what it held, the K
# removed and reactivated entries moved behind the rest; the tracking lists are as generated; the
# journal has 4 K lines.
expected=$( (LC_ALL=C grep -vxF -f "$d/bulk-last.txt" "$d/bulk-main.txt"; cat "$d/bulk-last.txt") |
    sed 's/$/\r/' | cksum)
[ "$(cksum <"$run_dir/imail/url-domain-bl.txt")" = "$expected" ] ||
    { echo "the Main list is not what the commands should leave" >&2; exit 1; }
cmp -s "$run_dir/data/url-domain-add.txt" "$d/data/url-domain-add.txt" &&
    cmp -s "$run_dir/data/url-domain-rem.txt" "$d/data/url-domain-rem.txt" ||
    { echo "the tracking lists are not what the commands should leave" >&2; exit 1; }
[ "$(wc -l <"$run_dir/data/url-domain-log.txt")" -eq $((4 * k)) ] ||
    { echo "the journal does not hold one line per edit" >&2; exit 1; }

count_median=$(cut -d' ' -f1 "$d/bulk-count.txt" | median)
echo
echo "  count (the load): $(cut -d' ' -f1 "$d/bulk-count.txt" | spread) s," \
    "$(cut -d' ' -f2 "$d/bulk-count.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread) MB"
for what in add remove reactivate unadd; do
    # The ratio of each run's command to the same run's load, so that a change in the machine's
    # load shows in the spread rather than in one number.
    ratios=$(paste -d' ' "$d/bulk-$what.txt" "$d/bulk-count.txt" |
        awk '{ printf "%.2f\n", $1 / ($3 > 0 ? $3 : 0.01) }' | spread)
    printf '  %-10s %s s, %s MB; times the load: %s (goal: at most 3)\n' "$what:" \
        "$(cut -d' ' -f1 "$d/bulk-$what.txt" | spread)" \
        "$(cut -d' ' -f2 "$d/bulk-$what.txt" | awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }' | spread)" \
        "$ratios"
done
echo "  (median of the load: $count_median s)"
echo "  add of one domain (the save, its backup and journal): $(spread <"$d/bulk-one.txt") s;" \
    "/bin/true given the same $k arguments (what the system takes to start any program with" \
    "them): $(spread <"$d/bulk-start.txt") s"
print_load
