// tildo-cli selftest: the built-in test of the testing mode, without a window.

#include "app/testing_mode.h"
#include "batch/cli_user_interface.h"
#include "cli/commands.h"
#include "cli/console.h"

namespace tildo {

namespace {

// The test's answers are scripted; a question beyond them means the engine
// asks more than the table foresees, and the run stops so that the comparison
// shows where.
class TCancellingAsker : public Asker
{
public:
    TAnswer Ask(const TQuestion&) override { return TAnswer::Cancel; }
};

} // namespace

int RunSelfTestCommand()
{
    TCliUserInterface ui;
    TCancellingAsker asker;
    const TTestOutcome outcome = RunSelfTest(ui, asker);
    if (outcome.Passed)
        return ExitDone;
    WriteStandardOutput("Строка " + std::to_string(outcome.Line + 1) + "\n" + "ожидалось: "
        + ForMessage(outcome.Expected) + "\n" + "получено:  " + ForMessage(outcome.Actual) + "\n");
    return ExitFound;
}

} // namespace tildo
