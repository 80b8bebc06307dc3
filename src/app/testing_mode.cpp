#include "testing_mode.h"

#include "platform/text_document.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

namespace tildo {

namespace {

// The rows built on a person's name use names invented for this table: the
// variant surname rule Прохлёбин*?, the familiar first name Витёк and the
// compound surname Тер-Аветов, whose prefix Тер- is a combination.
std::vector<TTestRow> MakeRows()
{
    struct TUtf8Row
    {
        const char* content;
        const char* expected; // nullptr: the line stays as it is
        std::vector<std::int8_t> answers;
    };
    const TUtf8Row rows[] = {
        { "дед дед Дед ДЕД дед", nullptr, {} },
        { "все все Все ВСЕ все", "всё все Всё ВСЁ всё", { 1, 0, 1, 1, 1 } },
        { "еще еще Еще ЕЩЕ еще", "ещё ещё Ещё ЕЩЁ ещё", {} },
        { "двухрублевый Двухрублевая ДВУХРУБЛЕВЫЕ", "двухрублёвый Двухрублёвая ДВУХРУБЛЁВЫЕ", {} },
        { "съемка Киносъемка ФОТОСЪЕМКА", "съёмка Киносъёмка ФОТОСЪЁМКА", {} },
        { "полет ПОЛЕТ ГРЯДКУ Полет", "полёт ПОЛЕТ ГРЯДКУ Полёт", { 1, 0, 1 } },
        { "прохлебин Прохлебин Прохлебиным ПРОХЛЕБИН пРОХЛЕБИН",
            "прохлебин Прохлёбин Прохлёбиным ПРОХЛЁБИН пРОХЛЕБИН", { 1, 1, 1 } },
        { "привёт Привёт ПРИВЁТ", "привет Привет ПРИВЕТ", { 0, 0, 0 } },
        { "все-таки Все-таки все-", "всё-таки Всё-таки всё-", {} },
        { "таки лет 125 лет", "таки лёт 125 лет", { 1 } },
        { "чем о  чем  О   ЧЕМ о\t\u00A0 чем", "чем о  чём  О   ЧЁМ о\t\u00A0 чём", { 0 } },
        { "Витек ВИТЕК витек вИТЕК", "Витёк ВИТЁК витек вИТЕК", {} },
        { "тер Тер-Аветов тер-аветов", "тёр Тер-Аветов тёр-аветов", {} },
        { "трёхведёрный трехведерный Трехвёдерный ТРЁХВЁДЁРНЫЙ",
            "трёхведёрный трёхведёрный Трёхведёрный ТРЁХВЕДЁРНЫЙ", { 0, 0 } },
        { "Проверка RTF: Еще", "Проверка RTF: Ещё", {} },
        { "Без проверки Ё: привёт", nullptr, {} },
        { "Безусловные: все еще", "Безусловные: все ещё", {} },
        { "Только интерактивные: все еще привёт", "Только интерактивные: всё еще привет", { 1, 0 } },
        { "Без анализа СС: все-таки", "Без анализа СС: всё-таки", { 1 } },
        { "Всегда спрашивать: еще еще", "Всегда спрашивать: еще ещё", { 0, 1 } },
        { "Без формата FB: <BINARY ...> еще", "Без формата FB: <BINARY ...> ещё", {} },
        { "С форматом FB: <BINARY ...> еще", nullptr, {} },
    };
    std::vector<TTestRow> result;
    for (const TUtf8Row& row : rows) {
        TTestRow r;
        r.Content = Cp(row.content);
        r.Expected = row.expected != nullptr ? Cp(row.expected) : r.Content;
        r.Answers = row.answers;
        result.push_back(std::move(r));
    }
    return result;
}

// Rows 14 to 20 close the test sections: the first run covers lines 0 to 14,
// every later run one line.
constexpr int FirstSectionEnd = 14;
constexpr int LastSectionEnd = 20;

} // namespace

const std::vector<TTestRow>& TestRows()
{
    static const std::vector<TTestRow> rows = MakeRows();
    return rows;
}

void ReadTestingDic(TDic& dic, UserInterface& ui)
{
    dic.Clear();
    dic.FileName = "***";
    dic.AddRule("", Cp("полёт"), "*", 1);
    dic.AddRule("*", Cp("рублёв"), "*", 0);
    dic.AddRule("*", Cp("съёмка"), "", 0);
    dic.AddRule("", Cp("Прохлёбин"), "*", 1);
    const char* forms[][2] = {
        { "Витёк", "0" },
        { "всё", "1" },
        { "ещё", "0" },
        { "лёт", "1" },
        { "тёр", "0" },
        { "трёхведёрный", "0" },
        { "чём", "1" },
    };
    bool orderReported = false;
    for (const auto& f : forms) {
        const std::string form = Cp(f[0]);
        const std::string previousKey = dic.Keys.empty() ? std::string() : std::string(dic.Keys.back());
        dic.AddForm(form, f[1][0] - '0');
        if (!orderReported && CompareWords(dic.Keys.back(), previousKey) <= 0) {
            ui.ErrorBox(Cp("Порядок слов в словаре нарушен словом \"") + form + "\"");
            orderReported = true;
        }
    }
    if (dic.HasEntries()) {
        ui.SetCommandEnabled("YoBegin1", true);
        ui.SetCommandEnabled("YoPos1", true);
    }
    ui.SetCommandEnabled("ClearUserSel1", false);
}

void ReadTestingCombiDic(TCombiWordsDic& combi, UserInterface& ui)
{
    combi.Clear();
    combi.FileName = "***";
    for (const char* line : { "\\0 лет", "всё-таки", "о чём", "Тер-" })
        combi.AddCombination(Cp(line), ui);
    if (combi.Count() > 0)
        ui.SetCommandEnabled("CombiWords1", true);
}

TTestingMode::TTestingMode(TextDocument& editor, UserInterface& ui, TYoficator& engine)
    : m_editor(editor)
    , m_ui(ui)
    , m_engine(engine)
{
    m_engine.SetTestScript(&Script);
}

TTestingMode::~TTestingMode()
{
    m_engine.SetTestScript(nullptr);
}

void TTestingMode::Start()
{
    m_state = TState::Ready;
    Script.ScriptedTesting = true;
    m_ui.SetCommandEnabled("Testing1", true);
    BuildTestTable();
}

void TTestingMode::BuildTestTable()
{
    m_ui.SetCommandChecked("AlwaysAsk1", false);
    m_ui.SetCommandChecked("CheckYo1", true);
    m_ui.SetCommandChecked("NoVarOnly1", false);
    m_ui.SetCommandChecked("VarOnly1", false);
    m_ui.SetCommandChecked("FBFormat1", false);
    m_ui.SetCommandChecked("CombiWords1", true);

    ExpectedLines.clear();
    Script.TestAnswers.Clear();
    Script.SectionEnds.Clear();
    std::string text;
    const std::vector<TTestRow>& rows = TestRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += rows[i].Content;
        ExpectedLines.push_back(rows[i].Expected);
        for (const std::int8_t answer : rows[i].Answers)
            Script.TestAnswers.Add(answer);
        if (static_cast<int>(i) >= FirstSectionEnd && static_cast<int>(i) <= LastSectionEnd)
            Script.SectionEnds.Add(static_cast<std::int8_t>(i));
    }
    m_editor.SetReadOnly(false);
    m_editor.SetText(text);
    const int formatted = m_editor.LineStart(FormattedLine) + FormattedColumn;
    m_editor.Select(formatted, FormattedLength);
    m_editor.SetSelectionColour(FormattedColour);
    if (EmphasiseFormatted)
        EmphasiseFormatted(formatted, FormattedLength);
    ShowPosition(m_editor, 0);
    m_editor.SetReadOnly(true);
}

