#pragma once

#include "batch/question_log.h"
#include "platform/asker.h"
#include "text/memory_document.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// One decision of a decisions file: the report's question with its answer set
// by hand or by another tool. Texts are CP1251.
struct TDecision
{
    int Line = 0; // from 1
    int Column = 0; // from 1, in characters
    std::string Word; // as the report saw it
    TAnswer Answer = TAnswer::None; // Plain, Dotted, or None (keep the word as written)
};

// The questions of a report (UTF-8 JSON, as --report writes it). An answer is
// "е" or "ё" (either case), or the report's own notation: "0", "1", "A0",
// "A1"; "keep", an empty or missing answer, "U" and "C" decide nothing. A file
// that is not such a report throws ECliError (exit 2) naming what is wrong.
std::vector<TDecision> ParseDecisions(std::string_view json);

// The decisions whose word is still where the report saw it, by document
// offset; one message (UTF-8) for each that is not.
struct TPlacedDecisions
{
    std::map<int, TAnswer> ByPosition;
    std::map<int, TDecision> Sources; // the decision placed at each offset
    std::vector<std::string> Problems;
};
TPlacedDecisions PlaceDecisions(const std::vector<TDecision>& decisions, const MemoryDocument& doc);

// Answers the questions of a pass from placed decisions and hands the others
// to the command's usual asker; every question goes to the report. The
// decisions the pass never asked about remain in Unused().
class TDecidingAsker : public Asker
{
public:
    TDecidingAsker(const MemoryDocument& doc, TPlacedDecisions decisions, TCliAsker& others);

    TAnswer Ask(const TQuestion& question) override;

    // The questions in the order they were asked, with the decided ones.
    std::vector<TQuestionRecord> Records() const;
    const std::map<int, TDecision>& Unused() const { return m_decisions.Sources; }
    // The decisions whose word was no longer where the report saw it.
    std::size_t Misplaced() const { return m_decisions.Problems.size(); }

private:
    const MemoryDocument& m_doc;
    TPlacedDecisions m_decisions;
    TCliAsker& m_others;
    // Each decided question, with the number of undecided ones asked before it.
    std::vector<std::pair<std::size_t, TQuestionRecord>> m_decided;
};

// --decisions FILE of a restore: the file read and its decisions placed before
// the pass (the text is as read then), the problems told on standard error.
class TDecisionsStep
{
public:
    TDecisionsStep(const std::string& path, const MemoryDocument& doc, TCliAsker& others);

    Asker& PassAsker() { return m_asker; }
    std::vector<TQuestionRecord> Records() const { return m_asker.Records(); }
    // After the pass: prints a message for each decision the pass never asked
    // about; true when every decision of the file was applied.
    bool Finish() const;

private:
    TDecidingAsker m_asker;
    std::string m_prefix; // "--decisions \"PATH\": " for messages
};

} // namespace tildo
