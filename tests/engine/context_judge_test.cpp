#include "engine/context_judge.h"
#include "support/recording_ui.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <gtest/gtest.h>

#include <vector>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::U;
using test::W;

struct TShipped
{
    TTagDictionary Tags;
    TRareYoList Rare;
    TShipped()
    {
        TRecordingUi ui;
        Tags.Load(std::string(TILDO_DATA_DIR) + "/tags.dat", ui);
        Rare.Load(std::string(TILDO_DATA_DIR) + "/rare_yo.dat", ui);
    }
};

const TShipped& Shipped()
{
    static const TShipped shipped;
    return shipped;
}

// A sentence (UTF-8) with the judged word in brackets, cut into the words and
// gaps the pass would hand over; the sentence is the whole text.
class TSentence
{
public:
    TSentence(const std::string& utf8, const std::string& dottedUtf8)
        : m_text(W(utf8))
        , m_dotted(W(dottedUtf8))
    {
        std::string plain;
        std::size_t target = std::string::npos;
        for (char c : m_text) {
            if (c == '[')
                target = plain.size();
            else if (c != ']')
                plain += c;
        }
        m_text = plain;
        std::vector<std::pair<std::size_t, std::size_t>> words;
        for (std::size_t i = 0; i < m_text.size();) {
            if (!IsRussianLetter(m_text[i])) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < m_text.size() && IsRussianLetter(m_text[j]))
                ++j;
            words.emplace_back(i, j - i);
            i = j;
        }
        std::size_t k = 0;
        while (k < words.size() && words[k].first != target)
            ++k;
        EXPECT_LT(k, words.size()) << utf8;
        const auto word
            = [&](std::size_t n) { return std::string_view(m_text).substr(words[n].first, words[n].second); };
        const auto gap = [&](std::size_t n) {
            const std::size_t from = n == 0 ? 0 : words[n - 1].first + words[n - 1].second;
            return std::string_view(m_text).substr(from, words[n].first - from);
        };
        for (std::size_t j = 0; j < TJudgeInput::Reach && j < k; ++j)
            m_before.push_back({ word(k - 1 - j), gap(k - j) });
        for (std::size_t j = 0; j < TJudgeInput::Reach && k + 1 + j < words.size(); ++j)
            m_after.push_back({ word(k + 1 + j), gap(k + 1 + j) });
        m_input.Word = word(k);
        m_input.Dotted = m_dotted;
        m_input.Before = m_before;
        m_input.After = m_after;
        m_input.TextStartsBefore = m_before.size() < TJudgeInput::Reach;
        m_input.TextEndsAfter = m_after.size() < TJudgeInput::Reach;
    }
    const TJudgeInput& Input() const { return m_input; }

private:
    std::string m_text;
    std::string m_dotted;
    std::vector<TJudgeNeighbour> m_before;
    std::vector<TJudgeNeighbour> m_after;
    TJudgeInput m_input;
};

struct TCase
{
    const char* Sentence;
    const char* Dotted; // the ё spelling, lower case
    TAnswer Expected;
    TJudgeFamily Family;
    const char* Evidence; // a part of the evidence; "" when it cannot tell
};

void Check(const std::vector<TCase>& cases)
{
    TContextJudge judge(Shipped().Tags, Shipped().Rare);
    for (const TCase& c : cases) {
        const TSentence s(c.Sentence, c.Dotted);
        const TContextVerdict v = judge.Judge(s.Input());
        EXPECT_EQ(v.Answer, c.Expected) << c.Sentence << ": " << U(v.Evidence);
        EXPECT_EQ(v.Family, c.Family) << c.Sentence;
        if (c.Expected == TAnswer::None)
            EXPECT_EQ(v.Evidence.empty(), v.Lean == TAnswer::None) << c.Sentence << ": " << U(v.Evidence);
        else
            EXPECT_NE(U(ToLower(v.Evidence)).find(c.Evidence), std::string::npos)
                << c.Sentence << ": " << U(v.Evidence);
    }
}

constexpr auto E = TAnswer::Plain;
constexpr auto Yo = TAnswer::Dotted;
constexpr auto None = TAnswer::None;

