// The combination window on its own: words and separators go in as the scan
// hands them over, and what comes out is which words it lets go to be
// decided, with the verdict and the combination behind each.

#include "dict/combination_dictionary.h"
#include "dict/my_lists.h"
#include "engine/combination_window.h"
#include "support/recording_ui.h"
#include "text/letters.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace tildo::test {
namespace {

// Writes down each word let go: "word", "word=ё <entry>" when a combination
// decides it, and "{text}" where it takes a matched combination for the log.
class TRecordedDecisions final : public TWindowDecisions
{
public:
    TRecordedDecisions(TCombinationWindow& window, const TWordBuffer& buffer, const TCombiWordsDic& combi)
        : m_window(window)
        , m_buffer(buffer)
        , m_combi(combi)
    {
    }

    void DecideWord(int, std::string_view word, unsigned) override
    {
        std::string line = U(word);
        if (m_window.Verdict() != 0) {
            line += m_window.Verdict() == 2 ? "=ё" : "=е";
            line += " <" + U(m_combi.Texts[static_cast<std::size_t>(m_window.VerdictEntry())]) + ">";
        }
        if (m_window.HasMatchedText())
            line += " {" + U(m_window.TakeMatchedText()) + "}";
        Decided.push_back(line);
        CandidatesBuilt.push_back(m_buffer.Candidates.Count());
        if (ShowCandidates) {
            m_window.BuildPendingCandidates();
            Candidates.emplace_back();
            for (int i = 0; i < m_buffer.Candidates.Count(); ++i)
                Candidates.back().push_back(U(m_buffer.Candidates[i]));
        }
    }
    bool Stopped() const override { return StopAfter >= 0 && static_cast<int>(Decided.size()) >= StopAfter; }

    std::vector<std::string> Decided;
    int StopAfter = -1;
    std::vector<int> CandidatesBuilt; // before a question asks for them
    bool ShowCandidates = false; // build them as a question does
    std::vector<std::vector<std::string>> Candidates;

private:
    TCombinationWindow& m_window;
    const TWordBuffer& m_buffer;
    const TCombiWordsDic& m_combi;
};

struct CombinationWindow : ::testing::Test
{
    TRecordingUi ui;
    TBufferLimits limits;
    TCombiWordsDic combi { limits };
    TWordBuffer buffer { limits };
    TCombinationWindow window { combi, buffer, limits };
    TRecordedDecisions decisions { window, buffer, combi };

    void Combinations(std::initializer_list<const char*> lines)
    {
        combi.Clear();
        for (const char* line : lines)
            combi.AddCombination(W(line), ui);
        EXPECT_TRUE(ui.Errors.empty()) << "the lines must be in the dictionary's order";
    }

    // One line of text (UTF-8) as the scan hands it over: runs of Russian
    // letters are words, what stands before a word is its separator with its
    // blanks collapsed, and the end entry carries the text after the last word.
    void Scan(const char* utf8)
    {
        const std::string text = W(utf8);
        window.BeginScan(true, false);
        std::string separator = " ";
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t start = i;
            while (i < text.size() && !IsRussianLetter(text[i]))
                ++i;
            AppendCollapsingBlanks(separator, std::string_view(text).substr(start, i - start));
            if (i == text.size())
                break;
            const std::size_t first = i;
            while (i < text.size() && IsRussianLetter(text[i]))
                ++i;
            const std::string_view word = std::string_view(text).substr(first, i - first);
            window.Push(static_cast<int>(first), word, separator, ELettersOf(word), decisions);
            separator = i == text.size() ? " " : "";
        }
        window.Push(-1, {}, separator, 0, decisions);
        window.DecideRest(decisions);
        window.EndScan(false);
    }
};

struct TCase
{
    const char* What;
    std::initializer_list<const char*> Combinations;
    const char* Text;
    std::vector<std::string> Decided;
};

TEST_F(CombinationWindow, WordSequencesAndTheirVerdicts)
{
    const TCase cases[] = {
        { "a group decides the word after a short one that is not decided itself", { "о чём" }, "о чем речь",
            { "чем=ё <о чём> {о чем}", "речь" } },
        { "a sentence break is a separator the group does not hold", { "все равно" }, "все. Равно",
            { "все" } },
        { "the same words without it", { "все равно" }, "Все равно", { "Все=е <все равно> {все равно}" } },
        { "a separator in front of the oldest word belongs to its texts", { ", чем" }, "лучше, чем",
            { "лучше", "чем=е <, чем> {, чем}" } },
        { "a comma at a line's end meets the next line's word without a blank", { "всё, равно" }, "все,равно",
            { "все" } },
        { "a number before a word", { "\\0 лет", "\\0-\\0 лет" }, "через 5 лет",
            { "через", "лет=е <\\0 лет> {\\0 лет}" } },
        { "a range of numbers before a word", { "\\0 лет", "\\0-\\0 лет" }, "через 12-15 лет",
            { "через", "лет=е <\\0-\\0 лет> {\\0-\\0 лет}" } },
        { "a number after the last word reaches it through the end entry", { "все \\0" }, "все 25",
            { "все=е <все \\0> {все \\0}" } },
        { "a three-word group carries its verdict two words on", { "братья и сёстры" }, "братья и сестры",
            { "сестры=ё <братья и сёстры> {братья и сестры}" } },
        { "a group inside a sentence", { "о чём" }, "знаем о чем же мы",
            { "знаем", "чем=ё <о чём> {о чем}", "же" } },
        { "the end of the text: the text after the last word decides", { "всё," }, "он сказал все,",
            { "все=ё <всё,> {все,}" } },
        { "the end of the text without it", { "всё," }, "он сказал все", { "все" } },
        { "a later match writes over an earlier one, whose text is never logged", { "о чём", "чем больше" },
            "о чем больше", { "чем=е <чем больше> {чем больше}", "больше=е <чем больше>" } },
        { "a later match clears the verdicts after its words", { ", же", "всё, же ещё" }, "все, же еще",
            { "все=ё <всё, же ещё> {все, же еще}", "же=е <, же> {, же}", "еще" } },
        { "the oldest word alone never matches", { "всё" }, "все", { "все" } },
        { "a window without е decides nothing", { "о чём" }, "о том", {} },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Combinations(c.Combinations);
        decisions.Decided.clear();
        Scan(c.Text);
        EXPECT_EQ(decisions.Decided, c.Decided);
        EXPECT_EQ(window.Verdict(), 0); // a verdict lasts for one decision
    }
}

TEST_F(CombinationWindow, CandidatesWaitForAQuestionAndAStopLeavesTheRestUndecided)
{
    Combinations({ "о чём" });
    Scan("все равно, что");
    // No entry begins like any text of все: none is built unless a question shows them.
    EXPECT_EQ(decisions.CandidatesBuilt, std::vector<int> { 0 });
    decisions.ShowCandidates = true;
    Scan("все равно, что");
    const std::vector<std::vector<std::string>> shown { { "все", "все равно", "все равно,",
        "все равно, что" } };
    EXPECT_EQ(decisions.Candidates, shown);

    // Where one may match they are built before the word is let go.
    Combinations({ "все равно" });
    decisions.ShowCandidates = false;
    decisions.CandidatesBuilt.clear();
    Scan("все равно");
    EXPECT_EQ(decisions.CandidatesBuilt, std::vector<int> { 2 });

    // Stopped while the end of the text is decided: the words after stay as they are.
    decisions.Decided.clear();
    decisions.StopAfter = 2;
    Scan("все еще здесь");
    EXPECT_EQ(decisions.Decided, (std::vector<std::string> { "все", "еще" }));
}

} // namespace
} // namespace tildo::test
