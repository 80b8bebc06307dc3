// Opening the review window (gathering the questions, filling the grouped list
// and showing it) for a text with 5 000 questions, beside gathering them
// without a window, in the same run. The text is the corpus in CP1251 with
// every ё typed as е, repeated and cut after the line of the 5 000th question;
// the dictionary is the shipped one. The goal: the window within twice the
// headless gathering.
#include "engine/question_collector.h"
#include "qt_strings.h"
#include "review_form.h"
#include "text/letters.h"
#include "text/memory_document.h"
#include "window_fixture.h"

#include <QPlainTextEdit>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t Questions = 5000;

struct TSetup : TShippedDictionaries
{
    std::string Text;

    TSetup()
    {
        Ui.SetCommandChecked("Mark1", true);
        Ui.SetCommandChecked("ProposeLast1", true);
        std::string one = CorpusCp1251();
        FoldDottedEInPlace(one);
        // Repeated until it holds enough questions, then cut after the line of the last one wanted.
        for (;;) {
            Text += one;
            const MemoryDocument doc = MemoryDocument::FromCp1251(Text);
            TQuestionCollector collector(Dic, Combi, Window, Limits);
            const std::vector<TCollectedQuestion> found = collector.Collect(doc, Ui);
            if (found.size() < Questions || one.empty())
                continue;
            const std::size_t end = Text.find('\n', static_cast<std::size_t>(found[Questions - 1].Position));
            Text.resize(end == std::string::npos ? Text.size() : end + 1);
            return;
        }
    }
};

TSetup& Setup()
{
    static TSetup setup;
    return setup;
}

double HeadlessSeconds = 0;
double WindowSeconds = 0;
std::size_t Gathered = 0;
int Rows = 0;

void BM_CollectHeadless(benchmark::State& state)
{
    TSetup& s = Setup();
    const MemoryDocument doc = MemoryDocument::FromCp1251(s.Text);
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TQuestionCollector collector(s.Dic, s.Combi, s.Window, s.Limits);
        const std::vector<TCollectedQuestion> found = collector.Collect(doc, s.Ui);
        total += Since(start);
        Gathered = found.size();
    }
    HeadlessSeconds = total / static_cast<double>(state.iterations());
    state.counters["questions"] = static_cast<double>(Gathered);
}

void BM_OpenReviewWindow(benchmark::State& state)
{
    TStartedWindow window;
    TMainForm& form = window.Form;
    form.Editor().setPlainText(ToQString(Setup().Text));
    QApplication::processEvents();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        {
            TReviewForm review(form);
            review.Reload();
            review.show();
            QApplication::processEvents();
            total += Since(start);
            Rows = 0;
            for (int i = 0; i < review.Tree().topLevelItemCount(); ++i)
                Rows += review.Tree().topLevelItem(i)->childCount();
            state.PauseTiming();
        }
        QApplication::processEvents();
        state.ResumeTiming();
    }
    WindowSeconds = total / static_cast<double>(state.iterations());
    state.counters["rows"] = Rows;
}

BENCHMARK(BM_CollectHeadless)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenReviewWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

// The run's report: each window against the same work without one.
void PrintReport()
{
    if (HeadlessSeconds > 0 && WindowSeconds > 0)
        std::printf("text %zu bytes; questions %zu; rows in the window %d (with the mixed spellings)\n",
            Setup().Text.size(), Gathered, Rows);
    PrintRatio("window / headless", WindowSeconds, HeadlessSeconds, " (goal: at most 2)");
}

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    return tildo::RunWindowBenchmarks(argc, argv, tildo::PrintReport);
}
