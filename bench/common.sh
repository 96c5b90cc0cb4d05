# Shared by the benchmark scripts: the release build, the generated lists and the measurements.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${BENCH_DIR:-/tmp/quillmere-bench}
cli="$root/build/release/src/cli/quillmere-cli"
mkdir -p "$work"

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

# Runs a command and prints its wall time in seconds and its peak resident memory in kB.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null
    tail -n 1 "$work/time.txt"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