TEST(ContextJudge, AllAgreesWithTheWordsAroundIt)
{
    constexpr auto F = TJudgeFamily::All;
    Check({
        { "[Все] знают об этом.", "всё", E, F, "глагол мн. ч. после: знают" },
        { "[Все] готовы.", "всё", E, F, "глагол мн. ч. после: готовы" },
        { "[Все] люди смертны.", "всё", E, F, "мн. ч. после: люди" },
        { "Прочитал [все] три книги.", "всё", E, F, "мн. ч. после: три" },
        { "Экспортирует [все] неправильно выбранные файлы.", "всё", E, F, "мн. ч. после: выбранные" },
        { "[Все], кто пришёл, сели.", "всё", E, F, "«все, кто»" },
        { "Пришли они [все].", "всё", E, F, "местоимение мн. ч. перед: они" },
        { "[Все] стало ясно.", "всё", Yo, F, "глагол ед. ч. после: стало" },
        { "Я [все] понял.", "всё", Yo, F, "глагол ед. ч. после: понял" },
        { "[Все] готово.", "всё", Yo, F, "глагол ед. ч. после: готово" },
        { "[Все] лицо было в пыли.", "всё", Yo, F, "ср. р. ед. ч. после: лицо" },
        { "[Все] это было давно.", "всё", Yo, F, "ср. р. ед. ч. после: это" },
        { "Это [все], что я знаю.", "всё", Yo, F, "«всё, что»" },
        { "Спасибо за [все].", "всё", Yo, F, "предлог перед словом в конце фразы: за" },
        { "Вот это [все].", "всё", Yo, F, "«это всё»" },
        { "Тут было [все].", "всё", Yo, F, "глагол ед. ч. ср. р. перед: было" },
        { "Удалить папку и [все] ее содержимое.", "всё", Yo, F, "ср. р. ед. ч. после: содержимое" },
        { "Отменяет [все] его повторы.", "всё", E, F, "мн. ч. после: повторы" },
        // What grammar leaves open.
        { "Он знал [все].", "всё", None, F, "" },
        { "Мы [все] знаем.", "всё", None, F, "" },
        { "Люди [все] знают.", "всё", None, F, "" },
        { "[Все] это знают.", "всё", None, F, "" },
        { "Они [все] равно придут.", "всё", None, F, "" },
        { "Если [все] в порядке, жми.", "всё", None, F, "" },
        { "Он [все] более уверен.", "всё", None, F, "" },
        { "Появлялись [все] новые и новые люди.", "всё", None, F, "" },
        { "Играли во [все].", "всё", None, F, "" },
        { "Нам [все] его новости надоели.", "всё", E, F, "мн. ч. после: новости" },
        { "И тут [все] наконец началось.", "всё", Yo, F, "глагол ед. ч. после наречия: началось" },
        { "[Все] уже ушли.", "всё", E, F, "глагол мн. ч. после наречия: ушли" },
        { "Они [все] еще спят.", "всё", None, F, "" },
        { "Тут [все] его радует.", "всё", None, F, "" },
        { "Кнопка Заменить [все] выполняет замену.", "всё", None, F, "" },
        // A verb that is also a parenthetic word, не or an adverb-like short
        // form before the verb, a short form past an adverb, two side by side.
        { "Ты уже [все] знаешь.", "всё", Yo, F, "глагол ед. ч. после: знаешь" },
        { "Излечение [все] не наступает.", "всё", Yo, F, "глагол ед. ч. после «не»: наступает" },
        { "[Все] не могут уйти.", "всё", E, F, "глагол мн. ч. после «не»: могут" },
        { "Мы [все] не могли уйти.", "всё", None, F, "" },
        { "Тогда [все] обычно заканчивалось плохо.", "всё", Yo, F,
            "глагол ед. ч. после наречия: заканчивалось" },
        { "Если [все] совсем плохо.", "всё", Yo, F, "краткая форма ср. р. после наречия: плохо" },
        { "[Все] очень довольны.", "всё", E, F, "краткая форма мн. ч. после наречия: довольны" },
        { "Если [все] совсем плохо кончится.", "всё", None, F, "" },
        { "[Все] всё потеряли.", "всё", E, F, "«все всё»: перед всё" },
        { "Нет, и [все]!", "всё", Yo, F, "«и всё» в конце фразы: и" },
        { "Убьет [все] что угодно.", "всё", Yo, F, "«всё что угодно»" },
        { "Ага, [все] верно.", "всё", Yo, F, "глагол ед. ч. после: верно" },
        { "Ага, [все] верно сказали.", "всё", E, F, "глагол мн. ч. после наречия: сказали" },
        { "К утру [все] вокруг озера покрылось пленкой.", "всё", Yo, F,
            "глагол ед. ч. после предлога с существительным: покрылось" },
        { "Спорим, [все] в городе будут рады.", "всё", E, F,
            "глагол мн. ч. после предлога с существительным: будут" },
        { "Мы [все] в городе знаем.", "всё", None, F, "" },
        { "Пришли мы и [все], кто смог.", "всё", E, F, "«все, кто»" },
        { "Все [все] потеряли.", "всё", Yo, F, "«все всё»: после все" },
        // что without its comma; not a compound with -то, nor the particle ли.
        { "[Все] что смогут, унесут.", "всё", Yo, F, "«всё что» без запятой: смогут" },
        { "Они [все] что-то знают.", "всё", None, F, "" },
        { "Вы [все] что ли ушли?", "всё", None, F, "" },
        // и opens a clause, unless it joins a second verb to the one before.
        { "Настал Армагеддон, и [все] умерли.", "всё", E, F, "глагол мн. ч. после: умерли" },
        { "Мы ходим в душевые и [все] прошли осмотр.", "всё", E, F, "глагол мн. ч. после: прошли" },
        { "Когда пришли и [все] разнесли.", "всё", None, F, "" },
    });
}

