// The files shipped in data/: each must load without a single message and
// hold what the program relies on.

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "support/recording_ui.h"
#include "support/scripted_asker.h"
#include "text/collation.h"
#include "text/letters.h"
#include "text/memory_document.h"
#include "tools/dic_lines.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::U;
using test::W;

const std::string DataDir = TILDO_DATA_DIR;

std::string Joined(const std::vector<std::string>& lines)
{
    std::string r;
    for (const auto& l : lines)
        r += l + "\n";
    return r;
}

// Every line break of a shipped file is CR LF, as the program writes them.
void ExpectCrLf(const std::string& name)
{
    const std::string bytes = ReadWholeFile(DataDir + "/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
    std::size_t bare = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            ++bare;
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            ++bare;
    }
    EXPECT_EQ(bare, 0u) << name << ": line breaks other than CR LF";
}

// The main dictionary as the program loads it, with what the load reported.
struct TLoadedDictionary
{
    TDic Dic;
    TRecordingUi Ui;
    TLoadedDictionary()
    {
        Dic.FileName = DataDir + "/tildo.dat";
        Dic.ReadDic(Ui);
    }
};

const TLoadedDictionary& Shipped()
{
    static const TLoadedDictionary loaded;
    return loaded;
}

struct TFound
{
    std::string Form; // UTF-8; empty when the dictionary has no entry
    int Variant = 0;
};

// What the pass would find for a text word (UTF-8, case as in the text).
TFound Find(const TDic& dic, std::string_view word)
{
    TDicEntry entry;
    TFound r;
    if (!dic.Lookup(FoldDottedE(W(word)), entry))
        return r;
    r.Form = U(entry.Form);
    r.Variant = entry.IsRule ? dic.RuleVariant[entry.Index] : dic.FormVariant[entry.Index];
    return r;
}

std::vector<std::string> RussianWords(std::string_view line)
{
    std::vector<std::string> words;
    std::string current;
    for (const char c : line) {
        if (IsRussianLetter(c)) {
            current += c;
        } else if (!current.empty()) {
            words.push_back(current);
            current.clear();
        }
    }
    if (!current.empty())
        words.push_back(current);
    return words;
}

TEST(ShippedMainDictionary, LoadsWithoutAnyFinding)
{
    const TLoadedDictionary& d = Shipped();
    EXPECT_TRUE(d.Ui.Errors.empty()) << Joined(d.Ui.ErrorsUtf8());
    EXPECT_GT(d.Dic.FormCount(), 100000);
    // Rules are few: each one costs a scan of every text word that is not a form.
    EXPECT_GE(d.Dic.RuleCount(), 2);
    EXPECT_LE(d.Dic.RuleCount(), 30);
    EXPECT_TRUE(d.Ui.IsCommandEnabled("YoPos1"));
    ExpectCrLf("tildo.dat");
    // The dictionary editor checks rules and forms as one sorted list: the
    // shipped file must open there without an order error.
    EXPECT_EQ(CountDicLines(ReadDicFileLines(DataDir + "/tildo.dat")).FirstOrderBreak, -1);

    // A form with a capital after its first letter could never be found.
    int unreachable = 0;
    for (const std::string_view form : d.Dic.Forms) {
        for (std::size_t i = 1; i < form.size(); ++i)
            unreachable += IsRussianCapital(form[i]) ? 1 : 0;
    }
    EXPECT_EQ(unreachable, 0);
}

