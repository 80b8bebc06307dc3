#include "question.h"

#include "text/cp1251.h"

#include <algorithm>

namespace tildo {

TContext GetContext(const TextDocument& doc, int addLetters)
{
    TContext c;
    const int selStart = doc.SelStart();
    const int selLength = doc.SelLength();
    const int a = std::max(selStart - addLetters, 0);
    const int b = std::min(selStart + selLength + addLetters, doc.Length() - 1);
    c.Offset = selStart - a;
    c.Length = selLength;
    if (b < a)
        return c;
    // Walk the lines that hold [a, b] rather than copying the whole text: a
    // question in a large text costs only its neighbourhood.
    c.Text.reserve(static_cast<std::size_t>(b - a + 1));
    int line = doc.LineOf(a);
    int offset = a;
    while (offset <= b && line < doc.LineCount()) {
        const int start = doc.LineStart(line);
        const std::string text = doc.Line(line);
        const int end = start + static_cast<int>(text.size()); // the offset of the line break
        for (; offset <= b && offset < end; ++offset) {
            const char ch = text[static_cast<std::size_t>(offset - start)];
            c.Text += ch == '\r' ? ' ' : ch;
        }
        if (offset <= b && offset == end && line + 1 < doc.LineCount()) {
            c.Text += ' ';
            ++offset;
        }
        ++line;
    }
    return c;
}

void ChooseCaption(TQuestion& q)
{
    static const std::string misplaced = Cp("Странное расположение \"Ё\"");
    static const std::string mismatch = Cp("Вероятно, здесь должна быть \"Е\"");
    static const std::string missing = Cp("Вероятно, здесь должна быть \"Ё\"");
    static const std::string plain = Cp("Выберите верный вариант");
    if (q.DottedMisplaced)
        q.Caption = misplaced;
    else if (q.DottedMismatch)
        q.Caption = mismatch;
    else if (q.DottedMissing)
        q.Caption = missing;
    else
        q.Caption = plain;
    q.CaptionColour = q.DottedMissing || q.DottedMismatch ? ColourRed : ColourNavy;
}

} // namespace tildo