// Where the rules cannot tell все from всё, the text's own sure answers so
// far lean the question: from 3 всё to 5 все over at least 8 answers, and
// only until the next text begins.
TEST(ContextJudge, AllLeansToTheTextsHabit)
{
    TContextJudge judge(Shipped().Tags, Shipped().Rare);
    const TSentence plural("[Все] знают об этом.", "всё");
    const TSentence dotted("[Все] стало ясно.", "всё");
    const TSentence open("Он знал [все].", "всё");
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(judge.Judge(plural.Input()).Answer, TAnswer::Plain);
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(judge.Judge(dotted.Input()).Answer, TAnswer::Dotted);
    EXPECT_EQ(judge.Judge(open.Input()).Lean, TAnswer::None); // 7 answers: too few
    ASSERT_EQ(judge.Judge(dotted.Input()).Answer, TAnswer::Dotted);
    TContextVerdict v = judge.Judge(open.Input());
    EXPECT_EQ(v.Answer, TAnswer::None);
    EXPECT_EQ(v.Lean, TAnswer::Dotted);
    EXPECT_NE(U(v.Evidence).find("3 из 8"), std::string::npos) << U(v.Evidence);
    ASSERT_EQ(judge.Judge(plural.Input()).Answer, TAnswer::Plain); // 3 to 6: below the share
    EXPECT_EQ(judge.Judge(open.Input()).Lean, TAnswer::None);
    ASSERT_EQ(judge.Judge(dotted.Input()).Answer, TAnswer::Dotted);
    EXPECT_EQ(judge.Judge(open.Input()).Lean, TAnswer::Dotted);
    judge.BeginText();
    EXPECT_EQ(judge.Judge(open.Input()).Lean, TAnswer::None);
    // The user's answers count like the judge's own; other families' do not.
    for (int i = 0; i < 5; ++i)
        judge.NoteAnswer(TJudgeFamily::All, TAnswer::Plain);
    for (int i = 0; i < 3; ++i)
        judge.NoteAnswer(TJudgeFamily::NounCase, TAnswer::Dotted);
    EXPECT_EQ(judge.Judge(open.Input()).Lean, TAnswer::None);
    for (int i = 0; i < 3; ++i)
        judge.NoteAnswer(TJudgeFamily::All, TAnswer::Dotted);
    EXPECT_EQ(judge.Judge(open.Input()).Lean, TAnswer::Dotted);
}