TEST(ShippedMainDictionary, DecidesWellKnownWords)
{
    const TDic& dic = Shipped().Dic;
    struct TCase
    {
        const char* Text;
        const char* Form; // "" when the word must not be an entry
        int Variant;
    };
    const TCase cases[] = {
        { "еще", "ещё", 0 },
        { "ЕЩЕ", "ещё", 0 },
        { "все", "всё", 1 },
        { "Все", "всё", 1 },
        { "чем", "чём", 1 },
        { "нем", "нём", 1 },
        { "лет", "лёт", 1 },
        { "берет", "берёт", 1 },
        { "осел", "осёл", 1 },
        { "небо", "нёбо", 1 },
        { "совершенный", "совершённый", 1 },
        { "трехведерный", "трёхведёрный", 0 },
        // compounds on technical nouns, by rule; words that only hold the
        // letters of such a stem stay as they are
        { "видеоотчетами", "видеоотчётами", 0 },
        { "Статотчет", "Статотчёт", 0 }, // a rule keeps the text word's capital
        { "спецсамолетом", "спецсамолётом", 0 },
        { "восприемник", "", 0 },
        { "волюминометр", "", 0 },
        { "Пленкин", "", 0 },
        { "объем", "объём", 0 },
        { "шелковый", "шёлковый", 0 }, // шелковый is the lexicon's informal spelling
        { "вертолетчик", "вертолётчик", 0 }, // a ё-less duplicate in the lexicon
        { "Щелково", "Щёлково", 0 },
        { "щелково", "", 0 }, // a proper name is found only with its capital
        { "Петр", "Пётр", 0 },
        { "петр", "", 0 },
        { "Орел", "орёл", 0 }, // common noun and town: one lower-case entry
        { "тем", "", 0 }, // artefacts beside very frequent words
        { "перед", "", 0 },
        { "самое", "", 0 },
        { "сдвоенный", "", 0 }, // сдвоённый is only an informal spelling
        { "дед", "", 0 },
    };
    for (const TCase& c : cases) {
        const TFound found = Find(dic, c.Text);
        EXPECT_EQ(found.Form, c.Form) << c.Text;
        if (!found.Form.empty()) {
            EXPECT_EQ(found.Variant, c.Variant) << c.Text;
        }
    }
}

// Whole classes of words, each by a handful of members: the generated negated
// forms and numeral compounds, the capitalised names beside common ё words,
// and the lexicon's own faults that must not come back.
TEST(ShippedMainDictionary, DecidesWordClasses)
{
    const TDic& dic = Shipped().Dic;
    struct TCase
    {
        const char* Text;
        const char* Form;
        int Variant;
    };
    const TCase cases[] = {
        // не + participle or adjective, which the lexicon lacks
        { "неокропленном", "неокроплённом", 0 },
        { "незашпаклеванной", "незашпаклёванной", 0 },
        { "Неразмалеванные", "неразмалёванные", 0 },
        // negated and compound words that the lexicon spells only with е
        { "незащищенный", "незащищённый", 0 },
        { "ресурсоемкость", "ресурсоёмкость", 0 },
        { "видеосъемкой", "видеосъёмкой", 0 },
        { "стеклоподъемник", "стеклоподъёмник", 0 },
        { "однодневка", "", 0 }, // not one + днёвка
        { "неженка", "", 0 }, // not не + жёнка
        { "пистолетный", "", 0 }, // not писто + лётный
        { "вылощенный", "", 0 },
        { "недополученный", "", 0 },
        // numeral compounds: listed, spelled only with е by the lexicon, unknown
        { "трехэтажный", "трёхэтажный", 0 },
        { "трехмиллиардный", "трёхмиллиардный", 0 },
        { "Четырехъядерный", "четырёхъядерный", 0 },
        { "четырехсотлетие", "четырёхсотлетие", 0 },
        { "трехведерный", "трёхведёрный", 0 },
        // compounds on technical nouns, by rule; words that only hold the
        // letters of such a stem stay as they are
        { "видеоотчетами", "видеоотчётами", 0 },
        { "Статотчет", "Статотчёт", 0 }, // a rule keeps the text word's capital
        { "спецсамолетом", "спецсамолётом", 0 },
        { "восприемник", "", 0 },
        { "волюминометр", "", 0 },
        { "Пленкин", "", 0 },
        // a capitalised е spelling that is a name is asked about; the common
        // word in lower case is not
        { "Киев", "Киёв", 1 },
        { "киев", "киёв", 0 },
        { "Карасев", "Карасёв", 1 },
        { "Озер", "Озёр", 1 },
        { "озер", "озёр", 0 },
        { "Боев", "Боёв", 1 },
        // both spellings are forms of one lexeme: a question, not a change
        { "ведра", "вёдра", 1 },
        { "маркер", "маркёр", 1 },
        { "настороженный", "насторожённый", 1 },
        { "орет", "орёт", 0 }, // the е spelling is only a misspelling
        // the lexicon's ё in participles of вести, цвести and the like
        { "приведший", "", 0 },
        { "расцветшая", "", 0 },
        { "изобретших", "", 0 },
        { "подметший", "подмётший", 0 },
        { "тепел", "", 0 },
    };
    for (const TCase& c : cases) {
        const TFound found = Find(dic, c.Text);
        EXPECT_EQ(found.Form, c.Form) << c.Text;
        if (!found.Form.empty()) {
            EXPECT_EQ(found.Variant, c.Variant) << c.Text;
        }
    }
}

