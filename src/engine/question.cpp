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
    // Take only the slices of the lines that hold [a, b], never a whole line
    // or text: a question in a huge line costs only its neighbourhood.
    c.Text.reserve(static_cast<std::size_t>(b - a + 1));
    int line = doc.LineOf(a);
    int offset = a;
    while (offset <= b && line < doc.LineCount()) {
        const int start = doc.LineStart(line);
        const std::string text = doc.LineSlice(line, offset - start, b - offset + 1);
        const int end = line + 1 < doc.LineCount() ? doc.LineStart(line + 1) - 1 : doc.Length();
        for (const char ch : text)
            c.Text += ch == '\r' ? ' ' : ch;
        offset += static_cast<int>(text.size());
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
