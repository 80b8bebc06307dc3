#!/usr/bin/env bash
# Speed and peak memory of tildo-cli on DOCX, ODT and EPUB beside the
# plain-text pass over the same text, in the same run: the corpus texts
# repeated to about 10 MB with every ё typed as е, written once as a text file
# and once in each format, a paragraph per line (a DOCX paragraph split into two
# runs, as word processors often leave them). Each command runs several times;
# the best wall and processor times count, and the memory of one more run. The goal is each
# document within 1.3 x the plain-text pass, marked or not, in at most 3 x the
# largest member's unpacked size besides the dictionaries.
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

/usr/bin/python3 - "$text" "$tmp" <<'PY'
import sys, zipfile
from xml.sax.saxutils import escape
lines = [line.rstrip('\n') for line in open(sys.argv[1], encoding='utf-8')]
out = sys.argv[2]
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
parts = []
for line in lines:
    half = len(line) // 2
    runs = ''.join(f'<w:r><w:rPr><w:lang w:val="ru-RU"/></w:rPr><w:t xml:space="preserve">{escape(piece)}</w:t></w:r>'
                   for piece in (line[:half], line[half:]) if piece)
    parts.append(f'<w:p>{runs}</w:p>')
document = f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<w:document {W}><w:body>{"".join(parts)}</w:body></w:document>'
types = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="xml" ContentType="application/xml"/></Types>')
with zipfile.ZipFile(f'{out}/text.docx', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('[Content_Types].xml', types)
    z.writestr('word/document.xml', document)

body = ''.join(f'<text:p text:style-name="Standard">{escape(line)}</text:p>' for line in lines)
content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content '
           'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
           'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
           'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
           'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" office:version="1.3">'
           f'<office:automatic-styles/><office:body><office:text>{body}</office:text></office:body>'
           '</office:document-content>')
with zipfile.ZipFile(f'{out}/text.odt', 'w') as z:
    z.writestr('mimetype', 'application/vnd.oasis.opendocument.text', zipfile.ZIP_STORED)
    z.writestr('content.xml', content, zipfile.ZIP_DEFLATED)

container = ('<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">'
             '<rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/>'
             '</rootfiles></container>')
chapters = [lines[i:i + 2000] for i in range(0, len(lines), 2000)]
manifest = ''.join(f'<item id="c{i}" href="c{i}.xhtml" media-type="application/xhtml+xml"/>' for i in range(len(chapters)))
spine = ''.join(f'<itemref idref="c{i}"/>' for i in range(len(chapters)))
opf = ('<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0">'
       f'<manifest>{manifest}</manifest><spine>{spine}</spine></package>')
with zipfile.ZipFile(f'{out}/text.epub', 'w') as z:
    z.writestr('mimetype', 'application/epub+zip', zipfile.ZIP_STORED)
    z.writestr('META-INF/container.xml', container, zipfile.ZIP_DEFLATED)
    z.writestr('OEBPS/content.opf', opf, zipfile.ZIP_DEFLATED)
    for i, chapter in enumerate(chapters):
        paragraphs = ''.join(f'<p>{escape(line)}</p>' for line in chapter)
        z.writestr(f'OEBPS/c{i}.xhtml', '<?xml version="1.0" encoding="UTF-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml">'
                   f'<head><title>c{i}</title></head><body>{paragraphs}</body></html>', zipfile.ZIP_DEFLATED)
PY

# Peak resident memory of one run, in MB.
peak_mb() {
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%.0f", $1 / 1024 }'
}

# The load average goes with the figures: on a shared machine the wall times
# stretch, and the processor times (user + system) are the steadier ratio.
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
plain_ns=$(best_ns "$cli" --unanswered keep -o "$tmp/out.txt" "$text")
plain_cpu=$(best_cpu_ns "$cli" --unanswered keep -o "$tmp/out.txt" "$text")
plain_mb=$(peak_mb "$cli" --unanswered keep -o "$tmp/out.txt" "$text")
printf "text %.1f MB\n" "$(awk -v b="$(stat -c %s "$text")" 'BEGIN { print b / 1e6 }')"
printf "%-16s %8.3f s %6.2f s cpu %6s MB\n" "plain text" "$(awk -v n="$plain_ns" 'BEGIN { print n / 1e9 }')" \
    "$(awk -v n="$plain_cpu" 'BEGIN { print n / 1e9 }')" "$plain_mb"
for ext in docx odt epub; do
    for mark in off on; do
        ns=$(best_ns "$cli" --unanswered keep --$mark Mark -o "$tmp/out.$ext" "$tmp/text.$ext")
        cpu=$(best_cpu_ns "$cli" --unanswered keep --$mark Mark -o "$tmp/out.$ext" "$tmp/text.$ext")
        mb=$(peak_mb "$cli" --unanswered keep --$mark Mark -o "$tmp/out.$ext" "$tmp/text.$ext")
        awk -v n="$ns" -v p="$plain_ns" -v c="$cpu" -v pc="$plain_cpu" -v mb="$mb" -v what="$ext, marks $mark" 'BEGIN {
            printf "%-16s %8.3f s %6.2f s cpu %6s MB   %.2f x plain, %.2f x in cpu (goal: at most 1.3)\n",
                what, n / 1e9, c / 1e9, mb, n / p, c / pc
        }'
    done
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
