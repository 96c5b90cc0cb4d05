#!/usr/bin/env bash
# Fails, naming file and line, when an include climbs a layer (core < app < gui, cli on top),
# when the core uses Qt, or when code outside src/platform asks which system it is built for.
set -euo pipefail
src=${1:?source folder}
failures=0

include='#[[:space:]]*include[[:space:]]*'
# grep -n puts FILE:LINE: before each line.
at='^[^:]+:[0-9]+:[[:space:]]*'

# Lines of the C++ files under a folder that match a pattern, as FILE:LINE: TEXT.
matches() {
    local pattern=$1
    shift
    grep -rnE --include='*.cpp' --include='*.h' --include='*.inl' "$pattern" "$@" || true
}

# Prints the lines found under a heading and counts them.
report() {
    local heading=$1 hits=$2
    if [ -n "$hits" ]; then
        echo "$heading"
        echo "$hits"
        failures=$((failures + $(printf '%s\n' "$hits" | wc -l)))
    fi
}

report "src/core uses the standard library only, no Qt header:" \
    "$(matches "^[[:space:]]*$include<(Q|q[a-z]*\.h>)" "$src/core")"
report "src/core includes only core/... and platform/PageMemory.h:" \
    "$(matches "^[[:space:]]*$include\"" "$src/core" |
       grep -vE "$at$include\"(core/[^\"]+|platform/PageMemory\.h)\"" || true)"
report "src/app (QtCore) includes neither gui/ nor cli/:" \
    "$(matches "^[[:space:]]*$include\"(gui|cli)/" "$src/app")"
report "src/gui includes nothing of cli/:" \
    "$(matches "^[[:space:]]*$include\"cli/" "$src/gui")"
report "What differs by system lives in src/platform, one source file per system:" \
    "$(matches '^[[:space:]]*#[[:space:]]*(if|ifdef|ifndef|elif|elifdef|elifndef)([^A-Za-z0-9_].*)?(^|[^A-Za-z0-9_])(_WIN32|Q_OS_[A-Za-z0-9_]*|__linux__|__unix__|__GLIBC__)' \
       "$src" | grep -v "^$src/platform/" || true)"

if [ "$failures" -gt 0 ]; then
    echo "0 passed, $failures failed"
    exit 1
fi
echo "1 passed, 0 failed"