// A text restored with the shipped dictionary alone in the automatic mode
// (undisputed changes only, no questions), as tildo-cli --on NoVarOnly does.
std::string RestoredAutomatically(const std::string& utf8)
{
    static TDic dic = Shipped().Dic;
    TRecordingUi ui;
    ui.Checked["NoVarOnly1"] = true;
    test::TScriptedAsker asker;
    TBufferLimits limits;
    TCombiWordsDic combi(limits);
    TWordBuffer window(limits);
    MemoryDocument doc;
    doc.SetText(W(utf8));
    TYoficator engine(doc, ui, asker, dic, combi, window, limits);
    RunPass(engine);
    EXPECT_TRUE(asker.Questions.empty());
    return U(doc.Text());
}

// Words the lexicon lacks and the generator derives from their ё kin, one
// class a sentence; and the wrong changes the dictionary and the decision
// avoid.
TEST(ShippedMainDictionary, RestoresDerivedWordsInSentences)
{
    const std::pair<const char*, const char*> cases[] = {
        // short forms of participles and adjectives
        { "Порядок обхода неопределен.", "Порядок обхода неопределён." },
        // adverbs of adjectives, participles and nouns in -ость
        { "Он потрясенно молчал; значение вычислено приближенно.",
            "Он потрясённо молчал; значение вычислено приближённо." },
        // nouns of verbs, which keep the verb's ё
        { "Перечеркивание и расчесывание.", "Перечёркивание и расчёсывание." },
        // imperfectives in -ывать/-ивать and their nouns take the ё of the root
        // syllable before the suffix, which keeps the stress whatever the
        // prefix; a syllable only spelled like one with ё is left alone
        { "Поеживание, разжевывание и надергивание ниток; он выслеживал, переживание.",
            "Поёживание, разжёвывание и надёргивание ниток; он выслеживал, переживание." },
        // participles in -анный take the ё of the syllable before the suffix,
        // except after вы-, which takes the stress
        { "Потрепанный плащ, причесанный и вычесанный мех.",
            "Потрёпанный плащ, причёсанный и вычесанный мех." },
        // a noun of prefixes and a ё noun whose prefixed verb keeps the ё
        { "Нахлест, расчес и поклев; прочерк.", "Нахлёст, расчёс и поклёв; прочерк." },
        // a prefixed verb the lexicon spells with е, and the passive of a verb
        { "Метод переопределен, пользователь предупрежден; экзамен пересдается.",
            "Метод переопределён, пользователь предупреждён; экзамен пересдаётся." },
        // diminutives and derived nouns
        { "Колесико мыши", "Колёсико мыши" },
        // the young of animals the lexicon has, a fleeting vowel dropped as in
        // the genitive; a made-up young whose е spelling is a word is left alone
        { "Мама с пингвиненком, дельфиненок и козленок; басенка",
            "Мама с пингвинёнком, дельфинёнок и козлёнок; басенка" },
        // compounds on a known first part
        { "ресурсоемкий процесс, полумертвый сервер", "ресурсоёмкий процесс, полумёртвый сервер" },
        // compounds the lexicon lacks, on a head that it joins to many first
        // elements, by rule
        { "Быстросъемный кожух, сверхнапряженный график, среднезагрязненных рек",
            "Быстросъёмный кожух, сверхнапряжённый график, среднезагрязнённых рек" },
        // names
        { "Алешин и Мердок", "Алёшин и Мёрдок" },
        // nouns without a suffix do not keep their verb's ё
        { "очерк, проблеск, всплеск", "очерк, проблеск, всплеск" },
        // both are written, е is the ordinary one
        { "издалека", "издалека" },
        // abbreviations and short words in capitals are asked about
        { "(прим. пер.) Удалите врем. файлы. Команды:\tПЕР\tПЕРО",
            "(прим. пер.) Удалите врем. файлы. Команды:\tПЕР\tПЕРО" },
        // a capitalised name whose е spelling is someone else's name, and a
        // common word at the start of a sentence that is a ё name too
        { "Мы видели Леву и Киселева. Тема: Артемов.", "Мы видели Леву и Киселева. Тема: Артемов." },
    };
    for (const auto& [text, restored] : cases) {
        EXPECT_EQ(RestoredAutomatically(text), restored);
    }
}

