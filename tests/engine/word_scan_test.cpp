// The scan cuts lines into words several bytes at a time and hands the words'
// е and ё on with them. A pass over random texts must change exactly the
// words that a plain byte-by-byte cut finds, with and without the word window
// of the combination analysis.

#include "engine_fixture.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tildo::test {
namespace {

// Letters (е, Е, ё, Ё and others) and non-letters, some of them close to the
// letters in the code page.
const char Letters[]
    = { '\xE5', '\xE5', '\xC5', '\xB8', '\xA8', '\xE6', '\xC6', '\xE0', '\xFF', '\xC0', '\xDF' };
const char Others[] = { ' ', ' ', ',', '-', '1', 'a', '\t', '\xA0', '\xB7', '\xB9', '\xA7', '\xBF', '\x80',
    '\xA9', '\xB6', '\xC0' - 1 };

std::string RandomText(std::mt19937& random)
{
    std::string text;
    const int runs = static_cast<int>(random() % 60);
    for (int r = 0; r < runs; ++r) {
        // Letter runs of every length around the eight-byte blocks.
        const int letters = 1 + static_cast<int>(random() % 20);
        for (int i = 0; i < letters; ++i)
            text += Letters[random() % sizeof Letters];
        const int others = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < others; ++i)
            text += random() % 12 == 0 ? '\n' : Others[random() % sizeof Others];
    }
    return text;
}

std::vector<std::string> WordsOf(const std::string& text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsRussianLetter(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && IsRussianLetter(text[i]))
            ++i;
        words.push_back(text.substr(start, i - start));
    }
    return words;
}

bool HasLowerCase(const std::string& word)
{
    return std::any_of(word.begin(), word.end(), [](char c) { return !IsRussianCapital(c); });
}

// The word at [start, end) of text stands apart from the words of its line.
bool ApartOnItsLine(const std::string& text, std::size_t start, std::size_t end)
{
    const std::size_t lineStart
        = text.rfind('\n', start) == std::string::npos ? 0 : text.rfind('\n', start) + 1;
    const std::size_t lineEnd = std::min(text.find('\n', end), text.size());
    return StandsApart(std::string_view(text).substr(lineStart, start - lineStart),
        std::string_view(text).substr(end, lineEnd - end));
}

struct WordScan : TEngineFixture
{
    // The text as the pass should leave it: every word of two letters or more
    // with е and without ё that the dictionary knows takes its ё form, but a
    // word of three capitals or fewer that stands apart (the texts hold no
    // full stop, so no abbreviation).
    std::string Expected(const std::string& text)
    {
        std::string result = text;
        TDicEntry entry;
        std::size_t i = 0;
        while (i < text.size()) {
            if (!IsRussianLetter(text[i])) {
                ++i;
                continue;
            }
            const std::size_t start = i;
            while (i < text.size() && IsRussianLetter(text[i]))
                ++i;
            const std::string word = text.substr(start, i - start);
            if (word.size() >= 2 && HasAnyE(word) && !HasDottedE(word) && dic.Lookup(word, entry)
                && !(word.size() <= 3 && !HasLowerCase(word) && ApartOnItsLine(text, start, i)))
                result.replace(start, word.size(), ApplyCase(entry.Form, word));
        }
        return result;
    }

    // The words with ё of two letters or more whose ё the dictionary does not
    // confirm, each followed by '|'.
    std::string ExpectedCollection(const std::string& text)
    {
        std::string listed;
        TDicEntry entry;
        for (const std::string& word : WordsOf(text)) {
            if (word.size() < 2 || !HasDottedE(word))
                continue;
            if (!dic.Lookup(FoldDottedE(word), entry) || ToLower(entry.Form) != ToLower(word))
                listed += word + "|";
        }
        return listed;
    }
};

