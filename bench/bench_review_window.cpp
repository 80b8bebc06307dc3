// Opening the review window (gathering the questions, filling the grouped list
// and showing it) for a text with 5 000 questions, beside gathering them
// without a window, in the same run. The text is the corpus in CP1251 with
// every ё typed as е, repeated and cut after the line of the 5 000th question;
// the dictionary is the shipped one. The goal: the window within twice the
// headless gathering.
#include "corpus_fixture.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/question_collector.h"
#include "main_form.h"
#include "platform/file_io.h"
#include "platform/null_user_interface.h"
#include "qt_strings.h"
#include "review_form.h"
#include "text/cp1251.h"
#include "text/letters.h"
#include "text/memory_document.h"
#include "window_bench_main.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tildo {
namespace {

constexpr std::size_t Questions = 5000;

struct TSetup
{
    TNullUserInterface ui;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TWordBuffer window { limits };
    std::string text;

    TSetup()
    {
        dic.FileName = TILDO_DATA_DIR "/tildo.dat";
        dic.ReadDic(ui);
        ui.SetCommandChecked("Mark1", true);
        ui.SetCommandChecked("ProposeLast1", true);
        std::string one = CorpusCp1251();
        FoldDottedEInPlace(one);
        // Repeated until it holds enough questions, then cut after the line of the last one wanted.
        for (;;) {
            text += one;
            const MemoryDocument doc = MemoryDocument::FromCp1251(text);
            TQuestionCollector collector(dic, combi, window, limits);
            const std::vector<TCollectedQuestion> found = collector.Collect(doc, ui);
            if (found.size() < Questions || one.empty())
                continue;
            const std::size_t end = text.find('\n', static_cast<std::size_t>(found[Questions - 1].Position));
            text.resize(end == std::string::npos ? text.size() : end + 1);
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
    const MemoryDocument doc = MemoryDocument::FromCp1251(s.text);
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TQuestionCollector collector(s.dic, s.combi, s.window, s.limits);
        const std::vector<TCollectedQuestion> found = collector.Collect(doc, s.ui);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Gathered = found.size();
    }
    HeadlessSeconds = total / static_cast<double>(state.iterations());
    state.counters["questions"] = static_cast<double>(Gathered);
}

void BM_OpenReviewWindow(benchmark::State& state)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tildo-bench-review";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(
        TILDO_DATA_DIR "/tildo.dat", dir / "tildo.dat", std::filesystem::copy_options::overwrite_existing);
    TMainForm form;
    form.Start({}, dir.string());
    form.DeferredStart();
    form.show();
    form.Editor().setPlainText(ToQString(Setup().text));
    QApplication::processEvents();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        {
            TReviewForm review(form);
            review.Reload();
            review.show();
            QApplication::processEvents();
            total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    return tildo::RunWindowBenchmarks(argc, argv, [] {
        if (tildo::HeadlessSeconds > 0 && tildo::WindowSeconds > 0) {
            std::printf("text %zu bytes; questions %zu; rows in the window %d (with the mixed spellings)\n",
                tildo::Setup().text.size(), tildo::Gathered, tildo::Rows);
            std::printf("window / headless: %.1f ms / %.1f ms = %.2f (goal: at most 2)\n",
                tildo::WindowSeconds * 1e3, tildo::HeadlessSeconds * 1e3,
                tildo::WindowSeconds / tildo::HeadlessSeconds);
        }
    });
}
