#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures DIR when it is new or when the
# options differ from the last configure (from a fresh cache), then builds it. A failed configure
# prints CMake's whole output, since the error alone rarely says enough.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
wanted="$*"
stamp="$dir/.tonilo-configure-options"
if [ ! -f "$dir/build.ninja" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$wanted" ]; then
    mkdir -p "$dir"
    # --fresh drops the old cache, so an option left out now is really gone.
    fresh=()
    [ -f "$dir/CMakeCache.txt" ] && fresh=(--fresh)
    rm -f "$stamp"
    if ! log=$(cmake "${fresh[@]}" -S . -B "$dir" -G Ninja "$@" 2>&1); then
        echo "$log" >&2
        echo "build.sh: configuring $dir failed" >&2
        exit 1
    fi
    printf '%s' "$wanted" > "$stamp"
fi
cmake --build "$dir" -j "$(nproc)"
