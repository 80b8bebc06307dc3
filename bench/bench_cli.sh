#!/usr/bin/env bash
# Speed of tildo-cli on a large text next to `wc -w` on the same file, in the
# same run: the corpus texts repeated to about 10 MB, with every ё typed as е as
# the tool's input would be. Each command runs several times; the best time
# counts. The goal is at least half the speed of `wc -w` (run in the caller's
# locale; the C locale's figure is shown beside it).
#
# Usage: bench/bench_cli.sh [path/to/tildo-cli]
#   TILDO_CORPUS_DIR   directory of the UTF-8 corpus texts (default ../shared/corpus)
#   TILDO_BENCH_BYTES  size of the text (default 10000000)
#   TILDO_BENCH_RUNS   runs of each command (default 5)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/tildo-cli}
corpus=${TILDO_CORPUS_DIR:-$here/../../shared/corpus}
target=${TILDO_BENCH_BYTES:-10000000}
runs=${TILDO_BENCH_RUNS:-5}

[ -x "$cli" ] || { echo "no executable tildo-cli at $cli" >&2; exit 2; }
shopt -s nullglob
texts=("$corpus"/*.txt)
[ ${#texts[@]} -gt 0 ] || { echo "no corpus texts in $corpus" >&2; exit 2; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
text=$tmp/text.txt
: > "$text"
while [ "$(stat -c %s "$text")" -lt "$target" ]; do
    sed 's/ё/е/g; s/Ё/Е/g' "${texts[@]}" >> "$text"
done
bytes=$(stat -c %s "$text")

# The best wall time of a command over the runs, in nanoseconds.
best() {
    local best_ns=0 start end ns
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1
        end=$(date +%s%N)
        ns=$((end - start))
        if [ "$best_ns" -eq 0 ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
    done
    echo "$best_ns"
}

report() { # name, ns, baseline ns (0 for none)
    awk -v name="$1" -v ns="$2" -v base="$3" -v bytes="$bytes" 'BEGIN {
        s = ns / 1e9
        line = sprintf("%-30s %8.3f s %8.1f MB/s", name, s, bytes / s / 1e6)
        if (base > 0) line = line sprintf("   %.2f x wc -w", base / ns)
        print line
    }'
}

wc_ns=$(best wc -w "$text")
wc_c_ns=$(best env LC_ALL=C wc -w "$text")
default_ns=$(best "$cli" --unanswered keep "$text")
novar_ns=$(best "$cli" --unanswered keep --on NoVarOnly "$text")

echo "text: $bytes bytes from ${#texts[@]} corpus file(s) in $corpus; best of $runs runs; locale ${LC_ALL:-${LANG:-C}}"
report "wc -w" "$wc_ns" 0
report "wc -w (LC_ALL=C)" "$wc_c_ns" 0
report "tildo-cli (default options)" "$default_ns" "$wc_ns"
report "tildo-cli --on NoVarOnly" "$novar_ns" "$wc_ns"
slowest=$((default_ns > novar_ns ? default_ns : novar_ns))
if [ $((2 * wc_ns)) -ge "$slowest" ]; then
    echo "goal (at least half the speed of wc -w): met"
else
    echo "goal (at least half the speed of wc -w): NOT met"
fi
