#!/usr/bin/env bash
# Opens the Quillmere window on a self-contained demo under the build folder:
#   demo/imail/url-domain-bl.txt   a blacklist of a few thousand made-up spam domains (CR LF)
#   demo/URLdata/                  the tracking data folder, empty until the first save
#   demo/install/rQueue.bat        a harmless stand-in for the queue restart; it appends a line
#                                  to demo/install/rQueue.log each time it runs
#   demo/registry.ini              the settings, presenting an installed Imail 8.10
# The demo is made afresh on every run.
set -euo pipefail
build=${1:-build/release}
program="$build/src/gui/quillmere"
demo="$(cd "$build" && pwd)/demo"

rm -rf "$demo"
mkdir -p "$demo/imail" "$demo/URLdata" "$demo/install"

# Domains from word parts, the same ones on every run, each once, in no particular order.
awk 'BEGIN {
    srand(20040817);
    split("cheap best free super mega top online discount quick easy smart hot prime royal \
lucky golden express direct global instant secure", first, " ");
    split("pills meds pharma casino loans rx watches deals bonus slots credit dating \
offers prizes replica mortgage diet vitamins software tickets", second, " ");
    split("com net info biz org ru cn ws cc tk", tld, " ");
    n = 0;
    while (n < 4000) {
        name = first[int(rand() * 20) + 1] second[int(rand() * 20) + 1];
        r = rand();
        if (r < 0.35) name = name int(rand() * 1000);
        else if (r < 0.5) name = name "-" first[int(rand() * 20) + 1];
        domain = name "." tld[int(rand() * 10) + 1];
        if (!(domain in seen)) { seen[domain] = 1; printf "%s\r\n", domain; n++ }
    }
}' > "$demo/imail/url-domain-bl.txt"

cat > "$demo/install/rQueue.bat" <<'BAT'
#!/bin/sh
# Stands in for the batch file that restarts Imail's queue manager: it only records that it ran.
echo "$(date '+%Y-%m-%d %H:%M:%S') queue manager restart requested" >> "$(dirname "$0")/rQueue.log"
BAT
chmod +x "$demo/install/rQueue.bat"

cat > "$demo/registry.ini" <<INI
[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]
installPath=$demo/install
imailPath=$demo/imail
dataPath=$demo/URLdata
importPath=$demo/imail
exitSave=0
exitSort=0
restartQueue=0

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global]
TopDir=$demo/imail
Version=8.10
INI

echo "Demo made in $demo ($(wc -l < "$demo/imail/url-domain-bl.txt") domains)."
echo "A queue restart appends a line to $demo/install/rQueue.log."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: run it as 'xvfb-run make run' on a machine without a screen." >&2
    exit 1
fi
exec "$program" --registry "$demo/registry.ini"
