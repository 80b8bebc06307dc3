#!/usr/bin/env bash
# Corpus scale, three figures measured against baselines of the same run:
#  1. memory: a large text (1 GB by default) restored by streaming; the peak
#     resident memory of tildo-cli is reported against the 64 MB goal;
#  2. threads: the same files restored with -j 2 and with -j 1; the speed-up
#     is reported against the goal of 1.8 (on two free cores), with the load
#     average of the machine beside it;
#  3. Python: a JSON Lines file (100 MB by default) restored by the Python
#     module, read in pieces of 4 MB and given to it a piece per call, against
#     tildo-cli --jsonl on it; the goal is at most 1.5 times tildo-cli's time.
# Texts are the corpus texts repeated, with every ё typed as е; the shipped
# combination dictionary is on. Each timed command runs several times and the
# best time counts.
#
# Usage: bench/bench_scale.sh [build directory]
#   TILDO_CORPUS_DIR        directory of the UTF-8 corpus texts (default ../shared/corpus)
#   TILDO_BENCH_STREAM_MB   size of the streamed text (default 1024)
#   TILDO_BENCH_FILES_MB    size of each of the 8 files for -j (default 16)
#   TILDO_BENCH_JSONL_MB    size of the JSON Lines file (default 100)
#   TILDO_BENCH_RUNS        runs of each timed command (default 3)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cli=$build/bin/tildo-cli
corpus=${TILDO_CORPUS_DIR:-$here/../../shared/corpus}
stream_mb=${TILDO_BENCH_STREAM_MB:-1024}
files_mb=${TILDO_BENCH_FILES_MB:-16}
jsonl_mb=${TILDO_BENCH_JSONL_MB:-100}
runs=${TILDO_BENCH_RUNS:-3}
combi=(-c "$build/bin/combi.dat" --unanswered keep)

[ -x "$cli" ] || { echo "no executable tildo-cli at $cli" >&2; exit 2; }
. "$here/bench_lib.sh"
corpus_texts "$corpus"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sed 's/ё/е/g; s/Ё/Е/g' "${texts[@]}" > "$tmp/unit.txt"

# A text of at least $2 MB at $1, built by doubling.
make_text() {
    cp "$tmp/unit.txt" "$1"
    while [ "$(stat -c %s "$1")" -lt $(($2 * 1000000)) ]; do
        cat "$1" "$1" > "$1.next"
        mv "$1.next" "$1"
    done
}

# The best wall time of a command over the runs, in seconds.
best() {
    awk -v ns="$(best_ns "$@")" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

echo "== 1. streaming memory"
make_text "$tmp/big.txt" "$stream_mb"
size=$(stat -c %s "$tmp/big.txt")
/usr/bin/time -f "%M %e" -o "$tmp/rss" "$cli" "${combi[@]}" -o "$tmp/big.out" "$tmp/big.txt" 2>/dev/null
read -r rss_kb seconds < "$tmp/rss"
awk -v s="$size" -v r="$rss_kb" -v t="$seconds" 'BEGIN {
    printf "input %.0f MB, %.1f s (%.1f MB/s), peak resident memory %.1f MB (goal: at most 64 MB) %s\n",
        s / 1e6, t, s / 1e6 / t, r / 1024, (r / 1024 <= 64 ? "OK" : "OVER") }'
rm -f "$tmp/big.txt" "$tmp/big.out"

echo "== 2. many files: -j 2 against -j 1"
mkdir -p "$tmp/files" "$tmp/out"
make_text "$tmp/files/f0.txt" "$files_mb"
for i in 1 2 3 4 5 6 7; do cp "$tmp/files/f0.txt" "$tmp/files/f$i.txt"; done
total=$(du -cb "$tmp"/files/*.txt | tail -1 | cut -f1)
one=$(best "$cli" "${combi[@]}" -j 1 -o "$tmp/out" "$tmp"/files/*.txt)
two=$(best "$cli" "${combi[@]}" -j 2 -o "$tmp/out" "$tmp"/files/*.txt)
awk -v b="$total" -v a="$one" -v c="$two" -v n="$(nproc)" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    printf "8 files, %.0f MB: -j 1 %.2f s (%.1f MB/s), -j 2 %.2f s (%.1f MB/s): %.2fx (goal: at least 1.8x; %d cores; load average %s)\n",
        b / 1e6, a, b / 1e6 / a, c, b / 1e6 / c, a / c, n, load }'
rm -rf "$tmp/files" "$tmp/out"

echo "== 3. Python module against tildo-cli --jsonl"
if ! PYTHONPATH="$build/python" /usr/bin/python3 -c "import tildo" 2>/dev/null; then
    echo "skipped: no Python module in $build/python"
    exit 0
fi
/usr/bin/python3 - "$tmp/unit.txt" "$tmp/r.jsonl" "$jsonl_mb" <<'PY'
import json, sys
lines = [l for l in open(sys.argv[1], encoding="utf-8").read().split("\n") if l.strip()]
target = int(sys.argv[3]) * 1000000
size = 0
with open(sys.argv[2], "w", encoding="utf-8") as f:
    i = 0
    while size < target:
        record = json.dumps({"id": i, "meta": {"source": "bench"}, "text": lines[i % len(lines)]}, ensure_ascii=False) + "\n"
        f.write(record)
        size += len(record.encode("utf-8"))
        i += 1
PY
cat > "$tmp/restore.py" <<'PY'
import sys
import tildo
r = tildo.Restorer(combinations=tildo.data_file("combi.dat"))
# Read in large pieces cut after a line break: one call per piece.
with open(sys.argv[1], "rb") as src, open(sys.argv[2], "wb") as out:
    rest = b""
    while True:
        piece = src.read(1 << 22)
        if not piece:
            break
        piece = rest + piece
        cut = piece.rfind(b"\n") + 1
        rest = piece[cut:]
        out.write(r.restore_jsonl_lines(piece[:cut], "text"))
    out.write(r.restore_jsonl_lines(rest, "text"))
PY
jsize=$(stat -c %s "$tmp/r.jsonl")
cli_time=$(best "$cli" "${combi[@]}" --jsonl text -o "$tmp/cli.jsonl" "$tmp/r.jsonl")
py_time=$(best env PYTHONPATH="$build/python" /usr/bin/python3 "$tmp/restore.py" "$tmp/r.jsonl" "$tmp/py.jsonl")
"$cli" "${combi[@]}" --jsonl text -o "$tmp/cli.jsonl" "$tmp/r.jsonl" 2>/dev/null
same=$(cmp -s "$tmp/cli.jsonl" "$tmp/py.jsonl" && echo "identical output" || echo "OUTPUTS DIFFER")
awk -v b="$jsize" -v c="$cli_time" -v p="$py_time" -v s="$same" 'BEGIN {
    printf "%.0f MB JSON Lines: tildo-cli %.2f s (%.1f MB/s), Python %.2f s (%.1f MB/s): %.2fx of tildo-cli (goal: at most 1.5x), %s\n",
        b / 1e6, c, b / 1e6 / c, p, b / 1e6 / p, p / c, s }'