void TTestingMode::Testing1Click()
{
    if (!ExpectedLines.empty())
        RunTest();
    else
        StartFreeTesting();
}

TTestOutcome TTestingMode::RunTest()
{
    Script.NextAnswer = 0;
    ShowPosition(m_editor, 0);
    for (int run = 0; run < 8; ++run) {
        switch (run) {
        case 1:
            m_ui.SetCommandChecked("CheckYo1", false);
            break;
        case 2:
            m_ui.SetCommandChecked("CheckYo1", true);
            m_ui.SetCommandChecked("NoVarOnly1", true);
            break;
        case 3:
            m_ui.SetCommandChecked("NoVarOnly1", false);
            m_ui.SetCommandChecked("VarOnly1", true);
            break;
        case 4:
            m_ui.SetCommandChecked("VarOnly1", false);
            m_ui.SetCommandChecked("CombiWords1", false);
            break;
        case 5:
            m_ui.SetCommandChecked("AlwaysAsk1", true);
            break;
        case 6:
            m_ui.SetCommandChecked("AlwaysAsk1", false);
            break;
        case 7:
            m_ui.SetCommandChecked("FBFormat1", true);
            break;
        default:
            break;
        }
        // Started exactly as "Ёфицировать с текущей позиции".
        const TLineColumn at = LineAndColumn(m_editor, m_editor.SelStart());
        m_engine.DoYoficate(at.Line, at.Column);
        if (run < Script.SectionEnds.Count())
            ShowPosition(m_editor, m_editor.LineStart(Script.SectionEnds[run] + 1));
    }
    TTestOutcome outcome;
    outcome.AnswersConsumed = Script.NextAnswer;
    Compare(outcome);
    ExpectedLines.clear();
    m_ui.SetCommandCaption("Testing1", Cp("Сброс теста"));
    m_state = TState::Tested;
    return outcome;
}

