#!/usr/bin/env bash
# Speed of tildo-cli on a DOCX beside the plain-text pass over the same text, in
# the same run: the corpus texts repeated to about 10 MB with every ё typed as
# е, written once as a text file and once as a DOCX whose paragraphs are the
# text's lines (each split into two runs, as word processors often leave them).
# Each command runs several times; the best time counts. The goal is a DOCX
# pass within 3 x the plain-text pass.
#
# Usage: bench/bench_documents.sh [path/to/tildo-cli]
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
. "$here/bench_lib.sh"
corpus_texts "$corpus"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
text=$tmp/text.txt
repeated_text "$text" "$target"

/usr/bin/python3 - "$text" "$tmp/text.docx" <<'PY'
import sys, zipfile
from xml.sax.saxutils import escape
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
parts = []
for line in open(sys.argv[1], encoding='utf-8'):
    line = line.rstrip('\n')
    half = len(line) // 2
    runs = ''.join(f'<w:r><w:rPr><w:lang w:val="ru-RU"/></w:rPr><w:t xml:space="preserve">{escape(piece)}</w:t></w:r>'
                   for piece in (line[:half], line[half:]) if piece)
    parts.append(f'<w:p>{runs}</w:p>')
document = f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<w:document {W}><w:body>{"".join(parts)}</w:body></w:document>'
types = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="xml" ContentType="application/xml"/></Types>')
with zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('[Content_Types].xml', types)
    z.writestr('word/document.xml', document)
PY

plain_ns=$(best_ns "$cli" --unanswered keep -o "$tmp/out.txt" "$text")
docx_ns=$(best_ns "$cli" --unanswered keep -o "$tmp/out.docx" "$tmp/text.docx")
marked_ns=$(best_ns "$cli" --unanswered keep --on Mark -o "$tmp/marked.docx" "$tmp/text.docx")
awk -v bytes="$(stat -c %s "$text")" -v docx="$(stat -c %s "$tmp/text.docx")" -v p="$plain_ns" -v d="$docx_ns" \
    -v m="$marked_ns" 'BEGIN {
    printf "text %.1f MB, DOCX %.1f MB compressed\n", bytes / 1e6, docx / 1e6
    printf "%-24s %8.3f s\n", "plain text", p / 1e9
    printf "%-24s %8.3f s   %.2f x plain (goal: at most 3)\n", "DOCX", d / 1e9, d / p
    printf "%-24s %8.3f s   %.2f x plain\n", "DOCX, marked", m / 1e9, m / p
}'
