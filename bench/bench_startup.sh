#!/usr/bin/env bash
# Start-up of the installed window next to tildo-cli, in the same run: the
# window from its start to the first idle moment with the shipped dictionaries
# loaded (`tildo --startup-check` without a text, offscreen), beside tildo-cli
# restoring a one-word text. Both run from a scratch prefix the build is
# installed into, with their settings in a scratch XDG_CONFIG_HOME. The two take
# turns several times; the best time of each counts. The goal: the window within
# 3× of the command-line tool in processor time, which other work sharing the
# machine disturbs least (the wall times are shown beside it).
#
# Usage: bench/bench_startup.sh [build directory]   (default: build)
#   TILDO_BENCH_RUNS   runs of each program (default 15)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${TILDO_BENCH_RUNS:-15}
[ -x "$build/bin/tildo" ] || { echo "no window built in $build (configure with -DTILDO_BUILD_GUI=ON)" >&2; exit 2; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
export XDG_CONFIG_HOME=$tmp/config XDG_STATE_HOME=$tmp/state QT_QPA_PLATFORM=offscreen
printf 'еще\n' > "$tmp/word.txt"
cd "$tmp"

# One run of a command: its wall time and its processor time (user + system),
# both in microseconds. On a machine shared with other work the processor time
# is the steadier figure; both are shown.
measure() {
    local start end cpu
    start=$(date +%s%N)
    cpu=$( { TIMEFORMAT='%3U %3S'; time "$@" > /dev/null 2>&1 || echo FAILED >&2; } 2>&1 )
    end=$(date +%s%N)
    case $cpu in *FAILED*) echo "failed: $*" >&2; exit 1 ;; esac
    awk -v wall=$(((end - start) / 1000)) -v cpu="$cpu" 'BEGIN { split(cpu, t, " "); printf "%d %d\n", wall, (t[1] + t[2]) * 1e6 }'
}

# The two programs take turns, so that a change in the machine's load while the
# benchmark runs falls on both alike; the best of each figure counts.
declare -A best=([cli_wall]=0 [cli_cpu]=0 [window_wall]=0 [window_cpu]=0)
keep() { # name, value
    if [ "${best[$1]}" -eq 0 ] || [ "$2" -lt "${best[$1]}" ]; then best[$1]=$2; fi
}
for _ in $(seq "$runs"); do
    read -r wall cpu < <(measure "$tmp/prefix/bin/tildo-cli" word.txt)
    keep cli_wall "$wall"; keep cli_cpu "$cpu"
    read -r wall cpu < <(measure "$tmp/prefix/bin/tildo" --startup-check)
    keep window_wall "$wall"; keep window_cpu "$cpu"
done

awk -v cw="${best[cli_wall]}" -v cc="${best[cli_cpu]}" -v ww="${best[window_wall]}" -v wc="${best[window_cpu]}" 'BEGIN {
    printf "%-46s %8s %8s\n", "", "wall", "cpu"
    printf "%-46s %6.1f ms %6.1f ms\n", "tildo-cli, one-word text (baseline)", cw / 1e3, cc / 1e3
    printf "%-46s %6.1f ms %6.1f ms\n", "tildo, start to first idle with dictionaries", ww / 1e3, wc / 1e3
    rw = ww / cw; rc = wc / cc
    printf "ratio: wall %.2f×, cpu %.2f× (goal: at most 3× in processor time) %s\n", rw, rc, rc <= 3 ? "met" : "NOT MET"
}'
