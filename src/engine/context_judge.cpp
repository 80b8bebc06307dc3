#include "engine/context_judge.h"

#include "text/cp1251.h"
#include "text/letters.h"

#include <utility>
#include <vector>

namespace tildo {

namespace {

using G = TGrammeme;

// Sure answers for все/всё a text needs before its share of всё is trusted.
constexpr int MinAllAnswers = 8;

constexpr TTagMask Cases = Tags(G::Nomn, G::Gent, G::Datv, G::Accs, G::Ablt, G::Loct, G::Voct);
constexpr TTagMask Genders = Tags(G::Masc, G::Femn, G::Neut);
constexpr TTagMask Animacy = Tags(G::Anim, G::Inan);
constexpr TTagMask Persons = Tags(G::Per1, G::Per2, G::Per3);
constexpr TTagMask Adjectival = Tags(G::Adjf, G::Prtf);
constexpr TTagMask ShortForms = Tags(G::Adjs, G::Prts);

bool IsFiniteVerb(TTagMask t)
{
    return (t & Tag(G::Verb)) != 0 && (t & Tag(G::Impr)) == 0 && (t & (Persons | Tag(G::Past))) != 0;
}

// Folded, lower-case CP1251 words and the prepositions' cases, converted once.
struct TWords
{
    std::string Vse = Cp("все");
    std::string Chto = Cp("что");
    std::string Kto = Cp("кто");
    std::string Kotorye = Cp("которые");
    std::string Eto = Cp("это");
    std::string To = Cp("то");
    std::string Ne = Cp("не");
    std::string I = Cp("и");
    std::string Vo = Cp("во");
    std::string Ili = Cp("или");
    std::string Esche = Cp("еще");
    std::string Ravno = Cp("равно");
    std::string Ka = Cp("ка");
    std::string Li = Cp("ли");
    std::string Pochti = Cp("почти");
    std::string Ugodno = Cp("угодно");
    // Possessives that do not decline: все её, всё его… agree past them.
    std::vector<std::string> FixedPossessives { Cp("ее"), Cp("его"), Cp("их") };
    // Forms of быть, after which a short participle is the predicate (будет
    // развёрнут) and a finite verb cannot stand.
    std::vector<std::string> Be { Cp("быть"), Cp("был"), Cp("была"), Cp("было"), Cp("были"), Cp("буду"),
        Cp("будешь"), Cp("будет"), Cp("будем"), Cp("будете"), Cp("будут"), Cp("будь") };
    std::vector<std::string> PluralPronouns { Cp("они"), Cp("мы"), Cp("вы") };
    std::vector<std::string> Paucal { Cp("два"), Cp("две"), Cp("три"), Cp("четыре"), Cp("оба"), Cp("обе"),
        Cp("полтора"), Cp("полторы") };
    // Pronominal adjectives that agree with a noun beside them rather than
    // standing for one (сам берёт, каждый берёт do not).
    std::vector<std::string> Possessives { Cp("мой"), Cp("твой"), Cp("свой"), Cp("наш"), Cp("ваш"), Cp("моя"),
        Cp("твоя"), Cp("своя"), Cp("наша"), Cp("ваша"), Cp("мое"), Cp("твое"), Cp("свое"), Cp("наше"),
        Cp("ваше"), Cp("мои"), Cp("твои"), Cp("свои"), Cp("наши"), Cp("ваши") };
    std::vector<std::pair<std::string, TTagMask>> Prepositions;

