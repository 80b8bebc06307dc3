#!/usr/bin/env bash
# Speed of tildo-cli on a large text next to `wc -w` on the same file, in the
# same run: the corpus texts repeated to about 100 MB, with every ё typed as е
# as the tool's input would be. Each command runs several times; the best time
# counts. The goals: with the shipped combinations at least twice the speed of
# `wc -w` (run in the caller's locale; the C locale's figure is shown beside
# it), without them at least 2.5 times; start-up with the shipped
# dictionaries (an empty text) at most 30 ms. Processor times and the peak
# memory on the largest corpus text are shown beside them.
#
# Usage: bench/bench_cli.sh [path/to/tildo-cli]
#   TILDO_CORPUS_DIR   directory of the UTF-8 corpus texts (default ../shared/corpus)
#   TILDO_BENCH_BYTES  size of the text (default 100000000)
#   TILDO_BENCH_RUNS   runs of each command (default 5)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/tildo-cli}
corpus=${TILDO_CORPUS_DIR:-$here/../../shared/corpus}
target=${TILDO_BENCH_BYTES:-100000000}
runs=${TILDO_BENCH_RUNS:-5}

[ -x "$cli" ] || { echo "no executable tildo-cli at $cli" >&2; exit 2; }
. "$here/bench_lib.sh"
corpus_texts "$corpus"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
text=$tmp/text.txt
repeated_text "$text" "$target"
bytes=$(stat -c %s "$text")

report() { # name, ns, baseline ns (0 for none)
    awk -v name="$1" -v ns="$2" -v base="$3" -v bytes="$bytes" 'BEGIN {
        s = ns / 1e9
        line = sprintf("%-30s %8.3f s %8.1f MB/s", name, s, bytes / s / 1e6)
        if (base > 0) line = line sprintf("   %.2f x wc -w", base / ns)
        print line
    }'
}

wc_ns=$(best_ns wc -w "$text")
wc_c_ns=$(best_ns env LC_ALL=C wc -w "$text")
default_ns=$(best_ns "$cli" --unanswered keep "$text")
nocombi_ns=$(best_ns "$cli" --unanswered keep --no-combi "$text")
novar_ns=$(best_ns "$cli" --unanswered keep --on NoVarOnly "$text")
: > "$tmp/empty.txt"
startup_ns=$(best_ns "$cli" --unanswered keep "$tmp/empty.txt")
# The same by processor time, which the other work of a shared machine
# disturbs less.
wc_cpu=$(best_cpu_ns wc -w "$text")
default_cpu=$(best_cpu_ns "$cli" --unanswered keep "$text")
nocombi_cpu=$(best_cpu_ns "$cli" --unanswered keep --no-combi "$text")
startup_cpu=$(best_cpu_ns "$cli" --unanswered keep "$tmp/empty.txt")
# Peak memory on the largest corpus text, with and without context judging.
largest=$(ls -SL "${texts[@]}" | head -1)
peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
peak_on=$(peak_kb "$cli" --unanswered keep "$largest")
peak_off=$(peak_kb "$cli" --unanswered keep --off Context "$largest")

echo "text: $bytes bytes from ${#texts[@]} corpus file(s) in $corpus; best of $runs runs; locale ${LC_ALL:-${LANG:-C}}; load average $(cut -d' ' -f1-3 /proc/loadavg)"
report "wc -w" "$wc_ns" 0
report "wc -w (LC_ALL=C)" "$wc_c_ns" 0
report "tildo-cli (default options)" "$default_ns" "$wc_ns"
report "tildo-cli --no-combi" "$nocombi_ns" "$wc_ns"
report "tildo-cli --on NoVarOnly" "$novar_ns" "$wc_ns"
awk -v ns="$startup_ns" 'BEGIN { printf "%-30s %8.1f ms\n", "start-up (empty text)", ns / 1e6 }'
echo "processor time (user + system):"
report "  wc -w" "$wc_cpu" 0
report "  tildo-cli (default options)" "$default_cpu" "$wc_cpu"
report "  tildo-cli --no-combi" "$nocombi_cpu" "$wc_cpu"
awk -v ns="$startup_cpu" 'BEGIN { printf "%-30s %8.1f ms\n", "  start-up (empty text)", ns / 1e6 }'
echo "peak memory on $(basename "$largest"): $((peak_on / 1024)) MB, $((peak_off / 1024)) MB with --off Context"
goal() { # description, met (0 or 1)
    if [ "$2" -eq 1 ]; then echo "goal ($1): met"; else echo "goal ($1): NOT met"; fi
}
goal "with combinations at least 2x the speed of wc -w" $((2 * default_ns <= wc_ns ? 1 : 0))
goal "without combinations at least 2.5x" $((5 * nocombi_ns <= 2 * wc_ns ? 1 : 0))
goal "start-up at most 30 ms" $((startup_ns <= 30000000 ? 1 : 0))
