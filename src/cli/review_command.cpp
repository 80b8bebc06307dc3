// tildo-cli review: every disputed word of a text, grouped, for a terminal.

#include "batch/pass_setup.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/terminal_asker.h"
#include "engine/question_groups.h"

#include <cstdlib>
#include <unistd.h>

namespace tildo {

namespace {

constexpr std::string_view Reverse = "\x1b[7m";
constexpr std::string_view Bold = "\x1b[1m";
constexpr std::string_view Reset = "\x1b[0m";

bool ColourTerminal(int fd)
{
    const char* term = std::getenv("TERM");
    return ::isatty(fd) && std::getenv("NO_COLOR") == nullptr && term != nullptr
        && std::string_view(term) != "dumb";
}

std::string ProposedSummary(const std::vector<TCollectedQuestion>& questions, const TQuestionGroup& group)
{
    int dotted = 0;
    for (int i : group.Items)
        dotted += questions[static_cast<std::size_t>(i)].Question.DefaultDotted ? 1 : 0;
    const int plain = static_cast<int>(group.Items.size()) - dotted;
    if (plain == 0)
        return "предлагается ё";
    if (dotted == 0)
        return "предлагается е";
    return "предлагается ё " + std::to_string(dotted) + ", е " + std::to_string(plain);
}

std::string SettledNote(TSettledBy by)
{
    switch (by) {
    case TSettledBy::Standing:
        return "  (постоянный выбор)";
    case TSettledBy::Combination:
        return "  (словосочетание)";
    case TSettledBy::Question:
        break;
    }
    return {};
}

std::string ReviewRow(const TCollectedQuestion& q, bool colour)
{
    const std::string_view context = q.Question.Context;
    const auto offset
        = std::min(static_cast<std::size_t>(std::max(q.Question.WordOffset, 0)), context.size());
    const auto length
        = std::min(static_cast<std::size_t>(std::max(q.Question.WordLength, 0)), context.size() - offset);
    const std::string word = TerminalText(context.substr(offset, length));
    std::string place = std::to_string(q.Line + 1) + ":" + std::to_string(q.Column);
    place.resize(std::max<std::size_t>(place.size(), 9), ' ');
    return "  " + place + (q.Question.DefaultDotted ? "ё" : "е") + "  " + (q.ContextCutBefore ? "…" : "")
        + TerminalText(context.substr(0, offset))
        + (colour ? std::string(Reverse) + word + std::string(Reset) : "«" + word + "»")
        + TerminalText(context.substr(offset + length)) + (q.ContextCutAfter ? "…" : "")
        + SettledNote(q.SettledBy) + "\n";
}

std::string ReviewListing(const std::vector<TCollectedQuestion>& questions,
    const std::vector<TCollectedQuestion>& mixed, bool colour)
{
    std::string out;
    const auto header = [&](const std::string& title, std::size_t count, const std::string& note) {
        const std::string text = TerminalText(title) + " — " + std::to_string(count) + ", " + note;
        out += colour ? std::string(Bold) + text + std::string(Reset) : text;
        out += '\n';
    };
    for (const TQuestionGroup& group : GroupQuestions(questions)) {
        header(group.Title, group.Items.size(), ProposedSummary(questions, group));
        for (int i : group.Items)
            out += ReviewRow(questions[static_cast<std::size_t>(i)], colour);
        out += '\n';
    }
    if (!mixed.empty()) {
        TQuestionGroup all;
        for (std::size_t i = 0; i < mixed.size(); ++i)
            all.Items.push_back(static_cast<int>(i));
        header(MixedSpellingTitle(), mixed.size(), ProposedSummary(mixed, all));
        for (const TCollectedQuestion& q : mixed)
            out += ReviewRow(q, colour);
        out += '\n';
    }
    return out;
}

} // namespace

int RunReview(const TPassCommandOptions& options)
{
    TPassSession session(options);
    const MemoryDocument& doc = session.Input.Document;
    TQuestionCollector collector(session.Dic, session.Combi, session.Window, session.Limits);
    collector.Judge = session.Judge.get();
    const std::vector<TCollectedQuestion> questions = collector.Collect(doc, session.Ui);
    const std::vector<TCollectedQuestion> mixed = FindMixedSpellings(doc);
    WriteStandardOutput(ReviewListing(questions, mixed, ColourTerminal(STDOUT_FILENO)));
    int asked = 0;
    for (const TCollectedQuestion& q : questions)
        asked += q.Asked() ? 1 : 0;
    WriteAllTo(2,
        "Спорных слов: " + std::to_string(questions.size()) + ", из них с вопросом: " + std::to_string(asked)
            + "; написано по-разному: " + std::to_string(mixed.size()) + "\n",
        "stderr");
    return ExitDone;
}

} // namespace tildo
