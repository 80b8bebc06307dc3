#!/bin/sh
# Writes the documents of the tests that real programs make: LibreOffice
# (fields, references and alt text in ODT) and pandoc (HTML and EPUB with
# MathML and inline SVG, FictionBook with pictures, links and notes).
#
# Run from the repository root: sh tests/data/make_real_documents.sh
set -eu
cd tests/data
soffice --headless --convert-to odt libreoffice_fields.fodt >/dev/null
soffice --headless --convert-to docx libreoffice_fields.odt >/dev/null
# Addresses that formatting cuts into several runs.
soffice --headless --convert-to docx libreoffice_links.fodt >/dev/null
# The same document as LibreOffice writes it flat.
mkdir flat && soffice --headless --convert-to fodt --outdir flat libreoffice_fields.odt >/dev/null
mv flat/libreoffice_fields.fodt libreoffice_flat.fodt && rmdir flat

pandoc -s --mathml pandoc_drawing.md -o pandoc_drawing.html
pandoc --mathml pandoc_drawing.md -o pandoc_drawing.epub
# The picture the book shows: four red pixels.
python3 -c "
import struct, zlib
def chunk(k, d): return struct.pack('>I', len(d)) + k + d + struct.pack('>I', zlib.crc32(k + d) & 0xffffffff)
rows = b''.join(b'\x00' + bytes([200, 30, 30] * 4) for y in range(4))
open('елка.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 4, 4, 8, 2, 0, 0, 0))
    + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
"
pandoc pandoc_book.md -t fb2 -o pandoc_book.fb2
pandoc pandoc_book.md -o pandoc_book.epub
python3 -c "
import zipfile
with zipfile.ZipFile('pandoc_book.fb2.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    z.write('pandoc_book.fb2')
"
rm елка.png
# A DOCX whose document has ZIP64 sizes in its local header, as Python's
# zipfile writes a member it streams.
python3 -c "
import zipfile
W = 'xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"'
doc = f'<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document {W}><w:body><w:p><w:r><w:t>Еще елка</w:t></w:r></w:p></w:body></w:document>'
with zipfile.ZipFile('zip64_local.docx', 'w', zipfile.ZIP_DEFLATED) as z:
    with z.open('word/document.xml', 'w', force_zip64=True) as f:
        f.write(doc.encode())
    z.writestr('docProps/app.xml', '<a/>')
"
