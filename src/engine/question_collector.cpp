#include "question_collector.h"

#include "engine/decision_observer.h"
#include "engine/word_context.h"
#include "engine/yoficator.h"
#include "platform/null_user_interface.h"
#include "text/letters.h"
#include "text/memory_document.h"

#include <utility>

namespace tildo {

namespace {

// The option marks the engine reads, copied onto a desktop nobody sees.
constexpr TCommand OptionCommands[] = { TCommand::Mark1, TCommand::FastScroll1, TCommand::CheckYo1,
    TCommand::NoVarOnly1, TCommand::VarOnly1, TCommand::ProposeLast1, TCommand::FBFormat1,
    TCommand::CombiWords1, TCommand::AlwaysAsk1, TCommand::Context1 };

// What a pass may change in the dictionaries, kept aside and put back.
class TDictionarySnapshot
{
public:
    TDictionarySnapshot(TDic& dic, TCombiWordsDic& combi)
        : m_dic(dic)
        , m_combi(combi)
        , m_formLast(dic.FormLastAnswer)
        , m_ruleLast(dic.RuleLastAnswer)
        , m_always(dic.FormAlways)
        , m_formMetPlain(dic.FormMetPlain)
        , m_formMetDotted(dic.FormMetDotted)
        , m_formNetDotted(dic.FormNetDotted)
        , m_ruleMetPlain(dic.RuleMetPlain)
        , m_ruleMetDotted(dic.RuleMetDotted)
        , m_ruleNetDotted(dic.RuleNetDotted)
        , m_useCounts(combi.UseCounts)
    {
    }
    TDictionarySnapshot(const TDictionarySnapshot&) = delete;
    TDictionarySnapshot& operator=(const TDictionarySnapshot&) = delete;
    ~TDictionarySnapshot()
    {
        m_dic.FormLastAnswer = std::move(m_formLast);
        m_dic.RuleLastAnswer = std::move(m_ruleLast);
        m_dic.FormAlways = std::move(m_always);
        m_dic.FormMetPlain = std::move(m_formMetPlain);
        m_dic.FormMetDotted = std::move(m_formMetDotted);
        m_dic.FormNetDotted = std::move(m_formNetDotted);
        m_dic.RuleMetPlain = std::move(m_ruleMetPlain);
        m_dic.RuleMetDotted = std::move(m_ruleMetDotted);
        m_dic.RuleNetDotted = std::move(m_ruleNetDotted);
        m_combi.UseCounts = std::move(m_useCounts);
    }

private:
    TDic& m_dic;
    TCombiWordsDic& m_combi;
    TShortIntList m_formLast;
    TShortIntList m_ruleLast;
    TShortIntList m_always;
    TIntegerList m_formMetPlain;
    TIntegerList m_formMetDotted;
    TIntegerList m_formNetDotted;
    TIntegerList m_ruleMetPlain;
    TIntegerList m_ruleMetDotted;
    TIntegerList m_ruleNetDotted;
    TIntegerList m_useCounts;
};

// Answers every question with its proposed answer and keeps it; is told of
// the disputed words a standing choice or a combination settled.
class TRecorder final : public Asker, public TDecisionObserver
{
public:
    TRecorder(const MemoryDocument& copy, std::vector<TCollectedQuestion>& out)
        : m_copy(copy)
        , m_out(out)
    {
    }

    TAnswer Ask(const TQuestion& question) override
    {
        TCollectedQuestion& q = m_out.emplace_back();
        q.Position = m_copy.SelStart();
        q.Word = SelectedWord(m_copy);
        q.Question = question;
        return question.DefaultDotted ? TAnswer::Dotted : TAnswer::Plain;
    }

