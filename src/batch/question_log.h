#pragma once

#include "platform/asker.h"
#include "text/memory_document.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// What a question gets when no scripted answer is left.
enum class TUnanswered {
    Keep, // the word stays exactly as written and the pass goes on
    Cancel, // the pass stops, as the cancel button does
    Ask, // the question is asked on the terminal
};
// "keep", "cancel" or "ask"; anything else throws ECliError (exit 2).
TUnanswered ParseUnanswered(std::string_view name);

// Scripted answers "1" (ё), "0" (е), "A1" (always ё), "A0" (always е), "U"
// (undo), "C" (cancel), in either case, as answer codes; anything else throws
// ECliError (exit 2).
std::vector<TAnswer> ParseAnswers(const std::vector<std::string>& items);
// The name of an answer code in that notation ("C" for anything unknown).
std::string AnswerName(TAnswer code);

// The answer that leaves the word as it is written: the form that equals it,
// else the form with or without ё as the word has it.
TAnswer KeepAnswer(const TQuestion& question, std::string_view word);

// One question of a pass as the report shows it. Texts are CP1251.
struct TQuestionRecord
{
    int Line = 0; // from 1
    int Column = 0; // from 1, in characters
    std::string Word; // as written when asked
    std::string Plain;
    std::string Dotted;
    bool DefaultDotted = false;
    std::string Caption;
    std::string Answer; // "1", "0", "A1", "A0", "U", "C" or "keep"
    TAnswer ContextAnswer = TAnswer::None; // the context judge's answer (None: not asked or no answer)
    std::string ContextEvidence;
    std::string ContextFamily;
};

// A word the context judge decided without a question. Texts are CP1251.
struct TContextRecord
{
    int Line = 0; // from 1
    int Column = 0; // from 1, in characters
    std::string Result; // the word as written after the decision
    TAnswer Answer = TAnswer::None; // Plain or Dotted
    std::string Evidence;
    std::string Family;
};

// A person asked a question at a line and a column (from 1) of the text, as
// the terminal asks it.
using TPersonAsk = std::function<TAnswer(const TQuestion& question, int line, int column)>;

// The asker of the command-line tool: scripted answers first, in order; then
// what --unanswered says (Ask goes to person when there is one). Every
// question is recorded with the position of the word, which the engine selects
// in the document before it asks.
class TCliAsker : public Asker
{
public:
    TCliAsker(const TextDocument& doc, std::vector<TAnswer> scripted, TUnanswered unanswered,
        TPersonAsk person = {});

    TAnswer Ask(const TQuestion& question) override;
    void DecidedByContext(const TContextDecision& decision) override;

    const std::vector<TQuestionRecord>& Records() const { return m_records; }
    // The words decided by context, kept like the questions (only for a report).
    const std::vector<TContextRecord>& ContextRecords() const { return m_contextRecords; }
    // Hands each record to sink as it is made instead of keeping it.
    void SendRecordsTo(std::function<void(const TQuestionRecord&)> sink) { m_sink = std::move(sink); }
    void SendContextRecordsTo(std::function<void(const TContextRecord&)> sink)
    {
        m_contextSink = std::move(sink);
    }
    // Records are kept only for a report: a long text asks millions of questions.
    void KeepRecords(bool keep) { m_keepRecords = keep; }
    void ClearRecords()
    {
        m_records.clear();
        m_contextRecords.clear();
    }
    // True once a question was answered with cancel.
    bool Cancelled() const { return m_cancelled; }

private:
    const TextDocument& m_doc;
    std::vector<TAnswer> m_scripted;
    std::size_t m_next = 0;
    TUnanswered m_unanswered;
    TPersonAsk m_person;
    std::vector<TQuestionRecord> m_records;
    std::vector<TContextRecord> m_contextRecords;
    std::function<void(const TQuestionRecord&)> m_sink;
    std::function<void(const TContextRecord&)> m_contextSink;
    bool m_keepRecords = true;
    bool m_cancelled = false;
};

} // namespace tildo