    TWords()
    {
        const TTagMask gent = Tag(G::Gent), datv = Tag(G::Datv), accs = Tag(G::Accs), ablt = Tag(G::Ablt),
                       loct = Tag(G::Loct);
        for (const char* p : { "без", "безо", "у", "из", "изо", "от", "ото", "до", "для", "около", "возле",
                 "вокруг", "среди", "после", "кроме", "вместо", "против", "мимо", "вдоль", "внутри", "вне",
                 "позади", "напротив", "ради", "вроде", "из-под", "из-за", "накануне", "посреди" })
            Prepositions.emplace_back(Cp(p), gent);
        for (const char* p : { "к", "ко", "благодаря", "согласно", "навстречу", "вопреки" })
            Prepositions.emplace_back(Cp(p), datv);
        for (const char* p : { "про", "через", "сквозь", "сквозь" })
            Prepositions.emplace_back(Cp(p), accs);
        for (const char* p : { "над", "надо", "перед", "передо", "между" })
            Prepositions.emplace_back(Cp(p), ablt);
        for (const char* p : { "в", "во", "на", "о", "об", "обо" })
            Prepositions.emplace_back(Cp(p), accs | loct);
        for (const char* p : { "с", "со" })
            Prepositions.emplace_back(Cp(p), gent | ablt | accs);
        for (const char* p : { "за", "под", "подо" })
            Prepositions.emplace_back(Cp(p), accs | ablt);
        Prepositions.emplace_back(Cp("при"), loct);
        Prepositions.emplace_back(Cp("по"), datv | accs | loct);
    }
};

const TWords& Words()
{
    static const TWords words;
    return words;
}

// word (any case, ё or е) equals folded, a lower-case word without ё.
bool Is(std::string_view word, std::string_view folded)
{
    if (word.size() != folded.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (FoldChar(LowerChar(word[i])) != folded[i])
            return false;
    }
    return true;
}

bool IsOneOf(std::string_view word, const std::vector<std::string>& list)
{
    for (const std::string& w : list) {
        if (Is(word, w))
            return true;
    }
    return false;
}

// The cases a preposition governs; 0 when the word is none of those listed.
TTagMask PrepositionCases(std::string_view word)
{
    for (const auto& [p, cases] : Words().Prepositions) {
        if (Is(word, p))
            return cases;
    }
    return 0;
}

bool GapIsBlank(std::string_view gap)
{
    for (const char c : gap) {
        if (!IsBlank(c) && c != '\n' && c != '\r')
            return false;
    }
    return true;
}

bool GapEndsSentence(std::string_view gap)
{
    for (const char c : gap) {
        if (c == '.' || c == '!' || c == '?' || c == '\x85')
            return true;
    }
    return false;
}

std::string_view Trimmed(std::string_view gap)
{
    while (!gap.empty() && (IsBlank(gap.front()) || gap.front() == '\n' || gap.front() == '\r'))
        gap.remove_prefix(1);
    while (!gap.empty() && (IsBlank(gap.back()) || gap.back() == '\n' || gap.back() == '\r'))
        gap.remove_suffix(1);
    return gap;
}

// The number a gap of digits and blanks ends with, when it is one whose
// noun takes the genitive singular (2, 3, 4, 22, 1,5…): true.
bool GapIsPaucalNumber(std::string_view gap)
{
    const std::string_view t = Trimmed(gap);
    if (t.empty() || !IsDigit(t.back()))
        return false;
    for (const char c : t) {
        if (!IsDigit(c) && c != ',' && c != '.' && !IsBlank(c))
            return false;
    }
    if (t.find_first_of(",.") != std::string_view::npos)
        return true; // a fraction: полтора, 2,5 озера
    const int last = t.back() - '0';
    const int tens = t.size() > 1 && IsDigit(t[t.size() - 2]) ? t[t.size() - 2] - '0' : 0;
    return tens != 1 && last >= 2 && last <= 4;
}

// Agreement of an adjective's reading with a noun's: case, number, and in
// the singular gender; an accusative that names its animacy must match.
bool Agree(TTagMask adj, TTagMask noun)
{
    if ((adj & noun & Cases) == 0)
        return false;
    if ((adj & Tag(G::Plur)) != 0) {
        if ((noun & Tag(G::Plur)) == 0)
            return false;
    } else {
        if ((adj & Tag(G::Sing)) == 0 || (noun & Tag(G::Sing)) == 0)
            return false;
        const TTagMask nounGender = (noun & Tag(G::MsF)) != 0 ? Tags(G::Masc, G::Femn) : (noun & Genders);
        if ((adj & nounGender) == 0)
            return false;
    }
    if ((adj & Tag(G::Accs)) != 0 && (adj & Animacy) != 0 && (adj & noun & Animacy) == 0)
        return false;
    return true;
}

// The readings worth weighing: the marginal ones only when there is
// nothing else.
bool Counts(const TWordTags& tags, std::uint32_t mask, const TTagReading& r)
{
    if (r.YoMask != mask)
        return false;
    if ((r.Tags & Tag(G::Marg)) == 0)
        return true;
    for (const TTagReading& other : tags.Readings) {
        if (other.YoMask == mask && (other.Tags & Tag(G::Marg)) == 0)
            return false;
    }
    return true;
}

template <class Pred> bool AnyReading(const TWordTags& tags, std::uint32_t mask, Pred pred)
{
    for (const TTagReading& r : tags.Readings) {
        if (Counts(tags, mask, r) && pred(r.Tags))
            return true;
    }
    return false;
}

template <class Pred> bool EveryReading(const TWordTags& tags, std::uint32_t mask, Pred pred)
{
    bool any = false;
    for (const TTagReading& r : tags.Readings) {
        if (!Counts(tags, mask, r))
            continue;
        any = true;
        if (!pred(r.Tags))
            return false;
    }
    return any;
}

template <class Pred> bool AnyOfAll(const TWordTags& tags, Pred pred)
{
    for (const TTagReading& r : tags.Readings) {
        if ((r.Tags & Tag(G::Marg)) == 0 && pred(r.Tags))
            return true;
    }
    return false;
}

TContextVerdict Verdict(TAnswer answer, TJudgeFamily family, std::string_view rule, std::string_view word)
{
    TContextVerdict v;
    v.Answer = answer;
    v.Family = family;
    v.Evidence = Cp(rule);
    if (!word.empty()) {
        v.Evidence += ' ';
        v.Evidence += word;
    }
    return v;
}

// A likelier spelling, for a question's proposal only.
TContextVerdict Leaning(TAnswer lean, TJudgeFamily family, std::string_view rule, std::string_view word)
{
    TContextVerdict v = Verdict(TAnswer::None, family, rule, word);
    v.Evidence.insert(0, Cp("вероятнее: "));
    v.Lean = lean;
    return v;
}

// The spelling that alone has a reading pred accepts; None when both or
// neither do.
template <class Pred>
TAnswer OnlySpelling(const TWordTags& word, std::uint32_t plainMask, std::uint32_t dottedMask, Pred pred)
{
    const bool plain = AnyReading(word, plainMask, pred);
    const bool dotted = AnyReading(word, dottedMask, pred);
    return plain == dotted ? TAnswer::None : (plain ? TAnswer::Plain : TAnswer::Dotted);
}

// Every ordinary (not marginal) reading of a word is one that pred accepts.
template <class Pred> bool OnlyOfAll(const TWordTags& tags, Pred pred)
{
    bool any = false;
    for (const TTagReading& r : tags.Readings) {
        if ((r.Tags & Tag(G::Marg)) != 0)
            continue;
        any = true;
        if (!pred(r.Tags))
            return false;
    }
    return any;
}

// An adverb that can be nothing else here: its other readings, if any, are
// a conjunction, a particle, a comparative or a noun's locative, which no
// preposition before it asks for (уже, наконец).
bool IsAdverb(const TWordTags& tags)
{
    return AnyOfAll(tags, [](TTagMask t) { return (t & Tag(G::Advb)) != 0; })
        && OnlyOfAll(tags, [](TTagMask t) {
               return (t & Tags(G::Advb, G::Conj, G::Prcl, G::Comp)) != 0
                   || ((t & Tag(G::Noun)) != 0 && (t & Cases) == Tag(G::Loct));
           });
}

// An adverb that may also be read as a short neuter adjective (обычно,
// идеально): before a finite verb only the adverb fits.
bool IsAdverbBeforeVerb(const TWordTags& tags)
{
    return AnyOfAll(tags, [](TTagMask t) { return (t & Tag(G::Advb)) != 0; })
        && OnlyOfAll(tags, [](TTagMask t) {
               return (t & Tags(G::Advb, G::Conj, G::Prcl, G::Comp)) != 0
                   || ((t & Tag(G::Adjs)) != 0 && (t & Tags(G::Neut, G::Sing)) == Tags(G::Neut, G::Sing))
                   || ((t & Tag(G::Noun)) != 0 && (t & Cases) == Tag(G::Loct));
           });
}

TContextVerdict CannotTell(TJudgeFamily family)
{
    TContextVerdict v;
    v.Family = family;
    return v;
}

} // namespace

TContextJudge::TContextJudge(const TTagDictionary& tags, const TRareYoList& rare)
    : m_tags(tags)
    , m_rare(rare)
{
    Words();
}

const TWordTags* TContextJudge::Neighbour(const TJudgeInput& in, bool after, std::size_t index)
{
    const std::span<const TJudgeNeighbour> side = after ? in.After : in.Before;
    if (index >= side.size() || index >= TJudgeInput::Reach)
        return nullptr;
    for (std::size_t i = 0; i <= index; ++i) {
        if (GapEndsSentence(side[i].Gap))
            return nullptr;
    }
    std::int8_t& looked = m_looked[after ? 1 : 0][index];
    TWordTags& tags = m_neighbours[after ? 1 : 0][index];
    if (looked == 0)
        looked = m_tags.Find(side[index].Word, tags) ? 1 : -1;
    return looked > 0 ? &tags : nullptr;
}

const TWordTags* TContextJudge::Adjacent(const TJudgeInput& in, bool after, std::size_t index)
{
    const std::span<const TJudgeNeighbour> side = after ? in.After : in.Before;
    if (index >= side.size() || !GapIsBlank(side[index].Gap))
        return nullptr;
    return Neighbour(in, after, index);
}

TJudgeFamily TContextJudge::FamilyOf(std::string_view word, std::string_view dotted)
{
    if (Is(word, Words().Vse))
        return TJudgeFamily::All;
    if (!m_rare.Reason(dotted).empty())
        return TJudgeFamily::Rare;
    m_dottedMask = YoMaskOf(dotted);
    m_plainMask = 0;
    if (m_dottedMask == 0 || !m_tags.Find(word, m_word) || !m_word.HasSpelling(m_plainMask)
        || !m_word.HasSpelling(m_dottedMask))
        return TJudgeFamily::None;
    const auto prepositional
        = [](TTagMask t) { return (t & Tag(G::Loct)) != 0 && (t & (Tags(G::Npro, G::Adjf))) != 0; };
    if (EveryReading(m_word, m_dottedMask, prepositional))
        return TJudgeFamily::Prepositional;
    if (AnyReading(m_word, m_plainMask, IsFiniteVerb) || AnyReading(m_word, m_dottedMask, IsFiniteVerb))
        return TJudgeFamily::Verb;
    const auto noun = [](TTagMask t) { return (t & Tag(G::Noun)) != 0; };
    if (EveryReading(m_word, m_plainMask, noun) && EveryReading(m_word, m_dottedMask, noun))
        return TJudgeFamily::NounCase;
    return TJudgeFamily::None;
}

std::string_view JudgeFamilyName(TJudgeFamily family)
{
    switch (family) {
    case TJudgeFamily::None:
        return "other";
    case TJudgeFamily::All:
        return "all";
    case TJudgeFamily::Prepositional:
        return "prepositional";
    case TJudgeFamily::Verb:
        return "verb";
    case TJudgeFamily::NounCase:
        return "noun-case";
    case TJudgeFamily::Rare:
        return "rare";
    }
    return "other";
}

void TContextJudge::BeginText()
{
    m_allDotted = 0;
    m_allPlain = 0;
}

void TContextJudge::NoteAnswer(TJudgeFamily family, TAnswer answer)
{
    if (family != TJudgeFamily::All || (answer != TAnswer::Plain && answer != TAnswer::Dotted))
        return;
    ++(answer == TAnswer::Dotted ? m_allDotted : m_allPlain);
}

TContextVerdict TContextJudge::Judge(const TJudgeInput& in)
{
    for (auto& side : m_looked) {
        for (auto& l : side)
            l = 0;
    }
    if (!m_tags.Loaded() && m_rare.Empty())
        return {};
    const TJudgeFamily family = FamilyOf(in.Word, in.Dotted);
    switch (family) {
    case TJudgeFamily::None:
        return {};
    case TJudgeFamily::Rare: {
        TContextVerdict v;
        const bool dotted = m_rare.DottedUsual(in.Dotted);
        v.Answer = dotted ? TAnswer::Dotted : TAnswer::Plain;
        v.Family = family;
        v.Evidence = Cp(dotted ? "редкое слово с е: " : "редкое слово с ё: ")
            + std::string(m_rare.Reason(in.Dotted));
        return v;
    }
    case TJudgeFamily::All: {
        m_dottedMask = 1;
        m_plainMask = 0;
        if (!m_tags.Loaded())
            return CannotTell(family);
        TContextVerdict v = JudgeAll(in);
        if (v.Answer != TAnswer::None) {
            ++(v.Answer == TAnswer::Dotted ? m_allDotted : m_allPlain);
            return v;
        }
        v = LeanAll(in);
        // Measured on manuals and on stories: among the words the rules
        // leave, всё is 10-15 points more frequent than among those they
        // decide, and that share follows the text's. A text whose sure
        // answers give всё at least 3 times to 5 все leans to всё for the rest.
        if (v.Lean == TAnswer::None && m_allDotted + m_allPlain >= MinAllAnswers
            && 5 * m_allDotted >= 3 * m_allPlain)
            v = Leaning(TAnswer::Dotted, family, "в этом тексте часто «всё»:",
                Cp(std::to_string(m_allDotted) + " из " + std::to_string(m_allDotted + m_allPlain)));
        return v;
    }
    case TJudgeFamily::Prepositional:
        return JudgePrepositional(in);
    case TJudgeFamily::Verb: {
        TContextVerdict v = JudgeVerb(in);
        if (v.Answer == TAnswer::None)
            v = JudgeJoinedVerb(in);
        // стекла / стёкла: where both spellings are nouns too, their cases
        // may tell them apart as for any noun.
        const auto noun = [](TTagMask t) { return (t & Tag(G::Noun)) != 0; };
        if (v.Answer == TAnswer::None && AnyReading(m_word, m_plainMask, noun)
            && AnyReading(m_word, m_dottedMask, noun)) {
            TContextVerdict n = JudgeNounCase(in);
            if (n.Answer != TAnswer::None) {
                n.Family = family;
                return n;
            }
        }
        return v.Answer != TAnswer::None ? v : LeanVerb(in);
    }
    case TJudgeFamily::NounCase: {
        TContextVerdict v = JudgeNounCase(in);
        return v.Answer != TAnswer::None ? v : LeanNounCase(in);
    }
    }
    return {};
}

// --- все / всё -----------------------------------------------------------------------

TContextVerdict TContextJudge::JudgeAll(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::All;
    const TWords& w = Words();
    const std::string_view prevWord = in.Before.empty() ? std::string_view() : in.Before[0].Word;
    const std::string_view nextWord = in.After.empty() ? std::string_view() : in.After[0].Word;
    const std::string_view gapAfter = in.After.empty() ? std::string_view() : in.After[0].Gap;
    // The phrase ends right after the word: punctuation, or the end of the text.
    const bool endsAfter = in.After.empty() ? in.TextEndsAfter : !GapIsBlank(gapAfter);

    // всё, что / все, кто, которые.
    if (!in.After.empty() && Trimmed(gapAfter) == ",") {
        if (Is(nextWord, w.Chto))
            return Verdict(TAnswer::Dotted, family, "«всё, что»: после запятой", nextWord);
        if (Is(nextWord, w.Kto) || Is(nextWord, w.Kotorye))
            return Verdict(TAnswer::Plain, family, "«все, кто»: после запятой", nextWord);
    }
    // Все всё знают: of the two side by side the first is the subject, the
    // second its object.
    if (!in.After.empty() && GapIsBlank(gapAfter) && Is(nextWord, w.Vse))
        return Verdict(TAnswer::Plain, family, "«все всё»: перед", nextWord);
    if (!in.Before.empty() && GapIsBlank(in.Before[0].Gap) && Is(prevWord, w.Vse))
        return Verdict(TAnswer::Dotted, family, "«все всё»: после", prevWord);
    // всё что угодно: the phrase needs всё, with its comma or without.
    if (in.After.size() > 1 && GapIsBlank(gapAfter) && Is(nextWord, w.Chto) && GapIsBlank(in.After[1].Gap)
        && Is(in.After[1].Word, w.Ugodno))
        return Verdict(TAnswer::Dotted, family, "«всё что угодно»", {});
    // всё что смогут, Всё что вы хотели знать: что opening a clause without
    // its comma still needs всё (все что-то знают is a compound, and все что
    // ли a particle).
    if (in.After.size() > 1 && GapIsBlank(gapAfter) && Is(nextWord, w.Chto) && GapIsBlank(in.After[1].Gap)
        && !Is(in.After[1].Word, w.Li))
        return Verdict(TAnswer::Dotted, family, "«всё что» без запятой:", in.After[1].Word);
    const TWordTags* prev = Adjacent(in, false, 0);
    // они все. (but они всё знают, они всё равно: only where the phrase ends).
    if (prev != nullptr && IsOneOf(prevWord, w.PluralPronouns) && endsAfter)
        return Verdict(TAnswer::Plain, family, "местоимение мн. ч. перед:", prevWord);

    // A clause begins at the word: the sentence or the text starts, a
    // punctuation mark, or a conjunction stands before it (и, whatever its
    // readings as an interjection or an abbreviated name) — but not one
    // that joins a second verb to a verb right before it: пришли и всё
    // разнесли shares its subject.
    const auto joinsVerbs = [&] {
        const TWordTags* before = Adjacent(in, false, 1);
        return before != nullptr && AnyOfAll(*before, IsFiniteVerb);
    };
    const bool clauseStart = in.Before.empty()
        ? in.TextStartsBefore
        : (!GapIsBlank(in.Before[0].Gap) || (prev != nullptr && EveryReading(*prev, 0, [](TTagMask t) {
              return (t & Tags(G::Conj, G::Prcl, G::Intj, G::Abbr)) != 0;
          }) && !joinsVerbs()));

    const TWordTags* next = Adjacent(in, true, 0);
    // всё её содержимое, все его повторы: the word agrees with the noun past
    // a possessive that does not decline.
    std::size_t at = 0;
    if (next != nullptr && IsOneOf(nextWord, w.FixedPossessives)) {
        next = Adjacent(in, true, 1);
        if (next == nullptr
            || !AnyOfAll(*next, [](TTagMask t) { return (t & (Tags(G::Noun) | Adjectival)) != 0; }))
            return CannotTell(family);
        at = 1;
    }
    // всё наконец началось, все уже умерли: past an adverb the finite verb
    // still agrees with the word (but всё ещё, всё равно are phrases of
    // their own, and a capitalised command before opens a label).
    // всё не наступает, все не могут: не leaves the verb's agreement as it is.
    const bool negated = next != nullptr && at == 0 && Is(nextWord, w.Ne);
    if (next != nullptr && at == 0 && (negated || IsAdverbBeforeVerb(*next)) && !Is(nextWord, w.Esche)
        && !Is(nextWord, w.Ravno) && !LabelBefore(in)) {
        const TWordTags* verb = Adjacent(in, true, 1);
        if (verb != nullptr && AnyOfAll(*verb, IsFiniteVerb) && !AnyOfAll(*verb, [](TTagMask t) {
                return (t & (Tags(G::Noun, G::Npro) | Adjectival)) != 0;
            })) {
            const bool singular
                = AnyOfAll(*verb, [](TTagMask t) { return IsFiniteVerb(t) && (t & Tag(G::Sing)) != 0; });
            const bool plural
                = AnyOfAll(*verb, [](TTagMask t) { return IsFiniteVerb(t) && (t & Tag(G::Plur)) != 0; });
            if (singular && !plural)
                return Verdict(TAnswer::Dotted, family,
                    negated ? "глагол ед. ч. после «не»:" : "глагол ед. ч. после наречия:", in.After[1].Word);
            if (plural && !singular && clauseStart)
                return Verdict(TAnswer::Plain, family,
                    negated ? "глагол мн. ч. после «не»:" : "глагол мн. ч. после наречия:", in.After[1].Word);
        }
        // всё совсем плохо, все очень рады: a short form that ends the
        // phrase past a plain adverb is the predicate, and agrees.
        const bool endsAfterThen = in.After.size() > 2 ? !GapIsBlank(in.After[2].Gap) : in.TextEndsAfter;
        if (verb != nullptr && !negated && endsAfterThen && IsAdverb(*next)
            && OnlyOfAll(*verb, [](TTagMask t) { return (t & Tags(G::Adjs, G::Advb, G::Pred)) != 0; })) {
            const bool neuter = AnyOfAll(*verb, [](TTagMask t) {
                return (t & Tags(G::Adjs, G::Neut, G::Sing)) == Tags(G::Adjs, G::Neut, G::Sing);
            });
            const bool plural = AnyOfAll(
                *verb, [](TTagMask t) { return (t & Tags(G::Adjs, G::Plur)) == Tags(G::Adjs, G::Plur); });
            if (neuter && !plural)
                return Verdict(
                    TAnswer::Dotted, family, "краткая форма ср. р. после наречия:", in.After[1].Word);
            if (plural && !neuter && clauseStart)
                return Verdict(
                    TAnswer::Plain, family, "краткая форма мн. ч. после наречия:", in.After[1].Word);
        }
    }
    if (next != nullptr && at == 0) {
        // всё это, всё то (but все это знают: a plural verb after).
        if (Is(nextWord, w.Eto) || Is(nextWord, w.To)) {
            const TWordTags* then = Adjacent(in, true, 1);
            const bool pluralVerb = then != nullptr
                && AnyOfAll(*then, [](TTagMask t) { return IsFiniteVerb(t) && (t & Tag(G::Plur)) != 0; });
            // What follows это must be known: a word, a punctuation mark or the end.
            if (!pluralVerb && (in.After.size() > 1 || in.TextEndsAfter))
                return Verdict(TAnswer::Dotted, family, "ср. р. ед. ч. после:", nextWord);
            return CannotTell(family);
        }
    }
    // всё вокруг озера покрылось, все в городе знают: past a preposition and
    // its noun the verb still agrees with the word.
    if (next != nullptr && at == 0 && PrepositionCases(nextWord) != 0 && !LabelBefore(in)) {
        const TWordTags* noun = Adjacent(in, true, 1);
        const TWordTags* verb = Adjacent(in, true, 2);
        if (noun != nullptr && verb != nullptr
            && OnlyOfAll(*noun, [](TTagMask t) { return (t & Tags(G::Noun, G::Npro)) != 0; })
            && OnlyOfAll(*verb, IsFiniteVerb)) {
            const bool singular = AnyOfAll(*verb, [](TTagMask t) { return (t & Tag(G::Sing)) != 0; });
            const bool plural = AnyOfAll(*verb, [](TTagMask t) { return (t & Tag(G::Plur)) != 0; });
            if (singular && !plural)
                return Verdict(TAnswer::Dotted, family,
                    "глагол ед. ч. после предлога с существительным:", in.After[2].Word);
            if (plural && !singular && clauseStart)
                return Verdict(TAnswer::Plain, family,
                    "глагол мн. ч. после предлога с существительным:", in.After[2].Word);
        }
    }
    // A preposition, conjunction or particle after the word belongs to what
    // follows (всё в порядке, все из списка): it tells nothing.
    // A finite verb that is also a parenthetic word (знаешь, значит) is
    // still the verb, and so is a short form that ends the phrase (Всё
    // верно.).
    const bool nextEndsPhrase = in.After.size() > 1 ? !GapIsBlank(in.After[1].Gap) : in.TextEndsAfter;
    if (next != nullptr
        && AnyOfAll(*next, [](TTagMask t) { return (t & Tags(G::Prep, G::Conj, G::Prcl, G::Intj)) != 0; })
        && !(GapIsBlank(gapAfter)
            && (AnyOfAll(*next, IsFiniteVerb)
                || (nextEndsPhrase && AnyOfAll(*next, [](TTagMask t) { return (t & Tag(G::Adjs)) != 0; })))
            && !AnyOfAll(*next, [](TTagMask t) { return (t & Tags(G::Prep, G::Prcl)) != 0; })))
        next = nullptr;
    // всё более, все более поздние: a comparative leaves both open.
    if (next != nullptr && AnyOfAll(*next, [](TTagMask t) { return (t & Tag(G::Comp)) != 0; }))
        return CannotTell(family);
    if (next != nullptr) {
        const auto nominal = [](TTagMask t) {
            return (t & (Tags(G::Noun, G::Numr) | Adjectival)) != 0 && (t & Tags(G::Nomn, G::Accs)) != 0;
        };
        const auto pluralNominal = [&](TTagMask t) {
            return (nominal(t) && (t & Tag(G::Plur)) != 0)
                || ((t & Tag(G::Numr)) != 0 && (t & Tag(G::Sing)) == 0)
                || ((t & Tag(G::Npro)) != 0 && (t & Tag(G::Plur)) != 0 && (t & Tag(G::Nomn)) != 0);
        };
        const auto neuterNominal = [&](TTagMask t) {
            return nominal(t) && (t & Tag(G::Numr)) == 0
                && (t & Tags(G::Neut, G::Sing)) == Tags(G::Neut, G::Sing);
        };
        const auto pluralPredicate = [](TTagMask t) {
            return (IsFiniteVerb(t) || (t & ShortForms) != 0) && (t & Tag(G::Plur)) != 0;
        };
        const auto singularPredicate = [](TTagMask t) {
            if (IsFiniteVerb(t))
                return (t & Tag(G::Sing)) != 0;
            return (t & ShortForms) != 0 && (t & Tags(G::Neut, G::Sing)) == Tags(G::Neut, G::Sing);
        };
        bool plural = AnyOfAll(*next, pluralNominal);
        const bool neuter = AnyOfAll(*next, neuterNominal);
        // кнопка Заменить все выполняет…: a capitalised infinitive or
        // imperative inside a sentence opens a label, and the verb after the
        // label is the sentence's, not the word's.
        const bool label = LabelBefore(in);
        const bool pluralVerb = !label && AnyOfAll(*next, pluralPredicate);
        bool singularVerb = !label && AnyOfAll(*next, singularPredicate);
        // An adverb that is also a short neuter form (правильно) speaks for
        // всё only where nothing it could modify follows: все неправильно
        // отвеченные вопросы.
        if (AnyOfAll(*next, [](TTagMask t) { return (t & Tag(G::Advb)) != 0; })) {
            const bool endsAfterNext
                = in.After.size() > at + 1 ? !GapIsBlank(in.After[at + 1].Gap) : in.TextEndsAfter;
            const TWordTags* then = Adjacent(in, true, at + 1);
            if (then != nullptr && AnyOfAll(*then, pluralNominal) && !AnyOfAll(*then, neuterNominal)
                && !AnyOfAll(*then, [](TTagMask t) { return (t & Tags(G::Prep, G::Conj, G::Prcl)) != 0; }))
                return Verdict(TAnswer::Plain, family, "мн. ч. после:", in.After[at + 1].Word);
            if (!endsAfterNext)
                singularVerb = false;
        }
        // всё новые и новые: the plural adjective repeated after и.
        const std::string_view nominalWord = in.After[at].Word;
        const bool repeated = in.After.size() > at + 2 && Is(in.After[at + 1].Word, w.I)
            && EqualLower(in.After[at + 2].Word, nominalWord);
        // всё его радует: past a possessive that could be an object, a verb
        // reading leaves the word open.
        if (at > 0 && (pluralVerb || singularVerb))
            return CannotTell(family);
        if (plural && !neuter && !singularVerb && !repeated)
            return Verdict(TAnswer::Plain, family, "мн. ч. после:", nominalWord);
        if (neuter && !plural && !pluralVerb)
            return Verdict(TAnswer::Dotted, family, "ср. р. ед. ч. после:", nominalWord);
        if (singularVerb && !plural && !pluralVerb && !neuter)
            return Verdict(TAnswer::Dotted, family, "глагол ед. ч. после:", nominalWord);
        if (pluralVerb && !singularVerb && !neuter && !plural) {
            // Все знают; but мы всё знаем, люди всё знают: a plural verb is
            // the subject's only where все opens its clause.
            if (clauseStart)
                return Verdict(TAnswer::Plain, family, "глагол мн. ч. после:", nominalWord);
            return CannotTell(family);
        }
    }

    if (endsAfter && prev != nullptr) {
        // за всё, на всё; во все (стороны, списки) is elliptic too often.
        if (PrepositionCases(prevWord) != 0 && !Is(prevWord, w.Vo))
            return Verdict(TAnswer::Dotted, family, "предлог перед словом в конце фразы:", prevWord);
        if (Is(prevWord, w.Eto))
            return Verdict(TAnswer::Dotted, family, "«это всё» в конце фразы:", prevWord);
        // Просто нет, и всё.: the phrase «и всё» closes what it follows.
        if (Is(prevWord, w.I))
            return Verdict(TAnswer::Dotted, family, "«и всё» в конце фразы:", prevWord);
        if (AnyOfAll(*prev,
                [](TTagMask t) {
                    return (IsFiniteVerb(t) || (t & ShortForms) != 0)
                        && (t & Tags(G::Neut, G::Sing)) == Tags(G::Neut, G::Sing);
                })
            && !AnyOfAll(*prev, [](TTagMask t) { return (t & Tag(G::Plur)) != 0; }))
            return Verdict(TAnswer::Dotted, family, "глагол ед. ч. ср. р. перед:", prevWord);
    }
    return CannotTell(family);
}

bool TContextJudge::LabelBefore(const TJudgeInput& in)
{
    const TWordTags* prev = Adjacent(in, false, 0);
    return prev != nullptr && IsRussianCapital(in.Before[0].Word.front()) && in.Before.size() > 1
        && !GapEndsSentence(in.Before[1].Gap)
        && AnyOfAll(*prev, [](TTagMask t) { return (t & Tags(G::Infn, G::Impr)) != 0; });
}

// --- чём, нём, всём, моём -------------------------------------------------------------

TContextVerdict TContextJudge::JudgePrepositional(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::Prepositional;
    const TTagMask loct = Tag(G::Loct);
    // The nearest preposition within the clause, up to Reach words back.
    for (std::size_t i = 0; i < in.Before.size() && i < TJudgeInput::Reach; ++i) {
        if (!GapIsBlank(in.Before[i].Gap))
            return Verdict(TAnswer::Plain, family, "нет предлога для предложного падежа", {});
        const std::string_view word = in.Before[i].Word;
        const TTagMask cases = PrepositionCases(word);
        if (cases == 0)
            continue;
        // с бобами и всем: the nearest preposition governs the words
        // joined to it too, and this one takes no prepositional case.
        if (i > 0) {
            if ((cases & loct) == 0 && Is(in.Before[0].Word, Words().I))
                return Verdict(TAnswer::Plain, family, "предлог без предложного падежа:", word);
            return CannotTell(family);
        }
        // с чем, за чем, под чем: the preposition takes no prepositional case.
        if ((cases & loct) == 0)
            return Verdict(TAnswer::Plain, family, "предлог без предложного падежа:", word);
        // не о чем, не в чем: the stressed не keeps е.
        if (in.Before.size() > 1 && Is(in.Before[1].Word, Words().Ne) && GapIsBlank(in.Before[1].Gap))
            return CannotTell(family);
        if (AnyReading(m_word, m_plainMask, [cases](TTagMask t) { return (t & cases) != 0; }))
            return CannotTell(family);
        return Verdict(TAnswer::Dotted, family, "предлог перед:", word);
    }
    if (in.Before.size() >= TJudgeInput::Reach
        || (in.Before.size() < TJudgeInput::Reach && in.TextStartsBefore))
        return Verdict(TAnswer::Plain, family, "нет предлога для предложного падежа", {});
    return CannotTell(family);
}

// --- берет / берёт ----------------------------------------------------------------------

TContextVerdict TContextJudge::JudgeVerb(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::Verb;
    const bool plainVerb = AnyReading(m_word, m_plainMask, IsFiniteVerb);
    const bool dottedVerb = AnyReading(m_word, m_dottedMask, IsFiniteVerb);
    if (plainVerb == dottedVerb)
        return CannotTell(family);
    const std::uint32_t verbMask = dottedVerb ? m_dottedMask : m_plainMask;
    const std::uint32_t otherMask = dottedVerb ? m_plainMask : m_dottedMask;
    const TAnswer verb = dottedVerb ? TAnswer::Dotted : TAnswer::Plain;
    const TAnswer other = dottedVerb ? TAnswer::Plain : TAnswer::Dotted;
    const TWordTags* prev = Adjacent(in, false, 0);
    if (prev == nullptr)
        return CannotTell(family);
    const std::string_view prevWord = in.Before[0].Word;
    const bool otherNoun = AnyReading(m_word, otherMask, [](TTagMask t) { return (t & Tag(G::Noun)) != 0; });

    const TTagMask cases = PrepositionCases(prevWord);
    if (cases != 0) {
        if (otherNoun && AnyReading(m_word, otherMask, [cases](TTagMask t) { return (t & cases) != 0; }))
            return Verdict(other, family, "предлог перед:", prevWord);
        return CannotTell(family);
    }
    // A personal pronoun in the nominative that the verb agrees with.
    for (const TTagReading& p : prev->Readings) {
        const TTagMask t = p.Tags;
        if ((t & Tag(G::Npro)) == 0 || (t & Tag(G::Nomn)) == 0 || (t & Persons) == 0)
            continue;
        if ((t & Tags(G::Sing, G::Plur)) == 0)
            continue;
        const bool agrees = AnyReading(m_word, verbMask, [t](TTagMask v) {
            if (!IsFiniteVerb(v) || (v & t & Tags(G::Sing, G::Plur)) == 0)
                return false;
            if ((v & Tag(G::Past)) != 0)
                return (v & Tag(G::Plur)) != 0 || (t & Genders) == 0 || (v & t & Genders) != 0;
            return (v & t & Persons) != 0;
        });
        if (agrees && AnyOfAll(*prev, [](TTagMask x) { return (x & Tag(G::Npro)) != 0; })
            && !AnyOfAll(*prev, [](TTagMask x) { return (x & Tags(G::Noun, G::Conj)) != 0; }))
            return Verdict(verb, family, "подлежащее перед:", prevWord);
    }
    // An adjective that agrees with the noun: новый берет, мой берет.
    if (otherNoun) {
        const bool possessive = IsOneOf(prevWord, Words().Possessives);
        const bool agrees = AnyOfAll(*prev, [&](TTagMask a) {
            if ((a & Adjectival) == 0 || ((a & Tag(G::Apro)) != 0 && !possessive))
                return false;
            return AnyReading(
                m_word, otherMask, [a](TTagMask n) { return (n & Tag(G::Noun)) != 0 && Agree(a, n); });
        });
        const bool pronoun = AnyOfAll(*prev, [](TTagMask x) { return (x & Tag(G::Npro)) != 0; });
        if (agrees && !pronoun)
            return Verdict(other, family, "согласованное прилагательное перед:", prevWord);
    }
    return CannotTell(family);
}

// --- озера / озёра ----------------------------------------------------------------------

TContextVerdict TContextJudge::JudgeNounCase(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::NounCase;
    // The spelling that alone has a reading pred accepts.
    const auto only = [&](auto pred) {
        const bool plain = AnyReading(m_word, m_plainMask, pred);
        const bool dotted = AnyReading(m_word, m_dottedMask, pred);
        return plain == dotted ? TAnswer::None : (plain ? TAnswer::Plain : TAnswer::Dotted);
    };
    const auto genitiveSingular
        = [](TTagMask t) { return (t & Tags(G::Gent, G::Sing)) == Tags(G::Gent, G::Sing); };
    // ружьё, копьё: a spelling that is only a prepositional case needs a
    // preposition right before it, or before the adjectives that agree with
    // it (в старом ружье); without one the other spelling is meant.
    const auto locative = [](TTagMask t) { return (t & Cases) == Tag(G::Loct); };
    const bool plainLocative = EveryReading(m_word, m_plainMask, locative);
    const bool dottedLocative = EveryReading(m_word, m_dottedMask, locative);
    if (plainLocative != dottedLocative) {
        const TAnswer other = plainLocative ? TAnswer::Dotted : TAnswer::Plain;
        if (in.Before.empty() ? in.TextStartsBefore : !GapIsBlank(in.Before[0].Gap))
            return Verdict(other, family, "нет предлога для предложного падежа", {});
        const TWordTags* before = Adjacent(in, false, 0);
        if (before != nullptr && PrepositionCases(in.Before[0].Word) == 0
            && !AnyOfAll(*before, [](TTagMask t) { return (t & Adjectival) != 0 && (t & Tag(G::Loct)) != 0; })
            && !AnyOfAll(
                *before, [](TTagMask t) { return (t & (Tags(G::Prep, G::Numr) | Tag(G::Advb))) != 0; }))
            return Verdict(other, family, "нет предлога для предложного падежа перед:", in.Before[0].Word);
    }
    if (!in.Before.empty() && GapIsPaucalNumber(in.Before[0].Gap)) {
        const TAnswer a = only(genitiveSingular);
        if (a != TAnswer::None)
            return Verdict(a, family, "число перед:", Trimmed(in.Before[0].Gap));
    }
    // Чёрт, опять!; Озёра, реки и моря…: a word that opens its sentence and
    // is cut off by a comma or an exclamation stands alone or heads a list:
    // the nominative, not an oblique case with nothing to govern it.
    const bool opens = in.Before.empty() ? in.TextStartsBefore : GapEndsSentence(in.Before[0].Gap);
    if (opens && !in.After.empty() && IsRussianCapital(in.Word.front())
        && Trimmed(in.After[0].Gap).find_first_of(",!") == 0) {
        const TAnswer a = only([](TTagMask t) { return (t & Tag(G::Nomn)) != 0; });
        if (a != TAnswer::None)
            return Verdict(a, family, "именительный падеж в начале предложения перед запятой", {});
    }
    // …, и зёрна остаются; Рёбра могут…; а колёса должны: a noun that opens
    // its clause right before a verb or short form that can only be plural is
    // its subject.
    const TWordTags* first = Adjacent(in, false, 0);
    // а колёса должны, аж слёзы накатываются: a conjunction or particle
    // (whatever proper names share its spelling) opens the clause as well.
    const bool clauseStart = in.Before.empty()
        ? in.TextStartsBefore
        : (!GapIsBlank(in.Before[0].Gap)
            || (first != nullptr && (Is(in.Before[0].Word, Words().I) || OnlyOfAll(*first, [](TTagMask t) {
                   return (t & Tags(G::Conj, G::Prcl, G::Intj)) != 0 || (t & Tag(G::Prop)) != 0;
               }))));
    const TWordTags* next = Adjacent(in, true, 0);
    if (clauseStart && next != nullptr && OnlyOfAll(*next, [](TTagMask t) {
            return (IsFiniteVerb(t) || (t & ShortForms) != 0) && (t & Tag(G::Plur)) != 0;
        })) {
        const TAnswer a
            = only([](TTagMask t) { return (t & Tags(G::Nomn, G::Plur)) == Tags(G::Nomn, G::Plur); });
        if (a != TAnswer::None)
            return Verdict(a, family, "подлежащее глагола мн. ч. после:", in.After[0].Word);
    }
    const TWordTags* prev = first;
    if (prev == nullptr)
        return CannotTell(family);
    const std::string_view prevWord = in.Before[0].Word;
    if (IsOneOf(prevWord, Words().Paucal)) {
        const TAnswer a = only(genitiveSingular);
        if (a != TAnswer::None)
            return Verdict(a, family, "числительное перед:", prevWord);
        return CannotTell(family);
    }
    const TTagMask cases = PrepositionCases(prevWord);
    if (cases != 0) {
        const TAnswer a = only([cases](TTagMask t) { return (t & cases) != 0; });
        if (a != TAnswer::None)
            return Verdict(a, family, "падеж после предлога:", prevWord);
        return CannotTell(family);
    }
    // Область счёта, тип ребра: right after a noun in the nominative or
    // accusative, a noun whose one spelling is nothing but a genitive and the
    // other no genitive at all is the first one's attribute. After a noun
    // that may be a dative, instrumental or prepositional case (отправить
    // клиенту счета) the word may as well be its verb's object; a hyphen
    // after joins the word to a compound (мира чёрт-те где).
    if (OnlyOfAll(*prev, [](TTagMask t) { return (t & Tag(G::Noun)) != 0 && (t & Tag(G::Npro)) == 0; })
        && !AnyOfAll(*prev, [](TTagMask t) { return (t & Tags(G::Datv, G::Ablt, G::Loct)) != 0; })
        && AnyOfAll(
            *prev, [](TTagMask t) { return (t & Tags(G::Nomn, G::Accs)) != 0 && (t & Tag(G::Prop)) == 0; })
        && (in.After.empty() || Trimmed(in.After[0].Gap) != "-")) {
        const auto genitive = [](TTagMask t) { return (t & Cases) == Tag(G::Gent); };
        const auto noGenitive = [](TTagMask t) { return (t & Tag(G::Gent)) == 0; };
        if (EveryReading(m_word, m_plainMask, genitive) && EveryReading(m_word, m_dottedMask, noGenitive))
            return Verdict(TAnswer::Plain, family, "родительный падеж после существительного:", prevWord);
        if (EveryReading(m_word, m_dottedMask, genitive) && EveryReading(m_word, m_plainMask, noGenitive))
            return Verdict(TAnswer::Dotted, family, "родительный падеж после существительного:", prevWord);
    }
    // An adjective or pronoun beside it that agrees with one spelling only;
    // an adjective also used as a noun (чёрные, новые) still agrees: its
    // noun readings are the adjective's forms.
    const auto adjectiveForm = [prev](TTagMask n) {
        return AnyOfAll(*prev, [n](TTagMask a) {
            return (a & Tag(G::Adjf)) != 0 && (a & n & Cases) != 0 && (a & n & Tags(G::Sing, G::Plur)) != 0;
        });
    };
    if (AnyOfAll(*prev, [&](TTagMask t) {
            return (t & Tag(G::Verb)) != 0 || ((t & Tag(G::Noun)) != 0 && !adjectiveForm(t));
        }))
        return CannotTell(family);
    // защищённых бронёй: a passive participle governs its agent in the
    // instrumental as readily as it agrees with a noun.
    if (AnyOfAll(*prev, [](TTagMask t) { return (t & Tags(G::Prtf, G::Pssv)) == Tags(G::Prtf, G::Pssv); })
        && AnyOfAll(m_word, [](TTagMask t) { return (t & Tag(G::Ablt)) != 0; }))
        return CannotTell(family);
    bool plain = false, dotted = false;
    for (const TTagReading& r : prev->Readings) {
        if ((r.Tags & Adjectival) == 0 || (r.Tags & Tag(G::Marg)) != 0)
            continue;
        plain |= AnyReading(m_word, m_plainMask, [&](TTagMask n) { return Agree(r.Tags, n); });
        dotted |= AnyReading(m_word, m_dottedMask, [&](TTagMask n) { return Agree(r.Tags, n); });
    }
    if (plain != dotted)
        return Verdict(
            plain ? TAnswer::Plain : TAnswer::Dotted, family, "согласованное слово перед:", prevWord);
    return CannotTell(family);
}

// --- the likelier spelling where grammar leaves both -------------------------------------

TContextVerdict TContextJudge::LeanAll(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::All;
    const TWordTags* prev = Adjacent(in, false, 0);
    // не все из них, почти все уже умерли: a part of a plural, unless the
    // phrase ends (сделать почти всё).
    if (prev != nullptr && (Is(in.Before[0].Word, Words().Ne) || Is(in.Before[0].Word, Words().Pochti))
        && !in.After.empty() && GapIsBlank(in.After[0].Gap))
        return Leaning(TAnswer::Plain, family, "часть множества после:", in.Before[0].Word);
    // всё запомнить, всё исследовать: a pronoun object before an infinitive;
    // все as a subject would need a finite verb.
    const TWordTags* next = Adjacent(in, true, 0);
    if (next != nullptr && AnyOfAll(*next, [](TTagMask t) { return (t & Tag(G::Infn)) != 0; })
        && !AnyOfAll(*next, [](TTagMask t) { return (t & (Tags(G::Noun, G::Npro) | Adjectival)) != 0; }))
        return Leaning(TAnswer::Dotted, family, "инфинитив после:", in.After[0].Word);
    // всё что угодно, всё что смогут: что without its comma.
    if (next != nullptr && Is(in.After[0].Word, Words().Chto))
        return Leaning(TAnswer::Dotted, family, "«всё что»:", in.After[0].Word);
    // всё ещё, всё совсем плохо, всё очень просто: an adverb after.
    if (next != nullptr && IsAdverb(*next))
        return Leaning(TAnswer::Dotted, family, "наречие после:", in.After[0].Word);
    // потерял всё в этом мире, начать всё с нуля: the object of a verb in
    // running text (not a capitalised command: Переместить все в папку)
    // before a preposition.
    if (next != nullptr && prev != nullptr && !IsRussianCapital(in.Before[0].Word.front())
        && AnyOfAll(*next, [](TTagMask t) { return (t & Tag(G::Prep)) != 0; })
        && OnlyOfAll(*prev, [](TTagMask t) { return (t & Tags(G::Verb, G::Infn, G::Grnd, G::Prtf)) != 0; }))
        return Leaning(TAnswer::Dotted, family, "дополнение глагола перед предлогом:", in.Before[0].Word);
    // мы все знаем, они все ушли: a plural pronoun before and a plural
    // verb after make все its apposition more often than всё the object.
    if (next != nullptr && prev != nullptr && IsOneOf(in.Before[0].Word, Words().PluralPronouns)
        && AnyOfAll(*next, [](TTagMask t) { return IsFiniteVerb(t) && (t & Tag(G::Plur)) != 0; })
        && !AnyOfAll(*next, [](TTagMask t) {
               return (IsFiniteVerb(t) && (t & Tag(G::Sing)) != 0)
                   || (t & (Tags(G::Noun, G::Npro) | Adjectival)) != 0;
           }))
        return Leaning(
            TAnswer::Plain, family, "местоимение мн. ч. перед и глагол мн. ч. после:", in.Before[0].Word);
    // …и всё. at the end of a phrase or of its line.
    const bool endsAfter = in.After.empty() || !GapIsBlank(in.After[0].Gap);
    if (endsAfter && prev != nullptr && Is(in.Before[0].Word, Words().I))
        return Leaning(TAnswer::Dotted, family, "«и всё» в конце фразы:", in.Before[0].Word);
    return CannotTell(family);
}

const TWordTags* TContextJudge::JoinedVerb(const TJudgeInput& in, bool after)
{
    const TWords& w = Words();
    const std::span<const TJudgeNeighbour> side = after ? in.After : in.Before;
    const TWordTags* conj = Adjacent(in, after, 0);
    if (conj == nullptr || !(Is(side[0].Word, w.I) || Is(side[0].Word, w.Ili)))
        return nullptr;
    return after ? Adjacent(in, true, 1) : Neighbour(in, false, 1);
}

TContextVerdict TContextJudge::JudgeJoinedVerb(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::Verb;
    // поешь-ка, возьмите-ка: the particle -ка joins an imperative.
    if (!in.After.empty() && Trimmed(in.After[0].Gap) == "-" && Is(in.After[0].Word, Words().Ka)) {
        const TAnswer a = OnlySpelling(
            m_word, m_plainMask, m_dottedMask, [](TTagMask t) { return (t & Tag(G::Impr)) != 0; });
        if (a != TAnswer::None)
            return Verdict(a, family, "повелительное наклонение перед «-ка»", {});
    }
    // будет перевёрнут, может быть «развёрнут»: after быть a short
    // participle, never a finite verb.
    if (Neighbour(in, false, 0) != nullptr && IsOneOf(in.Before[0].Word, Words().Be)) {
        const TAnswer a = OnlySpelling(
            m_word, m_plainMask, m_dottedMask, [](TTagMask t) { return (t & Tag(G::Prts)) != 0; });
        if (a != TAnswer::None)
            return Verdict(a, family, "краткое причастие после:", in.Before[0].Word);
    }
    // Распознаёт и задаёт, узнает и расскажет: verbs joined by и, или keep
    // one tense, person and number; the spelling that does so with a
    // neighbour of one tense only.
    for (const bool after : { true, false }) {
        const TWordTags* verb = JoinedVerb(in, after);
        if (verb == nullptr || !OnlyOfAll(*verb, IsFiniteVerb))
            continue;
        TTagMask tense = 0;
        for (const TTagReading& r : verb->Readings) {
            if ((r.Tags & Tag(G::Marg)) == 0)
                tense |= r.Tags & Tags(G::Pres, G::Futr, G::Past);
        }
        if (tense != Tag(G::Pres) && tense != Tag(G::Futr))
            continue;
        const auto agrees = [&](TTagMask v) {
            return IsFiniteVerb(v) && (v & tense) != 0 && AnyOfAll(*verb, [v](TTagMask j) {
                return (v & j & Tags(G::Sing, G::Plur)) != 0 && (v & j & Persons) != 0;
            });
        };
        const TAnswer a = OnlySpelling(m_word, m_plainMask, m_dottedMask, agrees);
        if (a != TAnswer::None)
            return Verdict(
                a, family, "однородный глагол того же времени:", (after ? in.After : in.Before)[1].Word);
    }
    return CannotTell(family);
}

TContextVerdict TContextJudge::LeanVerb(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::Verb;
    const bool plainVerb = AnyReading(m_word, m_plainMask, IsFiniteVerb);
    const bool dottedVerb = AnyReading(m_word, m_dottedMask, IsFiniteVerb);
    // изменяете или берёте: where one spelling is no verb at all, a finite
    // verb joined to it in the same person and number (not надел шлем и
    // пошёл).
    for (const bool after : { true, false }) {
        const TWordTags* verb = JoinedVerb(in, after);
        if (verb == nullptr || plainVerb == dottedVerb || !OnlyOfAll(*verb, IsFiniteVerb))
            continue;
        const std::uint32_t verbMask = dottedVerb ? m_dottedMask : m_plainMask;
        const bool agrees = AnyOfAll(*verb, [&](TTagMask j) {
            return (j & Tag(G::Past)) == 0 && AnyReading(m_word, verbMask, [j](TTagMask v) {
                return IsFiniteVerb(v) && (v & Tag(G::Past)) == 0 && (v & j & Tags(G::Sing, G::Plur)) != 0
                    && (v & j & Persons) != 0;
            });
        });
        if (agrees)
            return Leaning(dottedVerb ? TAnswer::Dotted : TAnswer::Plain, family,
                "однородный глагол:", (after ? in.After : in.Before)[1].Word);
    }
    // переводчик берёт: a noun subject before the one spelling that is a verb.
    const TWordTags* prev = Adjacent(in, false, 0);
    if (prev != nullptr && plainVerb != dottedVerb
        && OnlyOfAll(*prev, [](TTagMask t) { return (t & Tag(G::Noun)) != 0 && (t & Tag(G::Npro)) == 0; })
        && AnyOfAll(
            *prev, [](TTagMask t) { return (t & Tags(G::Nomn, G::Sing)) == Tags(G::Nomn, G::Sing); })) {
        const std::uint32_t mask = dottedVerb ? m_dottedMask : m_plainMask;
        if (AnyReading(m_word, mask, [](TTagMask t) {
                return IsFiniteVerb(t) && (t & Tags(G::Sing, G::Per3)) == Tags(G::Sing, G::Per3);
            }))
            return Leaning(dottedVerb ? TAnswer::Dotted : TAnswer::Plain, family,
                "существительное-подлежащее перед:", in.Before[0].Word);
    }
    // тот надёжно пристёгнут, «развёрнут» или «свёрнут»: a short participle
    // beside a plural future (пристегнут) is the likelier reading unless
    // a plural nominative before it in its clause may be that verb's subject.
    const auto participle = [](TTagMask t) { return (t & Tag(G::Prts)) != 0; };
    const auto pluralFuture = [](TTagMask t) {
        return IsFiniteVerb(t) && (t & Tags(G::Plur, G::Per3)) == Tags(G::Plur, G::Per3);
    };
    const TAnswer prts = OnlySpelling(m_word, m_plainMask, m_dottedMask, participle);
    const TAnswer verb = OnlySpelling(m_word, m_plainMask, m_dottedMask, pluralFuture);
    if (prts != TAnswer::None && verb != TAnswer::None && prts != verb) {
        for (std::size_t i = 0; i < TJudgeInput::Reach; ++i) {
            const TWordTags* before = Neighbour(in, false, i);
            if (before == nullptr)
                break;
            if (Trimmed(in.Before[i].Gap).find_first_of(",;:") != std::string_view::npos)
                break;
            if (AnyOfAll(*before, [](TTagMask t) {
                    return (t & (Tags(G::Noun, G::Npro) | Adjectival)) != 0
                        && (t & Tags(G::Nomn, G::Plur)) == Tags(G::Nomn, G::Plur);
                }))
                return CannotTell(family);
        }
        return Leaning(prts, family, "краткое причастие, подлежащего мн. ч. нет", {});
    }
    return CannotTell(family);
}

TContextVerdict TContextJudge::LeanNounCase(const TJudgeInput& in)
{
    constexpr auto family = TJudgeFamily::NounCase;
    const auto only = [&](TTagMask grammemes) {
        return OnlySpelling(m_word, m_plainMask, m_dottedMask,
            [grammemes](TTagMask t) { return (t & grammemes) == grammemes; });
    };
    // рёбра могут: a plural verb after wants the plural subject.
    const TWordTags* next = Adjacent(in, true, 0);
    if (next != nullptr && OnlyOfAll(*next, [](TTagMask t) {
            return (IsFiniteVerb(t) || (t & ShortForms) != 0) && (t & Tag(G::Plur)) != 0;
        })) {
        const TAnswer a = only(Tags(G::Nomn, G::Plur));
        if (a != TAnswer::None)
            return Leaning(a, family, "глагол мн. ч. после:", in.After[0].Word);
    }
    // Рёбра в графе…: a capital that opens a sentence is most often its subject.
    const bool opens = in.Before.empty() || GapEndsSentence(in.Before[0].Gap);
    if (opens && !in.Word.empty() && IsRussianCapital(in.Word.front())) {
        const TAnswer a = only(Tag(G::Nomn));
        if (a != TAnswer::None)
            return Leaning(a, family, "начало предложения", {});
    }
    const TWordTags* prev = Adjacent(in, false, 0);
    if (prev == nullptr)
        return CannotTell(family);
    // под бронёй, защищённых бронёй: both spellings have the case asked
    // for, but one is nothing else, the other mostly a different form.
    TTagMask wanted = PrepositionCases(in.Before[0].Word);
    if (wanted == 0
        && AnyOfAll(*prev, [](TTagMask t) { return (t & Tags(G::Prtf, G::Pssv)) == Tags(G::Prtf, G::Pssv); }))
        wanted = Tag(G::Ablt);
    if (wanted != 0) {
        const auto asked = [wanted](TTagMask t) { return (t & wanted) != 0; };
        const bool plainAny = AnyReading(m_word, m_plainMask, asked);
        const bool dottedAny = AnyReading(m_word, m_dottedMask, asked);
        const bool plainAll = EveryReading(m_word, m_plainMask, asked);
        const bool dottedAll = EveryReading(m_word, m_dottedMask, asked);
        if (plainAny && dottedAny && plainAll != dottedAll)
            return Leaning(
                plainAll ? TAnswer::Plain : TAnswer::Dotted, family, "падеж после:", in.Before[0].Word);
    }
    // делают пчёлы, напали пчёлы: a plural verb before, the subject after it.
    if (OnlyOfAll(*prev, [](TTagMask t) { return IsFiniteVerb(t) && (t & Tag(G::Plur)) != 0; })) {
        const TAnswer a = only(Tags(G::Nomn, G::Plur));
        if (a != TAnswer::None)
            return Leaning(a, family, "глагол мн. ч. перед:", in.Before[0].Word);
    }
    // прокрутка колеса, тип ребра: a noun after a noun is most often its
    // genitive (but чёрт-те где is a compound).
    if (OnlyOfAll(*prev, [](TTagMask t) { return (t & Tag(G::Noun)) != 0 && (t & Tag(G::Npro)) == 0; })
        && (in.After.empty() || Trimmed(in.After[0].Gap) != "-")) {
        const TAnswer a = only(Tag(G::Gent));
        if (a != TAnswer::None)
            return Leaning(a, family, "существительное перед:", in.Before[0].Word);
    }
    // забрать зёрна: the object of a verb before.
    if (OnlyOfAll(*prev, [](TTagMask t) { return (t & Tags(G::Verb, G::Infn)) != 0; })) {
        const TAnswer a = only(Tag(G::Accs));
        if (a != TAnswer::None)
            return Leaning(a, family, "дополнение глагола перед:", in.Before[0].Word);
    }
    return CannotTell(family);
}

} // namespace tildo
