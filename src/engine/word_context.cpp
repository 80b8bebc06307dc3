#include "word_context.h"

#include "text/letters.h"

#include <algorithm>

namespace tildo {

namespace {

bool IsWordChar(char c)
{
    return IsRussianLetter(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c);
}

bool IsBreakingPunctuation(char c)
{
    return c == ' ' || c == ',' || c == '.' || c == ';' || c == ':' || c == '!' || c == '?';
}

// Drops a word cut in two at either end, and the blanks left next to the cut,
// never reaching into the asked word itself.
TWordContext Shorten(TContext c, bool cutBefore, bool cutAfter)
{
    TWordContext out;
    std::string& text = c.Text;
    std::size_t first = 0;
    const auto wordStart = static_cast<std::size_t>(std::clamp(c.Offset, 0, static_cast<int>(text.size())));
    const auto wordEnd = std::min(wordStart + static_cast<std::size_t>(std::max(c.Length, 0)), text.size());
    if (cutBefore && wordStart > 0) {
        // A letter at the edge may be the end of a longer word: drop it.
        while (first < wordStart && IsWordChar(text[first]))
            ++first;
        // The punctuation that ended the dropped word goes with it.
        while (first < wordStart && IsBreakingPunctuation(text[first]))
            ++first;
        out.CutBefore = true;
    }
    std::size_t last = text.size();
    if (cutAfter && wordEnd < text.size()) {
        while (last > wordEnd && IsWordChar(text[last - 1]))
            --last;
        out.CutAfter = true;
    }
    while (first < wordStart && text[first] == ' ')
        ++first;
    while (last > wordEnd && text[last - 1] == ' ')
        --last;
    out.Context.Text = text.substr(first, last - first);
    out.Context.Offset = static_cast<int>(wordStart - first);
    out.Context.Length = static_cast<int>(wordEnd - wordStart);
    return out;
}

} // namespace

TWordContext WordContext(std::string_view text, int position, int length, int addLetters)
{
    const int size = static_cast<int>(text.size());
    position = std::clamp(position, 0, size);
    length = std::clamp(length, 0, size - position);
    const int a = std::max(position - addLetters, 0);
    const int b = std::min(position + length + addLetters, size);
    TContext c;
    c.Text.assign(text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a)));
    for (char& ch : c.Text) {
        if (ch == '\r' || ch == '\n')
            ch = ' ';
    }
    c.Offset = position - a;
    c.Length = length;
    // An edge is a cut only when the text goes on there with a character of a word.
    const bool before = a > 0 && IsWordChar(text[static_cast<std::size_t>(a)])
        && IsWordChar(text[static_cast<std::size_t>(a - 1)]);
    const bool after = b < size && IsWordChar(text[static_cast<std::size_t>(b - 1)])
        && IsWordChar(text[static_cast<std::size_t>(b)]);
    TWordContext out = Shorten(std::move(c), before, after);
    out.CutBefore = a > 0;
    out.CutAfter = b < size;
    return out;
}

TWordContext WholeWords(const TContext& context, int addLetters)
{
    const int after = static_cast<int>(context.Text.size()) - context.Offset - context.Length;
    return Shorten(context, context.Offset >= addLetters, after >= addLetters + 1);
}

} // namespace tildo
