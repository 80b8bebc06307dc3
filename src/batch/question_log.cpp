#include "question_log.h"

#include "batch/stream_document.h"

#include "batch/messages.h"
#include "text/letters.h"

#include <algorithm>
#include <tuple>
#include <utility>

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

std::vector<TAnswer> ParseAnswers(const std::vector<std::string>& items)
{
    std::vector<TAnswer> codes;
    for (const std::string& item : items) {
        const std::string name = Upper(item);
        if (name == "1")
            codes.push_back(TAnswer::Dotted);
        else if (name == "0")
            codes.push_back(TAnswer::Plain);
        else if (name == "A1")
            codes.push_back(TAnswer::AlwaysDotted);
        else if (name == "A0")
            codes.push_back(TAnswer::AlwaysPlain);
        else if (name == "U")
            codes.push_back(TAnswer::Undo);
        else if (name == "C")
            codes.push_back(TAnswer::Cancel);
        else
            throw ECliError(
                ExitUsage, "--answers: неизвестный ответ \"" + item + "\"; возможны 1, 0, A1, A0, U, C");
    }
    return codes;
}

std::string AnswerName(TAnswer code)
{
    switch (code) {
    case TAnswer::Dotted:
        return "1";
    case TAnswer::Plain:
        return "0";
    case TAnswer::AlwaysDotted:
        return "A1";
    case TAnswer::AlwaysPlain:
        return "A0";
    case TAnswer::Undo:
        return "U";
    default:
        return "C";
    }
}

TAnswer KeepAnswer(const TQuestion& question, std::string_view word)
{
    if (word == question.DottedForm)
        return TAnswer::Dotted;
    if (word == question.PlainForm)
        return TAnswer::Plain;
    return HasDottedE(word) ? TAnswer::Dotted : TAnswer::Plain;
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

// The line and column (both from 1) of offset as the text is written: a long
// line the stream cut into pieces is still one line.
std::pair<int, int> PlaceOf(const TextDocument& doc, int offset)
{
    if (const auto* stream = dynamic_cast<const TStreamDocument*>(&doc)) {
        const TStreamDocument::TSourcePosition at = stream->SourcePosition(offset);
        return { at.Line + 1, at.Column + 1 };
    }
    const int line = doc.LineOf(offset);
    return { line + 1, offset - doc.LineStart(line) + 1 };
}

} // namespace

TCliAsker::TCliAsker(
    const TextDocument& doc, std::vector<TAnswer> scripted, TUnanswered unanswered, TPersonAsk person)
    : m_doc(doc)
    , m_scripted(std::move(scripted))
    , m_unanswered(unanswered)
    , m_person(std::move(person))
{
}

TAnswer TCliAsker::Ask(const TQuestion& question)
{
    TQuestionRecord record;
    const int start = m_doc.SelStart();
    std::tie(record.Line, record.Column) = PlaceOf(m_doc, start);
    record.Word = TextAt(m_doc, start, m_doc.SelLength());
    record.Plain = question.PlainForm;
    record.Dotted = question.DottedForm;
    record.DefaultDotted = question.DefaultDotted;
    record.Caption = question.Caption;
    record.ContextAnswer = question.ContextAnswer;
    record.ContextEvidence = question.ContextEvidence;
    record.ContextFamily = question.ContextFamily;

    TAnswer code = TAnswer::Cancel;
    if (m_next < m_scripted.size()) {
        code = m_scripted[m_next++];
        record.Answer = AnswerName(code);
    } else if (m_unanswered == TUnanswered::Keep) {
        code = KeepAnswer(question, record.Word);
        record.Answer = "keep";
    } else if (m_unanswered == TUnanswered::Ask && m_person) {
        code = m_person(question, record.Line, record.Column);
        record.Answer = AnswerName(code);
    } else {
        record.Answer = AnswerName(code);
    }
    if (code == TAnswer::Cancel)
        m_cancelled = true;
    if (m_sink)
        m_sink(record);
    else if (m_keepRecords)
        m_records.push_back(std::move(record));
    return code;
}

void TCliAsker::DecidedByContext(const TContextDecision& decision)
{
    if (!m_contextSink && (!m_keepRecords || m_sink))
        return;
    TContextRecord record;
    std::tie(record.Line, record.Column) = PlaceOf(m_doc, m_doc.SelStart());
    record.Result = decision.Result;
    record.Answer = decision.Answer;
    record.Evidence = decision.Evidence;
    record.Family = decision.Family;
    if (m_contextSink)
        m_contextSink(record);
    else
        m_contextRecords.push_back(std::move(record));
}

} // namespace tildo