void TTestingMode::Compare(TTestOutcome& outcome)
{
    outcome.Passed = true;
    for (std::size_t i = 0; i < ExpectedLines.size(); ++i) {
        const int line = static_cast<int>(i);
        const std::string actual = m_editor.Line(line);
        if (line < m_editor.LineCount() && actual == ExpectedLines[i])
            continue;
        outcome.Passed = false;
        outcome.Line = line;
        outcome.Expected = ExpectedLines[i];
        outcome.Actual = actual;
        const int start = m_editor.LineStart(line);
        if (start >= 0) {
            ShowPosition(m_editor, start);
            m_editor.Select(start, static_cast<int>(actual.size()));
        }
        m_ui.InfoBox(Cp("Тест не прошёл !"));
        return;
    }
}

void TTestingMode::StartFreeTesting()
{
    BuildTestTable();
    m_ui.SetCommandEnabled("Testing1", false);
    m_editor.SetReadOnly(false);
    m_ui.SetStatusText("");
    Script.ScriptedTesting = false;
    ShowPosition(m_editor, 0);
    m_state = TState::FreeTesting;
}

std::string TTestingMode::WindowTitle() const
{
    return m_state == TState::FreeTesting ? "[Free testing mode]" : "[Testing mode]";
}

TTestOutcome RunSelfTest(UserInterface& ui, Asker& asker)
{
    // The testing defaults that matter to a pass; BuildTestTable sets the rest.
    ui.SetCommandChecked("Mark1", true);
    ui.SetCommandChecked("FastScroll1", false);
    ui.SetCommandChecked("ProposeLast1", false);

    TBufferLimits limits;
    limits.WordsBufferLength = 3;
    TDic dic;
    TCombiWordsDic combi(limits);
    TWordBuffer window(limits);
    MemoryDocument editor;
    ReadTestingDic(dic, ui);
    ReadTestingCombiDic(combi, ui);
    TYoficator engine(editor, ui, asker, dic, combi, window, limits);
    TTestingMode mode(editor, ui, engine);
    mode.Start();
    return mode.RunTest();
}

} // namespace tildo
