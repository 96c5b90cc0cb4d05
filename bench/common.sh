# Shared by the benchmark scripts: the release build, the generated lists, the machine and the
# measurements.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${BENCH_DIR:-/tmp/quillmere-bench}
# CLI=path measures another build of the tool, such as one of an earlier commit.
cli=${CLI:-"$root/build/release/src/cli/quillmere-cli"}
mkdir -p "$work"
# The tool takes only absolute folders.
work=$(cd "$work" && pwd)

if [ ! -x /usr/bin/time ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq time
fi

build_release() {
    (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j2 >/dev/null)
}

# The generated lists for N entries, made once and kept in the work folder.
lists_for() {
    local n=$1
    if [ ! -f "$work/$n/done" ]; then
        rm -rf "${work:?}/$n"
        python3 "$root/bench/generate_lists.py" "$n" "$work/$n"
        touch "$work/$n/done"
    fi
    echo "$work/$n"
}

# What the numbers depend on: cores, processor, transparent huge pages, kernel, the load other
# programs put on the machine, and what fresh memory costs here.
print_machine() {
    local model thp
    model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
    thp=$(sed 's/.*\[\(.*\)\].*/\1/' /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null ||
        echo unknown)
    echo "machine: $(nproc) cores, ${model:-unknown processor}, transparent huge pages: $thp," \
        "Linux $(uname -r), load average $(cut -d' ' -f1-3 /proc/loadavg)"
    python3 "$root/bench/fresh_memory.py"
}

print_load() {
    echo "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
}

# Runs a command, its standard output going to the given file, and prints its wall time in
# seconds, its peak resident memory in kB, and its system and user time in seconds.
measure() {
    local out=$1
    shift
    /usr/bin/time -f "%e %M %S %U" -o "$work/time.txt" "$@" >"$out"
    tail -n 1 "$work/time.txt"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The smallest, the median and the largest of the numbers read, one per line, as "min/med/max".
spread() {
    sort -n | awk '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%s/%s/%s", v[1], m, v[NR] }'
}
