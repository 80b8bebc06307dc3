# Shared by the shell benchmarks; sourced, not run. Expects $runs to be set.

# The corpus texts of $1 into the array texts; exits when there are none.
corpus_texts() {
    shopt -s nullglob
    texts=("$1"/*.txt)
    [ ${#texts[@]} -gt 0 ] || { echo "no corpus texts in $1" >&2; exit 2; }
}

# The corpus texts repeated into $1 until it holds at least $2 bytes, with
# every ё typed as е, as the tools' input would be.
repeated_text() {
    : > "$1"
    while [ "$(stat -c %s "$1")" -lt "$2" ]; do
        sed 's/ё/е/g; s/Ё/Е/g' "${texts[@]}" >> "$1"
    done
}

# The best wall time of a command over $runs runs, in nanoseconds; its output
# is thrown away.
best_ns() {
    local best=0 start end ns
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1
        end=$(date +%s%N)
        ns=$((end - start))
        if [ "$best" -eq 0 ] || [ "$ns" -lt "$best" ]; then best=$ns; fi
    done
    echo "$best"
}

# The best processor time (user + system) of a command over $runs runs, in
# nanoseconds (to the 10 ms that /usr/bin/time reports); its output is thrown
# away. On a machine shared with other work it moves far less than the wall
# time, so ratios of it are the steadier figure there.
best_cpu_ns() {
    local best=0 ns times
    times=$(mktemp)
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%U %S' -o "$times" "$@" > /dev/null 2>&1
        ns=$(awk '{ printf "%.0f", ($1 + $2) * 1e9 }' "$times")
        if [ "$best" -eq 0 ] || [ "$ns" -lt "$best" ]; then best=$ns; fi
    done
    rm -f "$times"
    echo "$best"
}
