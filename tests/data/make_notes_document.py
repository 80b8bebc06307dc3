#!/usr/bin/env python3
"""Writes notes_and_picture.fodt: a flat OpenDocument text with what a word
processor keeps in RTF beside the body text (page setup, a header and footer, a
footnote, a hyperlink, a picture, centred text, the document's title). The
tests convert it to RTF with LibreOffice.

Run from the repository root: python3 tests/data/make_notes_document.py
"""
import base64
import struct
import zlib


def png(width, height):
    rows = b''.join(b'\x00' + bytes((x * 7 + y * 13) % 256 for x in range(width * 3)) for y in range(height))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b'')


NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:xlink="http://www.w3.org/1999/xlink" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
      'xmlns:dc="http://purl.org/dc/elements/1.1/"')
picture = base64.b64encode(png(40, 30)).decode()
document = f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document {NS} office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:meta><dc:title>Еще заглавие</dc:title></office:meta>
<office:automatic-styles>
<style:style style:name="P1" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
<style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="14.8cm" fo:page-height="21cm" \
fo:margin-top="1.5cm" fo:margin-bottom="1.5cm" fo:margin-left="2.5cm" fo:margin-right="1cm"/>\
<style:header-style/><style:footer-style/></style:page-layout>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">\
<style:header><text:p>Еще заголовок страницы</text:p></style:header>\
<style:footer><text:p>Елка внизу</text:p></style:footer></style:master-page></office:master-styles>
<office:body><office:text>
<text:p text:style-name="P1">Еще вчера у нас стояла елка<text:note text:id="n1" text:note-class="footnote">\
<text:note-citation>1</text:note-citation><text:note-body><text:p>Сноска: еще раз про ежа.</text:p></text:note-body>\
</text:note>, а под ней жил еж.</text:p>
<text:p>Ссылка: <text:a xlink:type="simple" xlink:href="https://example.org/елка">елка и еж</text:a> конец.</text:p>
<text:p><draw:frame draw:name="pic" svg:width="4cm" svg:height="3cm" text:anchor-type="as-char"><draw:image>\
<office:binary-data>{picture}</office:binary-data></draw:image></draw:frame> Все было тихо; ЕЩЕ раз: елка и еж!</text:p>
</office:text></office:body></office:document>
'''
with open('tests/data/notes_and_picture.fodt', 'w', encoding='utf-8') as f:
    f.write(document)
