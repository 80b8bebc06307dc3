#!/usr/bin/env python3
"""Writes the small hand-made documents of the tests and the fuzz seeds.

Run from the repository root: python3 tests/data/make_documents.py
"""
import zipfile

W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
R = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'


def docx(path, body, header=None):
    types = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
             '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/word/document.xml" ContentType="application/'
             'vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
             '<Override PartName="/word/header1.xml" ContentType="application/'
             'vnd.openxmlformats-officedocument.wordprocessingml.header+xml"/></Types>')
    rels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
            'relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    doc_rels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                '<Relationship Id="rIdH" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                'relationships/header" Target="header1.xml"/></Relationships>')
    sect = '<w:sectPr><w:headerReference w:type="default" r:id="rIdH"/></w:sectPr>' if header else ''
    document = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                f'<w:document {W} {R}><w:body>{body}{sect}</w:body></w:document>')
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('[Content_Types].xml', types, zipfile.ZIP_DEFLATED)
        z.writestr('_rels/.rels', rels, zipfile.ZIP_DEFLATED)
        z.writestr('word/document.xml', document, zipfile.ZIP_DEFLATED)
        if header:
            z.writestr('word/_rels/document.xml.rels', doc_rels, zipfile.ZIP_DEFLATED)
            z.writestr('word/header1.xml', f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                       f'<w:hdr {W}>{header}</w:hdr>', zipfile.ZIP_DEFLATED)
        z.writestr('docProps/stored.txt', 'еще здесь ничего не меняется', zipfile.ZIP_STORED)


# "вперед" split over a plain and a bold run; "ее" with an old colour and a size.
split_body = ('<w:p><w:r><w:t xml:space="preserve">Мы идем впер</w:t></w:r>'
              '<w:r w:rsidR="00A1"><w:rPr><w:b/><w:color w:val="FF0000"/><w:sz w:val="28"/></w:rPr>'
              '<w:t>ед, а </w:t><w:tab/><w:t>ее</w:t></w:r></w:p>'
              '<w:p><w:r><w:t>Елка &amp; еж</w:t></w:r></w:p>')
docx('tests/data/split_runs.docx', split_body, '<w:p><w:r><w:t>Еще раз</w:t></w:r></w:p>')


def odt(path):
    content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content '
               'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
               'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
               'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
               'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" office:version="1.3">'
               '<office:automatic-styles/><office:body><office:text>'
               '<text:p>Мы идем впер<text:span>ед</text:span>,<text:s text:c="2"/>еще</text:p>'
               '<text:h>Елка</text:h></office:text></office:body></office:document-content>')
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('mimetype', 'application/vnd.oasis.opendocument.text', zipfile.ZIP_STORED)
        z.writestr('content.xml', content, zipfile.ZIP_DEFLATED)


def epub(path):
    container = ('<?xml version="1.0"?><container version="1.0" '
                 'xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles>'
                 '<rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/>'
                 '</rootfiles></container>')
    opf = ('<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0"><manifest>'
           '<item id="c1" href="text/one%20part.xhtml" media-type="application/xhtml+xml"/></manifest>'
           '<spine><itemref idref="c1"/></spine></package>')
    page = ('<?xml version="1.0" encoding="UTF-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml"><head>'
            '<title>еще</title></head><body><p>Мы идем вперед, <code>еще</code> еще.</p></body></html>')
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('mimetype', 'application/epub+zip', zipfile.ZIP_STORED)
        z.writestr('META-INF/container.xml', container, zipfile.ZIP_DEFLATED)
        z.writestr('OEBPS/content.opf', opf, zipfile.ZIP_DEFLATED)
        z.writestr('OEBPS/text/one part.xhtml', page, zipfile.ZIP_DEFLATED)


def seed(name, format_byte, data):
    with open(f'fuzz/corpus/documents/{name}', 'wb') as f:
        f.write(bytes([format_byte]) + data)


odt('tests/data/minimal.odt')
epub('tests/data/minimal.epub')
docx('/tmp/deep.docx', '<w:p>' + '<w:r>' * 20000 + '<w:t>еще</w:t>' + '</w:r>' * 20000 + '</w:p>')
seeds = {
    'split_runs_docx': (0, open('tests/data/split_runs.docx', 'rb').read()),
    'deep_docx': (0, open('/tmp/deep.docx', 'rb').read()),
    'minimal_odt': (1, open('tests/data/minimal.odt', 'rb').read()),
    'minimal_epub': (2, open('tests/data/minimal.epub', 'rb').read()),
    'truncated_epub': (2, open('tests/data/minimal.epub', 'rb').read()[:300]),
    'page_html': (3, '<html><head><title>еще</title></head><body><p title="еще">Мы &#1077;щ&#1077; '
                     '<b>ид</b>ем<script>var s = "еще";</script><pre>еще</pre> &iecy;ж</p></body></html>'.encode()),
    'notes_md': (4, '# Еще раз\n\nТекст `еще` и [ссылка](http://x/еще) еще.\n\n```\nеще\n```\n'.encode()),
    'cues_srt': (5, '1\n00:00:01,000 --> 00:00:02,000\n<i>Еще</i> раз\n\n2\n00:00:03,000 --> 00:00:04,000\nЕлка\n'.encode()),
    'cues_vtt': (6, 'WEBVTT\n\nNOTE еще\n\nid\n00:01.000 --> 00:02.000\nЕще &amp; <b>еж</b>\n'.encode()),
}
for name, (fmt, data) in seeds.items():
    seed(name, fmt, data)
