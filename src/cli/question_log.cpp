#include "question_log.h"

#include "cli/stream_document.h"

#include "cli/console.h"
#include "cli/terminal_asker.h"
#include "text/letters.h"

#include <algorithm>

namespace tildo {

namespace {

std::string Upper(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
        [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return out;
}

} // namespace

TUnanswered ParseUnanswered(std::string_view name)
{
    if (name == "keep")
        return TUnanswered::Keep;
    if (name == "cancel")
        return TUnanswered::Cancel;
    if (name == "ask")
        return TUnanswered::Ask;
    throw ECliError(
        ExitUsage, "--unanswered: ожидается keep, cancel или ask, а не \"" + std::string(name) + "\"");
}

std::vector<int> ParseAnswers(const std::vector<std::string>& items)
{
    std::vector<int> codes;
    for (const std::string& item : items) {
        const std::string name = Upper(item);
        if (name == "1")
            codes.push_back(AnswerDotted);
        else if (name == "0")
            codes.push_back(AnswerPlain);
        else if (name == "A1")
            codes.push_back(AnswerAlwaysDotted);
        else if (name == "A0")
            codes.push_back(AnswerAlwaysPlain);
        else if (name == "U")
            codes.push_back(AnswerUndo);
        else if (name == "C")
            codes.push_back(AnswerCancel);
        else
            throw ECliError(
                ExitUsage, "--answers: неизвестный ответ \"" + item + "\"; возможны 1, 0, A1, A0, U, C");
    }
    return codes;
}

std::string AnswerName(int code)
{
    switch (code) {
    case AnswerDotted:
        return "1";
    case AnswerPlain:
        return "0";
    case AnswerAlwaysDotted:
        return "A1";
    case AnswerAlwaysPlain:
        return "A0";
    case AnswerUndo:
        return "U";
    default:
        return "C";
    }
}

int KeepAnswer(const TQuestion& question, std::string_view word)
{
    if (word == question.DottedForm)
        return AnswerDotted;
    if (word == question.PlainForm)
        return AnswerPlain;
    return HasDottedE(word) ? AnswerDotted : AnswerPlain;
}

namespace {

// The characters at [start, start + length) without copying a whole line where
// the document allows: questions come often in a long line.
std::string TextAt(const TextDocument& doc, int start, int length)
{
    if (const auto* memory = dynamic_cast<const MemoryDocument*>(&doc))
        return memory->TextRef().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    if (const auto* stream = dynamic_cast<const TStreamDocument*>(&doc))
        return stream->Range(start, length);
    const int line = doc.LineOf(start);
    return doc.Line(line).substr(
        static_cast<std::size_t>(start - doc.LineStart(line)), static_cast<std::size_t>(length));
}

} // namespace

TCliAsker::TCliAsker(
    const TextDocument& doc, std::vector<int> scripted, TUnanswered unanswered, TTerminalAsker* terminal)
    : m_doc(doc)
    , m_scripted(std::move(scripted))
    , m_unanswered(unanswered)
    , m_terminal(terminal)
{
}

int TCliAsker::Ask(const TQuestion& question)
{
    TQuestionRecord record;
    const int start = m_doc.SelStart();
    const int line = m_doc.LineOf(start);
    record.Line = line + 1;
    record.Column = start - m_doc.LineStart(line) + 1;
    record.Word = TextAt(m_doc, start, m_doc.SelLength());
    record.Plain = question.PlainForm;
    record.Dotted = question.DottedForm;
    record.DefaultDotted = question.DefaultDotted;
    record.Caption = question.Caption;

    int code = AnswerCancel;
    if (m_next < m_scripted.size()) {
        code = m_scripted[m_next++];
        record.Answer = AnswerName(code);
    } else if (m_unanswered == TUnanswered::Keep) {
        code = KeepAnswer(question, record.Word);
        record.Answer = "keep";
    } else if (m_unanswered == TUnanswered::Ask && m_terminal != nullptr) {
        code = m_terminal->Ask(question, record.Line, record.Column);
        record.Answer = AnswerName(code);
    } else {
        record.Answer = AnswerName(code);
    }
    if (code == AnswerCancel)
        m_cancelled = true;
    if (m_keepRecords)
        m_records.push_back(std::move(record));
    return code;
}

} // namespace tildo
