#!/usr/bin/env bash
# Start-up of the installed window next to tildo-cli, in the same run: the
# window from its start to the first idle moment with the shipped dictionaries
# loaded (`tildo --startup-check` without a text, offscreen), beside tildo-cli
# restoring a one-word text. Both run from a scratch prefix the build is
# installed into, with their settings in a scratch XDG_CONFIG_HOME. Each runs
# several times; the best time counts. The goal: the window within 3× of the
# command-line tool.
#
# Usage: bench/bench_startup.sh [build directory]   (default: build)
#   TILDO_BENCH_RUNS   runs of each program (default 7)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${TILDO_BENCH_RUNS:-7}
[ -x "$build/bin/tildo" ] || { echo "no window built in $build (configure with -DTILDO_BUILD_GUI=ON)" >&2; exit 2; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
export XDG_CONFIG_HOME=$tmp/config XDG_STATE_HOME=$tmp/state QT_QPA_PLATFORM=offscreen
printf 'еще\n' > "$tmp/word.txt"
cd "$tmp"

# The best wall time of a command over the runs, in nanoseconds.
best() {
    local best_ns=0 start end ns
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
        end=$(date +%s%N)
        ns=$((end - start))
        if [ "$best_ns" -eq 0 ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
    done
    echo "$best_ns"
}

cli_ns=$(best "$tmp/prefix/bin/tildo-cli" word.txt)
window_ns=$(best "$tmp/prefix/bin/tildo" --startup-check)
awk -v w="$window_ns" -v c="$cli_ns" 'BEGIN {
    printf "%-44s %8.1f ms\n", "tildo-cli, one-word text (baseline)", c / 1e6
    printf "%-44s %8.1f ms\n", "tildo, start to first idle with dictionaries", w / 1e6
    ratio = w / c
    printf "ratio %.2f× (goal: at most 3×) %s\n", ratio, ratio <= 3 ? "met" : "NOT MET"
}'