    void Decided(int position, const TWordCase& word, const TWordDecision& d) override
    {
        if (d.Asked || d.Verdict != TVerdict::Write || !word.Variant)
            return;
        const bool standing = word.Kind == TEntryKind::Form && word.Standing != TAnswer::None;
        if (!standing && !d.ByCombination)
            return;
        TCollectedQuestion& q = m_out.emplace_back();
        q.Position = position;
        q.Word.assign(word.Word);
        q.SettledBy = d.ByCombination ? TSettledBy::Combination : TSettledBy::Standing;
        std::string plain(word.Word);
        FoldDottedEInPlace(plain);
        q.Question.PlainForm = std::move(plain);
        q.Question.DottedForm = ApplyCase(word.Form, word.Word);
        q.Question.DefaultDotted = HasDottedE(d.Result);
        q.Question.FromRule = word.Kind == TEntryKind::Rule;
        ChooseCaption(q.Question);
    }

private:
    const MemoryDocument& m_copy;
    std::vector<TCollectedQuestion>& m_out;
};

} // namespace

TQuestionCollector::TQuestionCollector(
    TDic& dic, TCombiWordsDic& combi, TWordBuffer& window, const TBufferLimits& limits)
    : m_dic(dic)
    , m_combi(combi)
    , m_window(window)
    , m_limits(limits)
{
}

std::vector<TCollectedQuestion> TQuestionCollector::Collect(const TextDocument& doc, const UserInterface& ui)
{
    TNullUserInterface quiet;
    for (const TCommand command : OptionCommands)
        quiet.SetCommandChecked(command, ui.IsCommandChecked(command));
    // The marks would only colour the copy.
    quiet.SetCommandChecked("Mark1", false);
    quiet.SetCommandChecked("FastScroll1", true);

    const std::string text = doc.Text();
    MemoryDocument copy;
    copy.SetText(text);
    std::vector<TCollectedQuestion> found;
    TRecorder recorder(copy, found);
    {
        const TDictionarySnapshot snapshot(m_dic, m_combi);
        TYoficator engine(copy, quiet, recorder, m_dic, m_combi, m_window, m_limits);
        engine.SetDecisionObserver(&recorder);
        engine.SetContextJudge(Judge);
        engine.DoYoficate(0, 1);
    }
    for (TCollectedQuestion& q : found) {
        q.Line = doc.LineOf(q.Position);
        q.Column = q.Position - doc.LineStart(q.Line) + 1;
        const TWordContext c
            = WordContext(text, q.Position, static_cast<int>(q.Word.size()), ContextAddLetters);
        q.Question.Context = c.Context.Text;
        q.Question.WordOffset = c.Context.Offset;
        q.Question.WordLength = c.Context.Length;
        q.ContextCutBefore = c.CutBefore;
        q.ContextCutAfter = c.CutAfter;
    }
    return found;
}

TAnswer AnswerKeepingWord(const TQuestion& question, std::string_view word)
{
    if (word == question.DottedForm)
        return TAnswer::Dotted;
    if (word == question.PlainForm)
        return TAnswer::Plain;
    return HasDottedE(word) ? TAnswer::Dotted : TAnswer::Plain;
}

std::string SelectedWord(const TextDocument& doc)
{
    const int start = doc.SelStart();
    const int line = doc.LineOf(start);
    const std::string text = doc.Line(line);
    const auto column = static_cast<std::size_t>(start - doc.LineStart(line));
    if (column >= text.size())
        return {};
    return text.substr(column, static_cast<std::size_t>(doc.SelLength()));
}

TDecisionAsker::TDecisionAsker(const TextDocument& doc, std::map<int, TAnswer> decisions)
    : m_doc(doc)
    , m_decisions(std::move(decisions))
{
}

TAnswer TDecisionAsker::Ask(const TQuestion& question)
{
    const auto it = m_decisions.find(m_doc.SelStart());
    if (it != m_decisions.end() && (it->second == TAnswer::Plain || it->second == TAnswer::Dotted)) {
        ++m_answered;
        return it->second;
    }
    ++m_kept;
    return AnswerKeepingWord(question, SelectedWord(m_doc));
}

} // namespace tildo