TEST(ShippedCombinations, LoadWithoutMessagesAndAgreeWithTheDictionary)
{
    const TDic& dic = Shipped().Dic;
    TBufferLimits limits;
    TCombiWordsDic combi(limits);
    combi.FileName = DataDir + "/combi.dat";
    TRecordingUi ui;
    combi.ReadCombiDic(ui);
    EXPECT_TRUE(ui.Errors.empty()) << Joined(ui.ErrorsUtf8());
    EXPECT_GE(combi.Count(), 300);
    EXPECT_TRUE(ui.IsCommandEnabled("CombiWords1"));
    ExpectCrLf("combi.dat");

    for (int i = 0; i < combi.Count(); ++i) {
        const std::string& text = combi.Texts[static_cast<std::size_t>(i)];
        bool decidesSomething = false;
        for (const std::string& word : RussianWords(text)) {
            TDicEntry entry;
            if (!dic.Lookup(FoldDottedE(word), entry))
                continue;
            decidesSomething = true;
            // Where the group writes ё, it must stand where the dictionary has it.
            if (HasDottedE(word)) {
                EXPECT_EQ(U(ToLower(entry.Form)), U(ToLower(word))) << U(text);
            }
        }
        EXPECT_TRUE(decidesSomething) << U(text) << ": no word of it is in the main dictionary";
    }

    struct TCase
    {
        const char* Candidate;
        int Mask;
    };
    const TCase cases[] = {
        { "все-таки", 1 },
        { "125 лет", 0 },
        { "о чем", 2 },
        { "ни при чем", 4 },
        { "Во всем", 2 },
        { "не о чем", 0 },
        { "все три", 0 },
        { "все параметры", 0 },
        { "все говорят", 0 },
        { "Все \\0", 0 },
        { "все, которые", 0 },
        { "всё быстрее", 1 },
        { "всё изменилось", 1 },
        { "всё, о чем", 5 },
        { "по всем", 0 },
        { "на чем", 2 },
        { "над чем", 0 },
    };
    for (const TCase& c : cases) {
        const int i = combi.FindCombination(FoldDottedE(W(c.Candidate)));
        ASSERT_GE(i, 0) << c.Candidate;
        EXPECT_EQ(combi.DottedMasks[i], c.Mask) << c.Candidate;
    }
}

// --- the word-form rules -------------------------------------------------------------

struct TMorphRule
{
    std::string Label;
    std::string Pattern;
    int Cut = 0;
    std::string Endings;
};

// The pattern's elements from the right: single letters, or [..] sets.
bool SplitPattern(std::string_view pattern, std::vector<std::string>& elements)
{
    elements.clear();
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] == '[') {
            const std::size_t close = pattern.find(']', i + 1);
            if (close == std::string_view::npos || close == i + 1)
                return false;
            const std::string_view set = pattern.substr(i + 1, close - i - 1);
            if (!AllRussianLetters(set))
                return false;
            elements.emplace_back(set);
            i = close + 1;
        } else if (IsRussianLetter(pattern[i])) {
            elements.emplace_back(1, pattern[i]);
            ++i;
        } else {
            return false;
        }
    }
    return !elements.empty();
}

