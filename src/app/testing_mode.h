#pragma once

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/test_script.h"
#include "engine/yoficator.h"
#include "platform/asker.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"
#include "text/collation.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tildo {

// One line of the built-in test table (CP1251): what the editor gets, what the
// line must read after the eight runs, and the answers its questions take.
struct TTestRow
{
    std::string Content;
    std::string Expected;
    std::vector<std::int8_t> Answers; // 1 answers ё, 0 answers е
};
const std::vector<TTestRow>& TestRows();

// The built-in test dictionaries, filled in place of the files; both paths become "***".
void ReadTestingDic(TDic& dic, UserInterface& ui);
void ReadTestingCombiDic(TCombiWordsDic& combi, UserInterface& ui);

// The outcome of the self-test: passed, or the first line that differs.
struct TTestOutcome
{
    bool Passed = false;
    int Line = -1; // from 0
    std::string Expected;
    std::string Actual;
    int AnswersConsumed = 0;
};

// The self-test built into the program ("/t"): a table of lines run through the
// pass eight times under different options with scripted answers, then compared
// with their expected texts. "Тестирование" (F11) runs the test, and a second
// use turns it into a free testing mode with the same text and dictionaries.
class TTestingMode
{
public:
    enum class TState {
        Ready, // the table is loaded; the next F11 runs the test
        Tested, // the test ran; the next F11 starts the free testing mode
        FreeTesting, // questions go to the user, passes run to the end of the text
    };

    // The engine gets this mode's script; the editor is the one the engine works on.
    TTestingMode(TextDocument& editor, UserInterface& ui, TYoficator& engine);
    TTestingMode(const TTestingMode&) = delete;
    TTestingMode& operator=(const TTestingMode&) = delete;
    ~TTestingMode();

    TTestScript Script; // TestAnswers, NextAnswer, SectionEnds, ScriptedTesting
    TStringList ExpectedLines; // same index as the editor's lines

    // Start-up in the testing mode: "Тестирование" enabled, answers scripted, the table built.
    void Start();
    void BuildTestTable();
    // "Тестирование": the test when the table is fresh, the free testing mode after it.
    void Testing1Click();
    // The eight runs and the comparison; reports the first differing line with
    // "Тест не прошёл !" and that line selected.
    TTestOutcome RunTest();
    void StartFreeTesting();

    TState State() const { return m_state; }
    // "[Testing mode]", or "[Free testing mode]" once the test is put aside.
    std::string WindowTitle() const;

    // The characters of the table drawn large, bold and green (the word Еще of
    // line 14), so that saving as RTF has some formatting to keep. The document
    // port gives them their colour; a rich editor adds the size and weight.
    static constexpr int FormattedLine = 14;
    static constexpr int FormattedColumn = 14; // from 0
    static constexpr int FormattedLength = 3;
    static constexpr int FormattedPointSize = 30;
    static constexpr TColour FormattedColour = Rgb(0, 128, 0);
    // Called with the offset and length of those characters once the table is
    // built, for a window to give them the size and weight; none by default.
    std::function<void(int offset, int length)> EmphasiseFormatted;

private:
    void Compare(TTestOutcome& outcome);

    TextDocument& m_editor;
    UserInterface& m_ui;
    TYoficator& m_engine;
    TState m_state = TState::Ready;
};

// The whole self-test without a window, for the command-line tool: builds the
// test dictionaries, the table and an engine of its own, runs the test and
// gives the outcome. ui supplies the option marks (the test sets the ones it
// needs); asker gets any question the scripted answers do not cover.
TTestOutcome RunSelfTest(UserInterface& ui, Asker& asker);

} // namespace tildo