TEST(ContextJudge, PrepositionalFormsNeedTheirPreposition)
{
    constexpr auto F = TJudgeFamily::Prepositional;
    Check({
        { "Я думаю о [нем].", "нём", Yo, F, "предлог перед: о" },
        { "В [чем] дело?", "чём", Yo, F, "предлог перед: в" },
        { "При [всем] уважении.", "всём", Yo, F, "предлог перед: при" },
        { "Он [нем] как рыба.", "нём", E, F, "нет предлога" },
        { "Лучше, [чем] вчера.", "чём", E, F, "нет предлога" },
        { "С [чем] это связано?", "чём", E, F, "предлог без предложного падежа: с" },
        { "Не о [чем] говорить.", "чём", None, F, "" },
        { "По [всем] вопросам.", "всём", None, F, "" },
        { "В моем и [моем] доме.", "моём", None, F, "" },
        { "Макароны с бобами и [всем], что нужно.", "всём", E, F, "предлог без предложного падежа: с" },
        { "Речь о доме и [всем] прочем.", "всём", None, F, "" },
    });
}

TEST(ContextJudge, VerbOrNounBySubjectPrepositionOrAdjective)
{
    constexpr auto F = TJudgeFamily::Verb;
    Check({
        { "Он [берет] книгу.", "берёт", Yo, F, "подлежащее перед: он" },
        { "На ней красный [берет].", "берёт", E, F, "согласованное прилагательное перед: красный" },
        { "Надела мой [берет].", "берёт", E, F, "согласованное прилагательное перед: мой" },
        { "Положи на [берет].", "берёт", E, F, "предлог перед: на" },
        { "Окно может быть [развернут] на весь экран.", "развёрнут", Yo, F, "краткое причастие после: быть" },
        { "Программа [распознает] и задает цвет.", "распознаёт", Yo, F, "того же времени: задает" },
        { "Завтра он [узнает] и расскажет.", "узнаёт", E, F, "того же времени: расскажет" },
        { "Мы [узнаем] и расскажет.", "узнаём", None, F, "" },
        { "Вы изменяете или [берете] текст.", "берёте", Yo, F, "того же времени: изменяете" },
        { "Сам [берет] книгу.", "берёт", None, F, "" },
        { "Завтра мы [узнаем].", "узнаём", None, F, "" },
        // Both spellings nouns too: their cases; -ка after an imperative.
        { "Дверь из многослойного [стекла].", "стёкла", E, F, "согласованное слово перед: многослойного" },
        { "Вставили новые [стекла].", "стёкла", Yo, F, "перед: новые" },
        { "Лист [стекла] лежал.", "стёкла", None, F, "" },
        { "[Поешь]-ка супу.", "поёшь", E, F, "повелительное наклонение перед «-ка»" },
        { "Ты [поешь] супу.", "поёшь", None, F, "" },
    });
}