TEST_F(WordScan, PassChangesTheWordsOfAPlainCut)
{
    std::mt19937 random(77);
    int changed = 0;
    int collected = 0;
    // Undisputed changes only: a word that would be asked about is left as it is.
    Option("NoVarOnly1");
    for (int round = 0; round < 300; ++round) {
        const std::string text = RandomText(random);
        // Fixed ё forms for about half the words with е.
        std::vector<std::string> forms;
        for (const std::string& word : WordsOf(text)) {
            std::string form = ToLower(word);
            const std::size_t e = form.find(LetterE);
            if (form.size() < 2 || e == std::string::npos || HasDottedE(form) || random() % 2 == 0)
                continue;
            form[e] = LetterYo;
            forms.push_back(form);
        }
        std::sort(forms.begin(), forms.end(),
            [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
        forms.erase(std::unique(forms.begin(), forms.end(),
                        [](const std::string& a, const std::string& b) { return CompareEntries(a, b) == 0; }),
            forms.end());
        dic.Clear();
        for (const std::string& form : forms)
            dic.AddForm(form, 0);
        const std::string expected = Expected(text);
        changed += expected != text ? 1 : 0;

        for (const bool combinations : { false, true }) {
            Option("CombiWords1", combinations);
            doc.SetText(text);
            Pass();
            ASSERT_EQ(doc.Text(), expected)
                << "round " << round << (combinations ? " with" : " without") << " the combination analysis";
        }

        // The collection run lists the words with ё, which the pass leaves alone.
        doc.SetText(text);
        doc.Select(0, 0);
        MemoryDocument pane;
        RunCollection(engine, pane);
        std::string listed;
        for (int i = 0; i < pane.LineCount(); ++i) {
            if (!pane.Line(i).empty())
                listed += pane.Line(i) + "|";
        }
        ASSERT_EQ(listed, ExpectedCollection(text)) << "round " << round;
        collected += listed.empty() ? 0 : 1;
    }
    EXPECT_GT(changed, 200);
    EXPECT_GT(collected, 200);
    EXPECT_TRUE(asker.Questions.empty());
}

// Words inside URLs, e-mail addresses and paths are names and stay as
// written; a soft hyphen inside a word leaves it one word and stays where it
// was. The words of the last line reach the pass after their line with the
// combination analysis, so both ways of reading a word's neighbourhood are
// taken.
TEST_F(WordScan, AddressesStayAndSoftHyphensJoinTheWord)
{
    Dictionary({ "ещё", "ёлка", "королёв" });
    Option("NoVarOnly1");
    const char* text = "Статья https://ru.wikipedia.org/wiki/Королев (www.елка.рф) о Королев.\n"
                       "Пишите еще@пример.рф, еще раз; не @еще и не еще@.\n"
                       "Файлы /home/елка/еще.txt, ~/елка, docs/елка/v2 и C:\\елка, но красная/елка/синяя.\n"
                       "Ел\u00ADка, ко\u00ADро\u00ADлев, ещ\u00ADе, еще\u00AD и \u00ADеще.";
    const char* expected
        = "Статья https://ru.wikipedia.org/wiki/Королев (www.елка.рф) о Королёв.\n"
          "Пишите еще@пример.рф, ещё раз; не @ещё и не ещё@.\n"
          "Файлы /home/елка/еще.txt, ~/елка, docs/елка/v2 и C:\\елка, но красная/ёлка/синяя.\n"
          "Ёл\u00ADка, ко\u00ADро\u00ADлёв, ещ\u00ADё, ещё\u00AD и \u00ADещё.";
    for (const bool combinations : { false, true }) {
        Option("CombiWords1", combinations);
        Text(text);
        Pass();
        EXPECT_EQ(Result(), expected) << (combinations ? "with" : "without") << " the combination analysis";
    }
    // The letters of the hyphenated words are counted as any others.
    EXPECT_EQ(engine.Counters().NewDottedCount, 2 * 10);
}

} // namespace
} // namespace tildo::test