// Parses one line of the rules file; an empty error means a comment, a header
// (header set) or a rule (rule filled).
std::string ParseMorphLine(std::string_view line, std::string& header, TMorphRule& rule, bool& isRule)
{
    isRule = false;
    if (line.empty() || line.front() == '#')
        return "";
    if (line.front() == '=') {
        header = line.substr(1);
        return header.empty() ? "empty part-of-speech name" : "";
    }
    std::size_t colons[3];
    std::size_t from = 0;
    for (std::size_t& c : colons) {
        c = line.find(':', from);
        if (c == std::string_view::npos)
            return "fewer than three ':'";
        from = c + 1;
    }
    rule.Label = line.substr(0, colons[0]);
    rule.Pattern = line.substr(colons[0] + 1, colons[1] - colons[0] - 1);
    const std::string_view cut = line.substr(colons[1] + 1, colons[2] - colons[1] - 1);
    rule.Endings = line.substr(colons[2] + 1);
    if (rule.Label.empty() || !AllRussianLetters(rule.Label))
        return "the label is not a model word";
    std::vector<std::string> elements;
    if (!SplitPattern(rule.Pattern, elements))
        return "bad pattern";
    if (cut.empty() || cut.size() > 2)
        return "bad cut";
    rule.Cut = 0;
    for (const char c : cut) {
        if (!IsDigit(c))
            return "bad cut";
        rule.Cut = rule.Cut * 10 + (c - '0');
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = rule.Endings.find(',', start);
        const std::string_view ending = std::string_view(rule.Endings).substr(start, comma - start);
        if (!AllRussianLetters(ending))
            return "an ending with a character that is not a Russian letter";
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (header.empty())
        return "a rule before the first part-of-speech header";
    isRule = true;
    return "";
}

bool EndsWithPattern(std::string_view word, const std::string& pattern)
{
    std::vector<std::string> elements;
    if (!SplitPattern(pattern, elements) || elements.size() > word.size())
        return false;
    for (std::size_t k = 0; k < elements.size(); ++k) {
        const char c = word[word.size() - 1 - k];
        if (elements[elements.size() - 1 - k].find(c) == std::string::npos)
            return false;
    }
    return true;
}

std::vector<std::string> MakeForms(const std::string& base, const TMorphRule& rule)
{
    const std::string stem = base.substr(0, base.size() - static_cast<std::size_t>(rule.Cut));
    std::vector<std::string> forms;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = rule.Endings.find(',', start);
        forms.push_back(stem + rule.Endings.substr(start, comma - start));
        if (comma == std::string::npos)
            return forms;
        start = comma + 1;
    }
}

TEST(ShippedWordFormRules, EveryLineFollowsTheGrammarAndGivesKnownForms)
{
    const std::string bytes = ReadWholeFile(DataDir + "/morphs.dat");
    ExpectCrLf("morphs.dat");
    const TDic& dic = Shipped().Dic;

    std::string header;
    int rules = 0;
    std::size_t begin = 0;
    int lineNumber = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        begin = end + 1;
        ++lineNumber;

        TMorphRule rule;
        bool isRule = false;
        const std::string error = ParseMorphLine(line, header, rule, isRule);
        EXPECT_EQ(error, "") << "line " << lineNumber << ": " << U(line);
        if (!isRule)
            continue;
        ++rules;
        // The label is a model word: it fits its own pattern, and every form
        // the rule makes of it holds ё and is in the main dictionary as written.
        EXPECT_TRUE(EndsWithPattern(rule.Label, rule.Pattern)) << U(line);
        EXPECT_LE(static_cast<std::size_t>(rule.Cut), rule.Label.size()) << U(line);
        for (const std::string& form : MakeForms(rule.Label, rule)) {
            EXPECT_TRUE(HasDottedE(form)) << U(line) << ": " << U(form);
            TDicEntry entry;
            const bool known = dic.Lookup(FoldDottedE(form), entry);
            EXPECT_TRUE(known && entry.Form == form) << U(line) << ": " << U(form);
        }
    }
    EXPECT_GE(rules, 30);
}

} // namespace
} // namespace tildo