TEST(ContextJudge, NounCaseByPrepositionNumberAndAgreement)
{
    constexpr auto F = TJudgeFamily::NounCase;
    Check({
        { "У [озера] стоял дом.", "озёра", E, F, "падеж после предлога: у" },
        { "Вышли на [озера].", "озёра", Yo, F, "падеж после предлога: на" },
        { "Там три [озера].", "озёра", E, F, "числительное перед: три" },
        { "Видно 23 [озера].", "озёра", E, F, "число перед: 23" },
        { "Голубые [озера] блестели.", "озёра", Yo, F, "согласованное слово перед: голубые" },
        { "Свет далекой [звезды].", "звёзды", E, F, "согласованное слово перед: далекой" },
        { "Эта [черта] характера.", "чёрта", E, F, "согласованное слово перед: эта" },
        { "Этого [черта] не поймешь.", "чёрта", Yo, F, "согласованное слово перед: этого" },
        { "[Звезды] светят.", "звёзды", Yo, F, "подлежащее глагола мн. ч. после: светят" },
        { "Видно 12 [озера].", "озёра", None, F, "" },
        { "Против целей, не защищенных [клешней].", "клешнёй", None, F, "" },
        { "Старое [ружье] висело.", "ружьё", Yo, F, "нет предлога для предложного падежа перед: старое" },
        { "Гунгнир, [копье] Одина.", "копьё", Yo, F, "нет предлога для предложного падежа" },
        { "Нож при [ружье] висел.", "ружьё", E, F, "падеж после предлога: при" },
        { "Патрон в охотничьем [ружье] застрял.", "ружьё", E, F, "согласованное слово перед: охотничьем" },
        { "Патрон в старом [ружье] застрял.", "ружьё", E, F, "согласованное слово перед: старом" },
        { "Новые [ребра] могут пересекаться.", "рёбра", Yo, F, "согласованное слово перед: новые" },
        // A noun opening its clause before a verb that is only plural.
        { "Игра идет, и [зерна] остаются на доске.", "зёрна", Yo, F,
            "подлежащее глагола мн. ч. после: остаются" },
        { "[Ребра] могут пересекаться.", "рёбра", Yo, F, "подлежащее глагола мн. ч. после: могут" },
        { "Тогда [ребра] могут пересекаться.", "рёбра", None, F, "" },
        { "Сеялка сзади, а [колеса] должны стоять.", "колёса", Yo, F,
            "подлежащее глагола мн. ч. после: должны" },
        { "Горько, аж [слезы] накатываются.", "слёзы", Yo, F,
            "подлежащее глагола мн. ч. после: накатываются" },
        { "Тогда [пчелы] не залетали.", "пчёлы", None, F, "" },
        // Right after a noun in the nominative or accusative, the genitive;
        // not after one that may be a dative, nor one that is only oblique.
        { "Область [счета] внизу.", "счёта", Yo, F, "родительный падеж после существительного: область" },
        { "Выберите тип [ребра] в списке.", "рёбра", E, F, "родительный падеж после существительного: тип" },
        { "Спицы [колеса] гнутся.", "колёса", E, F, "родительный падеж после существительного: спицы" },
        { "Отправьте клиенту [счета] сразу.", "счёта", None, F, "" },
        { "От типа объекта [ребра] меняются.", "рёбра", None, F, "" },
        { "В жопе мира [черт]-те где.", "чёрт", None, F, "" },
        // A capital opening the sentence before a comma: the nominative.
        { "Ну вот. [Черт], опять сломалось.", "чёрт", Yo, F, "именительный падеж в начале предложения" },
        { "[Озера], реки и моря.", "озёра", Yo, F, "именительный падеж в начале предложения" },
        { "Ну вот. [Черт] лица не видно.", "чёрт", None, F, "" },
        // An adjective that also names people still agrees.
        { "Текли густые черные [слезы].", "слёзы", Yo, F, "согласованное слово перед: черные" },
        { "Свет больной [звезды].", "звёзды", E, F, "согласованное слово перед: больной" },
    });
}

