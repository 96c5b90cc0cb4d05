#!/usr/bin/env bash
# quillmere-cli merge and rebuild against the Unix pipeline an administrator would use instead, on
# the same generated lists: both must write the same bytes (checked on every run). Runs the three
# commands of a size alternately (the tool, the pipeline, the I/O floor), so that a change in the
# machine's load hits all of them, and prints for each size the smallest, median and largest wall
# time, system time and peak memory, the ratio of the median times to the pipeline's and to the
# floor with the smallest and largest ratio of a run, and the tool's peak memory over its input.
#
# The I/O floor is what no merge can undercut: reading the four input files and writing the
# output's bytes once, flushed to the disk with fsync. It reads through one small buffer and so
# touches no new memory; the held floor reads each input whole into memory of its own instead, as
# any merge that keeps its inputs must, and writes the output the same way: what the fresh memory
# for the inputs costs on this machine at this hour, before a single line is looked at.
#
#   bench/merge_vs_unix.sh [RUNS]    RUNS defaults to 7 (at least 5)
#   SIZES="1000000 3000000 10000000" by default; COMMANDS="merge rebuild" by default
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
if ((runs < 5)); then
    echo "at least 5 runs, for a spread worth printing" >&2
    exit 2
fi
sizes=${SIZES:-"1000000 3000000 10000000"}
commands=${COMMANDS:-"merge rebuild"}
build_release

unix_merge() { # the lists folder, the output file, with or without the factory list
    local d=$1 out=$2 factory=$3
    local inputs=("$d/imail/url-domain-bl.txt")
    [ "$factory" = merge ] && inputs+=("$d/factory.txt")
    inputs+=("$d/data/url-domain-add.txt")
    tr -d '\r' <"$d/data/url-domain-rem.txt" >"$d/patterns.txt"
    echo >>"$d/patterns.txt" # an empty pattern drops the blank line sort -u leaves
    cat "${inputs[@]}" | tr -d '\r' | LC_ALL=C sort -u | LC_ALL=C grep -vxF -f "$d/patterns.txt" |
        sed 's/$/\r/' >"$out"
}
export -f unix_merge

io_floor() { # the output file, its size in bytes, the input files
    local out=$1 bytes=$2
    shift 2
    cat "$@" >/dev/null
    dd if=/dev/zero of="$out" bs=4M count="$bytes" iflag=count_bytes conv=fsync status=none
}
export -f io_floor

held_floor() { # as io_floor, each input read whole into a buffer of its size
    local out=$1 bytes=$2 file
    shift 2
    for file in "$@"; do
        dd if="$file" of=/dev/null bs="$(stat -c %s "$file")" iflag=fullblock status=none
    done
    dd if=/dev/zero of="$out" bs=4M count="$bytes" iflag=count_bytes conv=fsync status=none
}
export -f held_floor

mb() { awk '{ printf "%.1f\n", $1 * 1024 / 1e6 }'; }

for n in $sizes; do
    lists_for "$n" >/dev/null # generated before the machine is described
done
print_machine
echo "$runs runs of each, alternately; times in seconds and memory in MB as min/median/max"
for n in $sizes; do
    d=$(lists_for "$n")
    for command in $commands; do
        files=("$d/imail/url-domain-bl.txt")
        args=(rebuild)
        if [ "$command" = merge ]; then
            files+=("$d/factory.txt")
            args=(merge "$d/factory.txt")
        fi
        files+=("$d/data/url-domain-add.txt" "$d/data/url-domain-rem.txt")
        input=$(cat "${files[@]}" | wc -c)
        : >"$d/q.txt"
        : >"$d/u.txt"
        : >"$d/f.txt"
        : >"$d/h.txt"
        for ((run = 1; run <= runs; run++)); do
            rm -rf "$d/run" && mkdir -p "$d/run" && cp -r "$d/imail" "$d/data" "$d/run/"
            measure /dev/null "$cli" --imail-root "$d/run/imail" --data "$d/run/data" \
                "${args[@]}" >>"$d/q.txt"
            measure /dev/null bash -c "unix_merge '$d' '$d/unix.txt' $command" >>"$d/u.txt"
            if ! cmp -s "$d/run/imail/url-domain-bl.txt" "$d/unix.txt"; then
                echo "N=$n $command: quillmere-cli and the Unix pipeline disagree" >&2
                exit 1
            fi
            bytes=$(wc -c <"$d/unix.txt")
            measure /dev/null bash -c "io_floor '$d/floor.txt' $bytes ${files[*]}" >>"$d/f.txt"
            measure /dev/null bash -c "held_floor '$d/floor.txt' $bytes ${files[*]}" >>"$d/h.txt"
        done
        rm -f "$d/floor.txt"
        # Each line: wall time, peak memory in kB, system time, user time.
        qs=$(cut -d' ' -f1 "$d/q.txt" | spread)
        us=$(cut -d' ' -f1 "$d/u.txt" | spread)
        fs=$(cut -d' ' -f1 "$d/f.txt" | spread)
        qsys=$(cut -d' ' -f3 "$d/q.txt" | spread)
        usys=$(cut -d' ' -f3 "$d/u.txt" | spread)
        fsys=$(cut -d' ' -f3 "$d/f.txt" | spread)
        hs=$(cut -d' ' -f1 "$d/h.txt" | spread)
        hsys=$(cut -d' ' -f3 "$d/h.txt" | spread)
        qm=$(cut -d' ' -f2 "$d/q.txt" | mb | spread)
        um=$(cut -d' ' -f2 "$d/u.txt" | mb | spread)
        pairs=$(paste -d' ' "$d/q.txt" "$d/u.txt" | awk '{ printf "%.3f\n", $1 / $5 }' | spread)
        floors=$(paste -d' ' "$d/q.txt" "$d/f.txt" | awk '{ printf "%.2f\n", $1 / $5 }' | spread)
        memories=$(cut -d' ' -f2 "$d/q.txt" | awk -v b="$input" '{ printf "%.2f\n", $1 * 1024 / b }' |
            spread)
        qmed=$(cut -d' ' -f1 "$d/q.txt" | median)
        umed=$(cut -d' ' -f1 "$d/u.txt" | median)
        fmed=$(cut -d' ' -f1 "$d/f.txt" | median)
        hmed=$(cut -d' ' -f1 "$d/h.txt" | median)
        echo
        echo "N=$n $command, input $(awk -v b="$input" 'BEGIN { printf "%.1f", b / 1e6 }') MB"
        printf "  %-15s %s s (system %s s), %s MB\n" "$command:" "$qs" "$qsys" "$qm"
        printf "  %-15s %s s (system %s s), %s MB\n" "Unix pipeline:" "$us" "$usys" "$um"
        printf "  %-15s %s s (system %s s)\n" "I/O floor:" "$fs" "$fsys"
        printf "  %-15s %s s (system %s s)\n" "held floor:" "$hs" "$hsys"
        awk -v q="$qmed" -v u="$umed" -v f="$fmed" -v h="$hmed" -v p="$pairs" -v r="$floors" \
            -v m="$memories" 'BEGIN {
            printf "  time / pipeline %.3f (runs %s), time / floor %.2f (runs %s)\n", q / u, p, q / f, r
            printf "  held floor / floor %.2f\n", h / f
            printf "  peak memory / input %s\n", m }'
        print_load
    done
done
echo
echo "goals: time / pipeline at most 0.20, time / floor at most 4, peak memory / input at most 1.5"
