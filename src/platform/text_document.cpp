#include "text_document.h"

namespace tildo {

namespace {

int LineLength(const TextDocument& doc, int i)
{
    const int next = doc.LineStart(i + 1);
    return (next >= 0 ? next - 1 : doc.Length()) - doc.LineStart(i);
}

} // namespace

TLineColumn LineAndColumn(const TextDocument& doc, int offset)
{
    TLineColumn r;
    r.Line = doc.LineOf(offset);
    r.Column = doc.SelStart() - doc.LineStart(r.Line) + 1;
    return r;
}

void ShowPosition(TextDocument& doc, int offset)
{
    if (offset < 0)
        return;
    doc.Select(offset, 0);
    doc.ScrollToCaret();
}

TRangeEdit InsertLineEdit(const TextDocument& doc, int i, const std::string& text)
{
    if (i < 0)
        return {};
    if (i >= doc.LineCount())
        return { true, doc.Length(), 0, "\n" + text };
    return { true, doc.LineStart(i), 0, text + "\n" };
}

TRangeEdit ReplaceLineEdit(const TextDocument& doc, int i, const std::string& text)
{
    if (i < 0 || i >= doc.LineCount())
        return {};
    return { true, doc.LineStart(i), LineLength(doc, i), text };
}

TRangeEdit DeleteLineEdit(const TextDocument& doc, int i)
{
    if (i < 0 || i >= doc.LineCount())
        return {};
    const int start = doc.LineStart(i);
    const int length = LineLength(doc, i);
    if (i + 1 < doc.LineCount())
        return { true, start, length + 1, {} };
    if (i > 0)
        return { true, start - 1, length + 1, {} };
    return { true, 0, length, {} };
}

} // namespace tildo