// Where grammar leaves both spellings, the likelier one is proposed and never
// decided: the answer stays None, the lean and its evidence are given.
TEST(ContextJudge, LeansWhereGrammarCannotTell)
{
    struct TLean
    {
        const char* Sentence;
        const char* Dotted;
        TAnswer Lean;
        const char* Evidence;
    };
    const std::vector<TLean> leans {
        { "Постарайся [все] запомнить.", "всё", Yo, "инфинитив после: запомнить" },
        { "Вы трансформируете или [берете] текст.", "берёте", Yo, "однородный глагол: трансформируете" },
        { "Каждый переводчик [берет] копию.", "берёт", Yo, "существительное-подлежащее перед: переводчик" },
        { "Тогда [ребра] могут пересекаться.", "рёбра", Yo, "глагол мн. ч. после: могут" },
        { "Тогда [колеса] должны стоять.", "колёса", Yo, "глагол мн. ч. после: должны" },
        { "Но тот надежно [пристегнут] к столу.", "пристёгнут", Yo, "краткое причастие" },
        { "Может быть «развернут» или «[свернут]» кнопкой.", "свёрнут", Yo, "краткое причастие" },
        { "Солдаты [пристегнут] ремни.", "пристёгнут", None, "" },
        { "Завтра солдаты сами [пристегнут] ремни.", "пристёгнут", None, "" },
        { "В жопе мира [черт]-те где.", "чёрт", None, "" },
        { "Мед делают [пчелы] в ульях.", "пчёлы", Yo, "глагол мн. ч. перед: делают" },
        { "Костюм под [броней] сидит.", "бронёй", Yo, "падеж после: под" },
        { "Цели, защищенные [броней], стоят.", "бронёй", Yo, "падеж после: защищенные" },
        { "Много [броней] лежит.", "бронёй", None, "" },
        { "Думаю, не [все] из них ушли.", "всё", E, "часть множества после: не" },
        { "Почти [все] уже умерли.", "всё", E, "часть множества после: почти" },
        { "Надо сделать почти [все].", "всё", None, "" },
        { "Тогда [ребра] графа видны.", "рёбра", None, "" },
        { "[Зерна] не кладут в ячейки.", "зёрна", Yo, "начало предложения" },
        { "Отправьте клиенту [счета] сразу.", "счёта", Yo, "существительное перед: клиенту" },
        { "Игрок может забрать [зерна] себе.", "зёрна", Yo, "дополнение глагола перед: забрать" },
        { "Прикрепите [весла] к лодке.", "вёсла", Yo, "дополнение глагола перед: прикрепите" },
        { "Он знал [все].", "всё", None, "" },
        { "Надел [берет] и пошел.", "берёт", None, "" },
        { "Они [все] что-то знают.", "всё", Yo, "«всё что»: что" },
        { "Если [все] совсем плохо кончится.", "всё", Yo, "наречие после: совсем" },
        { "Мы [все] знаем.", "всё", E, "местоимение мн. ч. перед и глагол мн. ч. после: мы" },
        { "Пришлось начать [все] с нуля.", "всё", Yo, "дополнение глагола перед предлогом: начать" },
        { "Меню: Переместить [все] в папку.", "всё", None, "" },
        { "Завтра мы [узнаем].", "узнаём", None, "" },
    };
    // бронёй is on the rare list, which answers it whatever the grammar: the
    // leans are weighed without the list.
    const TRareYoList noRare;
    TContextJudge judge(Shipped().Tags, noRare);
    for (const TLean& c : leans) {
        const TSentence s(c.Sentence, c.Dotted);
        const TContextVerdict v = judge.Judge(s.Input());
        EXPECT_EQ(v.Answer, TAnswer::None) << c.Sentence << ": " << U(v.Evidence);
        EXPECT_EQ(v.Lean, c.Lean) << c.Sentence << ": " << U(v.Evidence);
        EXPECT_NE(U(ToLower(v.Evidence)).find(c.Evidence), std::string::npos)
            << c.Sentence << ": " << U(v.Evidence);
        if (c.Lean != TAnswer::None) {
            EXPECT_EQ(U(v.Evidence).rfind("вероятнее: ", 0), 0u) << c.Sentence;
        }
    }
}

TEST(ContextJudge, RareYoFormsAreAnsweredPlainWithTheirReason)
{
    Check({
        { "Возьми [маркер].", "маркёр", E, TJudgeFamily::Rare, "редкое слово с ё: «маркёр»" },
        { "Синее [небо].", "нёбо", E, TJudgeFamily::Rare, "«нёбо»" },
        { "Надел [шлем] и пошел.", "шлём", E, TJudgeFamily::Rare, "«шлём»" },
        { "Этот [отсек] закрыт.", "отсёк", E, TJudgeFamily::Rare, "«отсёк»" },
        { "Лист, [сложенный] вдвое.", "сложённый", E, TJudgeFamily::Rare, "«сложённый»" },
        // A + line: the е spelling is the rare one.
        { "Под другой [броней].", "бронёй", Yo, TJudgeFamily::Rare, "редкое слово с е: «броней»" },
        { "ПОЛОЖИЛ В [НЕЕ] ВСЕ.", "неё", Yo, TJudgeFamily::Rare, "«нее»" },
    });
    TRareYoList list;
    std::string problem;
    ASSERT_TRUE(list.Parse(W("+бронёй\tпричина\nмаркёр*\tдругая\n"), problem)) << U(problem);
    EXPECT_TRUE(list.DottedUsual(W("Бронёй")));
    EXPECT_EQ(U(list.Reason(W("бронёй"))), "причина");
    EXPECT_FALSE(list.DottedUsual(W("маркёры")));
    EXPECT_EQ(U(list.Reason(W("маркёры"))), "другая");
    EXPECT_FALSE(list.Parse(W("+\tпричина\n"), problem));
    // Without the tag dictionary only the rare list speaks.
    const TTagDictionary empty;
    TContextJudge judge(empty, Shipped().Rare);
    const TSentence all("[Все] знают.", "всё");
    EXPECT_EQ(judge.Judge(all.Input()).Answer, TAnswer::None);
    const TSentence marker("Возьми [маркер].", "маркёр");
    EXPECT_EQ(judge.Judge(marker.Input()).Answer, TAnswer::Plain);
}

} // namespace
} // namespace tildo
