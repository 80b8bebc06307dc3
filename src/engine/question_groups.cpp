#include "question_groups.h"

#include "engine/word_context.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <unordered_map>

namespace tildo {

namespace {

// Calls visit(position, word) for each run of Russian letters in text.
template <class Visit> void ForEachWord(const std::string& text, Visit visit)
{
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !IsRussianLetter(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && IsRussianLetter(text[i]))
            ++i;
        if (i > start)
            visit(static_cast<int>(start), std::string_view(text).substr(start, i - start));
    }
}

// How the text writes one word.
struct TSpellings
{
    std::map<std::string, int> Dotted; // lower-case spellings with ё, by use
    int PlainCount = 0;
    std::vector<std::pair<int, int>> Occurrences; // position, length
};

} // namespace

std::string MixedSpellingTitle()
{
    return Cp("Написано по-разному");
}

std::vector<TQuestionGroup> GroupQuestions(const std::vector<TCollectedQuestion>& questions)
{
    std::map<std::string, TQuestionGroup> byForms;
    for (std::size_t i = 0; i < questions.size(); ++i) {
        const TQuestion& q = questions[i].Question;
        const std::string title = ToLower(q.PlainForm) + "/" + ToLower(q.DottedForm);
        TQuestionGroup& group = byForms[title];
        group.Title = title;
        group.Items.push_back(static_cast<int>(i));
    }
    std::vector<TQuestionGroup> groups;
    groups.reserve(byForms.size());
    for (auto& entry : byForms)
        groups.push_back(std::move(entry.second));
    std::stable_sort(groups.begin(), groups.end(),
        [](const TQuestionGroup& a, const TQuestionGroup& b) { return a.Items.size() > b.Items.size(); });
    return groups;
}

std::vector<TCollectedQuestion> FindMixedSpellings(const TextDocument& doc, int addLetters)
{
    const std::string text = doc.Text();
    // First the words written with ё, found by their ё alone: few texts have many.
    std::unordered_map<std::string, TSpellings> words;
    std::string lower;
    std::size_t lastStart = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsDottedE(text[i]))
            continue;
        std::size_t start = i;
        while (start > 0 && IsRussianLetter(text[start - 1]))
            --start;
        std::size_t end = i + 1;
        while (end < text.size() && IsRussianLetter(text[end]))
            ++end;
        i = end - 1;
        if (start == lastStart)
            continue;
        lastStart = start;
        lower.assign(text, start, end - start);
        ToLowerInPlace(lower);
        ++words[FoldDottedE(lower)].Dotted[lower];
    }
    if (words.empty())
        return {};
    // A cheap screen before the lookup: the lengths and first letters of those words.
    std::uint64_t lengths = 0;
    std::array<bool, 256> firsts {};
    for (const auto& entry : words) {
        lengths |= std::uint64_t(1) << std::min<std::size_t>(entry.first.size(), 63);
        firsts[static_cast<unsigned char>(entry.first[0])] = true;
    }
    std::string key;
    ForEachWord(text, [&](int position, std::string_view word) {
        if ((lengths & (std::uint64_t(1) << std::min<std::size_t>(word.size(), 63))) == 0
            || !firsts[static_cast<unsigned char>(FoldChar(LowerChar(word[0])))] || !HasAnyE(word))
            return;
        key.assign(word);
        ToLowerInPlace(key);
        const bool dotted = HasDottedE(key);
        if (dotted)
            FoldDottedEInPlace(key);
        const auto it = words.find(key);
        if (it == words.end())
            return;
        if (!dotted)
            ++it->second.PlainCount;
        it->second.Occurrences.emplace_back(position, static_cast<int>(word.size()));
    });

    std::vector<TCollectedQuestion> found;
    for (const auto& [plain, spellings] : words) {
        if (spellings.PlainCount == 0)
            continue;
        // The ё spelling the text uses most; ties to the first in order.
        const auto most = std::max_element(spellings.Dotted.begin(), spellings.Dotted.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
        int dottedCount = 0;
        for (const auto& d : spellings.Dotted)
            dottedCount += d.second;
        for (const auto& [position, length] : spellings.Occurrences) {
            TCollectedQuestion& q = found.emplace_back();
            q.Position = position;
            q.Word = text.substr(static_cast<std::size_t>(position), static_cast<std::size_t>(length));
            q.Line = doc.LineOf(position);
            q.Column = position - doc.LineStart(q.Line) + 1;
            q.Question.PlainForm = ApplyCase(plain, q.Word);
            q.Question.DottedForm = ApplyCase(most->first, q.Word);
            q.Question.DefaultDotted = dottedCount >= spellings.PlainCount;
            q.Question.FromRule = true;
            ChooseCaption(q.Question);
            const TWordContext c = WordContext(text, position, length, addLetters);
            q.Question.Context = c.Context.Text;
            q.Question.WordOffset = c.Context.Offset;
            q.Question.WordLength = c.Context.Length;
            q.ContextCutBefore = c.CutBefore;
            q.ContextCutAfter = c.CutAfter;
        }
    }
    std::sort(found.begin(), found.end(),
        [](const TCollectedQuestion& a, const TCollectedQuestion& b) { return a.Position < b.Position; });
    return found;
}

} // namespace tildo
