#include "terminal_asker.h"

#include "engine/word_context.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <ostream>

namespace tildo {

namespace {

constexpr std::string_view Bold = "\x1b[1m";
constexpr std::string_view Highlight = "\x1b[1;7m";
constexpr std::string_view Red = "\x1b[1;31m";
constexpr std::string_view Reset = "\x1b[0m";

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string UpperAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

} // namespace

std::string TerminalText(std::string_view cp1251)
{
    std::string clean(cp1251);
    for (char& c : clean) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            c = ' ';
        else if (b == ForeignPlaceholder)
            c = '?';
    }
    return Cp1251ToUtf8(clean);
}

TTerminalAsker::TTerminalAsker(std::istream& in, std::ostream& out, bool colour)
    : m_in(in)
    , m_out(out)
    , m_colour(colour)
{
}

void TTerminalAsker::Show(const TQuestion& q, int line, int column)
{
    const bool alarm = q.CaptionColour == ColourRed;
    const auto paint = [&](std::string_view escape, const std::string& text) {
        return m_colour ? std::string(escape) + text + std::string(Reset) : text;
    };
    m_out << '\n' << "Строка " << line << ", столбец " << column;
    if (!m_places.empty()) {
        const auto from = std::lower_bound(m_places.begin(), m_places.end(), std::make_pair(line, column));
        m_out << " (осталось вопросов: " << std::max<std::ptrdiff_t>(m_places.end() - from, 1) << ")";
    }
    m_out << ": " << paint(alarm ? Red : Bold, TerminalText(q.Caption)) << '\n';

    // Whole words only, the word marked by reverse video or, where the
    // terminal shows none, by quotation marks.
    const TWordContext c = WholeWords(TContext { q.Context, q.WordOffset, q.WordLength }, ContextAddLetters);
    const std::string_view context = c.Context.Text;
    const auto offset = std::min(static_cast<std::size_t>(std::max(c.Context.Offset, 0)), context.size());
    const auto length
        = std::min(static_cast<std::size_t>(std::max(c.Context.Length, 0)), context.size() - offset);
    const std::string word = TerminalText(context.substr(offset, length));
    m_out << "  " << (c.CutBefore ? "…" : "") << TerminalText(context.substr(0, offset))
          << (m_colour ? paint(Highlight, word) : "«" + word + "»")
          << TerminalText(context.substr(offset + length)) << (c.CutAfter ? "…" : "") << '\n';

    const auto mark
        = [&](bool isDefault) { return isDefault ? std::string(" (по умолчанию)") : std::string(); };
    m_out << "  0 — " << TerminalText(q.PlainForm) << mark(!q.DefaultDotted) << "    1 — "
          << TerminalText(q.DottedForm) << mark(q.DefaultDotted) << '\n';
    if (q.AlwaysPlainEnabled || q.AlwaysDottedEnabled)
        m_out << "  A0 — Всегда Е    A1 — Всегда Ё\n";
    m_out << "  ";
    if (q.UndoEnabled)
        m_out << "U — " << TerminalText(q.UndoCaption) << "    ";
    m_out << "C — Отмена\n";
}

TAnswer TTerminalAsker::Parse(const std::string& typed, const TQuestion& q)
{
    const std::string answer = UpperAscii(Trimmed(typed));
    if (answer.empty())
        return q.DefaultDotted ? TAnswer::Dotted : TAnswer::Plain;
    if (answer == "0")
        return TAnswer::Plain;
    if (answer == "1")
        return TAnswer::Dotted;
    if (answer == "A0" && q.AlwaysPlainEnabled)
        return TAnswer::AlwaysPlain;
    if (answer == "A1" && q.AlwaysDottedEnabled)
        return TAnswer::AlwaysDotted;
    if (answer == "U" && q.UndoEnabled)
        return TAnswer::Undo;
    if (answer == "C")
        return TAnswer::Cancel;
    return TAnswer::None;
}

TAnswer TTerminalAsker::Ask(const TQuestion& question, int line, int column)
{
    Show(question, line, column);
    for (;;) {
        m_out << "Ответ [" << (question.DefaultDotted ? "1" : "0") << "]: " << std::flush;
        std::string typed;
        if (!std::getline(m_in, typed)) {
            m_out << '\n' << std::flush;
            return TAnswer::Cancel;
        }
        const TAnswer code = Parse(typed, question);
        if (code != TAnswer::None)
            return code;
        m_out << "Такого ответа нет среди предложенных.\n";
    }
}

std::unique_ptr<TTerminal> TTerminal::Open()
{
    auto terminal = std::unique_ptr<TTerminal>(new TTerminal);
    terminal->m_in.open("/dev/tty");
    terminal->m_out.open("/dev/tty");
    if (!terminal->m_in.is_open() || !terminal->m_out.is_open())
        return nullptr;
    const char* term = std::getenv("TERM");
    const bool colour
        = std::getenv("NO_COLOR") == nullptr && term != nullptr && std::string_view(term) != "dumb";
    terminal->m_asker = std::make_unique<TTerminalAsker>(terminal->m_in, terminal->m_out, colour);
    return terminal;
}

} // namespace tildo
