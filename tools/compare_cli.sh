#!/usr/bin/env bash
# Runs two builds of tildo-cli over the same texts with the same options and
# reports every difference in what they leave behind: the exit code, standard
# output, standard error, and the files they write (-o, --report). Timings in
# the report line and the report file are masked; everything else must agree
# byte for byte.
#
#   tools/compare_cli.sh OLD_TILDO_CLI NEW_TILDO_CLI [INPUT...]
#
# Without inputs: the corpus texts (../shared/corpus, ../shared/corpus-prose),
# every sample document in tests/data, and variants made here from a corpus
# text (CP1251, CR LF, BOM, FictionBook in two declared encodings and one this
# program refuses, Markdown, subtitles, JSON Lines, a zero byte, broken and cut
# UTF-8). Prints one line per difference and a summary; exits 1 when any run
# differs.
set -u

if [[ $# -lt 2 ]]; then
  echo "usage: $0 OLD_TILDO_CLI NEW_TILDO_CLI [INPUT...]" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"

inputs=()
if [[ $# -gt 0 ]]; then
  for f in "$@"; do
    cp "$f" "$work/in/"
    inputs+=("$(basename "$f")")
  done
else
  for f in "$root"/../shared/corpus/* "$root"/../shared/corpus-prose/* "$root"/tests/data/*; do
    [[ -f $f ]] || continue
    cp "$f" "$work/in/"
    inputs+=("$(basename "$f")")
  done
  # Variants of one corpus text: the ways a text reaches the program.
  /usr/bin/python3 - "$root/../shared/corpus/guide-b.txt" "$work/in" <<'EOF'
import json, sys
src, out = sys.argv[1], sys.argv[2]
text = open(src, encoding="utf-8").read()
plain = text.replace("ё", "е").replace("Ё", "Е")
lines = [l for l in plain.split("\n") if l.strip()][:400]
def write(name, data):
    open(f"{out}/{name}", "wb").write(data)
write("variant-cp1251.txt", plain.encode("cp1251", errors="replace"))
write("variant-crlf.txt", plain.replace("\n", "\r\n").encode())
write("variant-bom.txt", b"\xef\xbb\xbf" + plain.encode())
body = "\n".join(f"<p>{l}</p>" for l in lines)
write("variant-utf8.fb2", ('<?xml version="1.0" encoding="utf-8"?>\n<FictionBook><body>\n'
                           + body + "\n</body><binary>ещё</binary></FictionBook>\n").encode())
write("variant-cp1251.fb2", ('<?xml version="1.0" encoding="windows-1251"?>\n<FictionBook><body>\n'
                             + body + "\n</body></FictionBook>\n").encode("cp1251", errors="replace"))
write("variant-koi8.fb2", ('<?xml version="1.0" encoding="koi8-r"?>\n<FictionBook><body>\n'
                           + body + "\n</body></FictionBook>\n").encode("koi8-r", errors="replace"))
write("variant.md", ("# Заголовок\n\n" + "\n\n".join(f"* {l}" for l in lines) + "\n").encode())
cues = "".join(f"{i + 1}\n00:00:{i % 60:02d},000 --> 00:00:{i % 60:02d},500\n{l}\n\n"
               for i, l in enumerate(lines[:200]))
write("variant.srt", cues.encode())
write("variant.jsonl", "".join(json.dumps({"id": i, "text": l}, ensure_ascii=False) + "\n"
                               for i, l in enumerate(lines)).encode())
write("variant-nul.txt", plain[:5000].encode() + b"\0" + plain[5000:10000].encode())
broken = bytearray(plain[:60000].encode())
for at in (1000, 20000, 40000):
    broken[at] = 0xFF
write("variant-broken-utf8.txt", bytes(broken))
cut = plain[:30000].encode()
write("variant-cut-utf8.txt", cut[:-1] if cut[-1] >= 0x80 else cut + "ё".encode()[:1])
EOF
  for f in "$work"/in/variant*; do
    inputs+=("$(basename "$f")")
  done
fi

# name|arguments (FILE stands for the input, OUT for a directory of outputs,
# EXT for the input's extension); "stdin" feeds the input on standard input.
option_sets=(
  "keep|--unanswered keep FILE"
  "novaronly|--unanswered keep --on NoVarOnly FILE"
  "mark|--unanswered keep --on Mark FILE"
  "nocombi|--unanswered keep --no-combi FILE"
  "report|--unanswered keep --report OUT/report.json FILE"
  "output|--unanswered keep -o OUT/result.EXT FILE"
  "stdin|--unanswered keep -"
  "stdin-text|--unanswered keep --format text -"
  "answers|--answers 1,0,U,A1,0 --unanswered keep --report OUT/report.json FILE"
  "check|--check --unanswered keep FILE"
  "cp1251|--unanswered keep --encoding cp1251 FILE"
  "collect|collect FILE"
  "review|review FILE"
  "find|find --ignore-case ещ[её] FILE"
  "jsonl|--unanswered keep --jsonl text FILE"
)

# Timings are the only thing two runs may disagree on.
mask() {
  sed -E 's/время: [0-9.,]+ с; скорость: [0-9]+ [^ ;]+\/с/время: T/g; s/"seconds": [0-9.e+-]+/"seconds": T/g' "$1"
}

run() { # binary name set-name input arguments...
  local bin=$1 side=$2 input=$3
  shift 3
  local dir="$work/run/$side"
  rm -rf "$dir"
  mkdir -p "$dir/out"
  local args=()
  local stdin=/dev/null
  for a in "$@"; do
    a=${a//FILE/$work/in/$input}
    a=${a//OUT/$dir/out}
    a=${a//EXT/${input##*.}}
    args+=("$a")
  done
  if [[ " $* " == *" - "* ]]; then
    stdin="$work/in/$input"
  fi
  (cd "$work" && timeout 300 "$bin" "${args[@]}" <"$stdin" >"$dir/stdout" 2>"$dir/stderr.raw")
  echo $? >"$dir/rc"
  mask "$dir/stderr.raw" >"$dir/stderr"
  rm "$dir/stderr.raw"
  for f in "$dir"/out/*.json; do
    [[ -f $f ]] || continue
    mask "$f" >"$f.masked" && mv "$f.masked" "$f"
  done
}

runs=0
differences=0
for input in "${inputs[@]}"; do
  for set in "${option_sets[@]}"; do
    name=${set%%|*}
    read -r -a arguments <<<"${set#*|}"
    # JSON Lines only for the JSON Lines input; every other set for every input.
    if [[ $name == jsonl && $input != *.jsonl ]]; then
      continue
    fi
    run "$old" old "$input" "${arguments[@]}"
    run "$new" new "$input" "${arguments[@]}"
    runs=$((runs + 1))
    if ! diff -r -q "$work/run/old" "$work/run/new" >/dev/null; then
      differences=$((differences + 1))
      echo "DIFFERENT: $input [$name]: $(diff -r -q "$work/run/old" "$work/run/new" | sed "s|$work/run/||g" | tr '\n' ' ')"
    fi
  done
done

echo "$runs runs (${#inputs[@]} inputs x ${#option_sets[@]} option sets), $differences with differences"
[[ $differences -eq 0 ]]
