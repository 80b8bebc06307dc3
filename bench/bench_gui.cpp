// A restoration pass over a 1 MB text in the window (the Qt document over the
// editor, the window's user interface, "Быстрая промотка" and "Только
// бесспорные замены" on), beside the same pass without a window (a
// MemoryDocument and a silent interface) in the same run. The text is the
// corpus in CP1251, repeated to 1 MB; the dictionary is the shipped one.
// The goal: the window's pass within three times the headless one, with the
// floating question dialog and with the docked panel. The window's repaint
// after the pass is measured apart and shown beside.
//
// Then the pass with "Быстрая промотка" off, as a user starts (the view
// follows the pass), on 1 MB and on 20 MB, beside the headless pass of the
// same text: within twice. Both sides judge by context, as the window and the
// command-line tool do by default; the tag dictionary is read beforehand on
// both.
//
// Then opening a 10 MB DOCX in the window (its running text shown, a
// paragraph a line) beside opening the same text as a .txt file: within twice.
//
// Then a search of a 10 MB text (the corpus repeated, a word planted near its
// end) with the find dialog in the window, plain and pattern, beside the same
// searches of the same string without a window: within twice.

#include "app/context_data.h"
#include "app/documents.h"
#include "app/text_search.h"
#include "engine/yoficator.h"
#include "find_dialog.h"
#include "formats/zip_rewrite.h"
#include "platform/file_io.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"
#include "regex/find_all.h"
#include "regex/pattern_engine.h"
#include "text/cp1251.h"
#include "text/memory_document.h"
#include "window_fixture.h"

#include <QPlainTextEdit>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace tildo {
namespace {

constexpr std::size_t TargetTextBytes = 1u << 20;

const std::string& CorpusText()
{
    static const std::string text = RepeatedTo(CorpusCp1251(), TargetTextBytes);
    return text;
}

constexpr std::size_t LargeTextBytes = 20u << 20;

// The text of a pass with the default options: 1 MB (size 0) or 20 MB (1).
const std::string& FollowedText(std::int64_t size)
{
    static const std::string large = RepeatedTo(CorpusCp1251(), LargeTextBytes);
    return size == 0 ? CorpusText() : large;
}

double FollowedSeconds[2][2] = {}; // [1 MB, 20 MB][headless, window]
double FollowedCpuSeconds[2][2] = {}; // the same in processor time

// Mean seconds per pass of each side, wall clock and processor time, for the
// ratios printed at the end.
double HeadlessSeconds = 0;
double WindowSeconds = 0;
double HeadlessCpuSeconds = 0;
double WindowCpuSeconds = 0;
double RepaintSeconds = 0; // the window's repaint after the pass, apart
double DockedSeconds = 0;
double SearchSeconds[2][2] = {}; // [plain, pattern][headless, window]
long long HeadlessChanges = 0;
long long WindowChanges = 0;

void SetPassOptions(UserInterface& ui)
{
    ui.SetCommandChecked("Mark1", true);
    ui.SetCommandChecked("FastScroll1", true);
    ui.SetCommandChecked("NoVarOnly1", true);
    ui.SetCommandChecked("VarOnly1", false);
    ui.SetCommandChecked("AlwaysAsk1", false);
    ui.SetCommandChecked("CheckYo1", false);
    ui.SetCommandChecked("CombiWords1", false);
}

void BM_HeadlessPass(benchmark::State& state)
{
    TShippedDictionaries s;
    SetPassOptions(s.Ui);
    TPlainAsker asker;
    double total = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryDocument doc = MemoryDocument::FromCp1251(CorpusText());
        TYoficator engine(doc, s.Ui, asker, s.Dic, s.Combi, s.Window, s.Limits);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuNow();
        engine.DoYoficate(0, 1);
        cpu += CpuNow() - cpuStart;
        total += Since(start);
        HeadlessChanges = engine.Counters().NewDottedCount + engine.Counters().NewPlainCount;
    }
    HeadlessSeconds = total / static_cast<double>(state.iterations());
    HeadlessCpuSeconds = cpu / static_cast<double>(state.iterations());
    state.counters["letters"] = static_cast<double>(HeadlessChanges);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CorpusText().size()));
}

void WindowPass(benchmark::State& state, bool docked)
{
    TStartedWindow window;
    TMainForm& form = window.Form;
    SetPassOptions(form.Ui());
    form.Ui().SetCommandChecked("ToDockAskForm1", docked);
    const QString text = ToQString(CorpusText());
    double total = 0;
    double cpu = 0;
    double repaint = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form.Editor().setPlainText(text);
        form.Engine().Counters().Reset();
        QApplication::processEvents();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuNow();
        form.RunPass(0, 1);
        cpu += CpuNow() - cpuStart;
        const auto passEnd = std::chrono::steady_clock::now();
        total += std::chrono::duration<double>(passEnd - start).count();
        // Then the window is painted anew, which the user waits for as well.
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
        repaint += Since(passEnd);
        WindowChanges = form.Engine().Counters().NewDottedCount + form.Engine().Counters().NewPlainCount;
    }
    if (docked) {
        DockedSeconds = total / static_cast<double>(state.iterations());
    } else {
        WindowSeconds = total / static_cast<double>(state.iterations());
        WindowCpuSeconds = cpu / static_cast<double>(state.iterations());
        RepaintSeconds = repaint / static_cast<double>(state.iterations());
    }
    state.counters["letters"] = static_cast<double>(WindowChanges);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CorpusText().size()));
}

void BM_WindowPass(benchmark::State& state)
{
    WindowPass(state, false);
}

void BM_DockedPanelPass(benchmark::State& state)
{
    WindowPass(state, true);
}

// --- search --------------------------------------------------------------------

constexpr std::size_t SearchTextBytes = 10u << 20;
const char* const PlantedWord = "Черемуховый";

// The corpus repeated to 10 MB with the planted word 1000 bytes before the end.
const std::string& SearchText()
{
    static const std::string text = [] {
        std::string all;
        while (all.size() < SearchTextBytes)
            all += CorpusText();
        all.resize(SearchTextBytes);
        const std::string word = Utf8ToCp1251(PlantedWord);
        all.replace(all.size() - 1000, word.size(), word);
        return all;
    }();
    return text;
}

std::string SearchFor(bool pattern)
{
    return Utf8ToCp1251(pattern ? "[Чч]ерем[уy]х[а-я]+" : "черемуховый");
}

void BM_HeadlessSearch(benchmark::State& state)
{
    const bool pattern = state.range(0) != 0;
    const std::string& text = SearchText();
    const std::string what = SearchFor(pattern);
    TPatternEngine engine;
    SetFindModifiers(engine, true);
    int found = -1;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (pattern) {
            engine.SetExpression(what);
            engine.SetInputString(text);
            found = engine.ExecPos(1) ? engine.MatchStart(0) - 1 : -1;
        } else {
            found = FindPlain(text, what, 0, false, false);
        }
        total += Since(start);
    }
    if (found != static_cast<int>(text.size()) - 1000)
        state.SkipWithError("the planted word was not found");
    SearchSeconds[pattern][0] = total / static_cast<double>(state.iterations());
}

void BM_WindowSearch(benchmark::State& state)
{
    const bool pattern = state.range(0) != 0;
    TMainForm form;
    form.resize(900, 700);
    form.show();
    form.Editor().setPlainText(ToQString(SearchText()));
    QApplication::processEvents();
    TFindDialog& dialog = form.FindDialog();
    dialog.SetSearchText(ToQString(SearchFor(pattern)));
    double total = 0;
    bool found = true;
    for (auto _ : state) {
        state.PauseTiming();
        form.Document().Select(0, 0);
        dialog.StartSearch(form.Document(), form.Ui(), pattern ? TFindMode::Pattern : TFindMode::Plain);
        QApplication::processEvents();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        found = dialog.FindNext() && found;
        total += Since(start);
    }
    if (!found || form.Document().SelStart() != static_cast<int>(SearchText().size()) - 1000)
        state.SkipWithError("the planted word was not found");
    SearchSeconds[pattern][1] = total / static_cast<double>(state.iterations());
    dialog.hide();
}

// --- opening a document --------------------------------------------------------

constexpr std::size_t OpenedTextBytes = 10u << 20;
double OpenSeconds[2] = {}; // [.txt, .docx]

// The corpus repeated to 10 MB in UTF-8, as a .txt file and as a DOCX (a
// document of the test data with its body replaced: a paragraph a line).
struct TOpenedFiles
{
    TBenchDir Dir;
    std::string Txt = Dir.Path + "/text.txt";
    std::string Docx = Dir.Path + "/text.docx";
    TOpenedFiles()
    {
        const std::string text = Cp1251ToUtf8(RepeatedTo(CorpusCp1251(), OpenedTextBytes));
        std::ofstream(Txt, std::ios::binary) << text;
        std::string body;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            for (std::size_t i = 0; (i = line.find_first_of("&<>", i)) != std::string::npos; ++i)
                line.replace(i, 1, line[i] == '&' ? "&amp;" : line[i] == '<' ? "&lt;" : "&gt;");
            body += "<w:p><w:r><w:t xml:space=\"preserve\">" + line + "</w:t></w:r></w:p>";
            start = end + 1;
        }
        const std::string model = ReadWholeFile(TILDO_TEST_DATA_DIR "/split_runs.docx");
        const std::optional<TZipDirectory> directory = ReadZipDirectory(model);
        if (!directory)
            std::abort();
        for (int i = 0; i < static_cast<int>(directory->Entries.size()); ++i) {
            const std::optional<std::string> member = ReadZipMember(model, *directory, i, 1u << 20);
            const std::size_t open = member ? member->find("<w:body>") : std::string::npos;
            if (open == std::string::npos)
                continue;
            const std::size_t close = member->find("</w:body>");
            const std::string document = member->substr(0, open + 8) + body + member->substr(close);
            const std::optional<std::string> docx = RewriteZip(model, *directory, { { i, document } });
            if (!docx)
                std::abort();
            std::ofstream(Docx, std::ios::binary) << *docx;
            return;
        }
        std::abort();
    }
};

void BM_OpenDocument(benchmark::State& state)
{
    const bool docx = state.range(0) != 0;
    static const TOpenedFiles files;
    TStartedWindow started;
    TMainForm& form = started.Form;
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form.Editor().clear();
        QApplication::processEvents();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (!form.Documents().OpenDocument(docx ? files.Docx : files.Txt))
            state.SkipWithError("the file did not open");
        QApplication::processEvents(); // the window shows it
        total += Since(start);
    }
    if (form.Document().Length() < static_cast<int>(OpenedTextBytes / 4))
        state.SkipWithError("the text did not reach the editor");
    OpenSeconds[docx] = total / static_cast<double>(state.iterations());
}

// The pass with the default options: the view follows it.
void BM_FollowedPass(benchmark::State& state)
{
    const std::int64_t size = state.range(0);
    const bool window = state.range(1) != 0;
    const std::string& corpus = FollowedText(size);
    // "Быстрая промотка" off as a user starts; no questions, as above.
    const auto defaults = [](UserInterface& ui) {
        SetPassOptions(ui);
        ui.SetCommandChecked("FastScroll1", false);
    };
    double total = 0;
    double cpu = 0;
    if (window) {
        TStartedWindow started;
        TMainForm& form = started.Form;
        defaults(form.Ui());
        if (form.ContextJudge() == nullptr)
            state.SkipWithError("the tag dictionary did not load");
        const QString text = ToQString(corpus);
        for (auto _ : state) {
            state.PauseTiming();
            form.Editor().setPlainText(text);
            QApplication::processEvents();
            state.ResumeTiming();
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = CpuNow();
            form.RunPass(0, 1);
            cpu += CpuNow() - cpuStart;
            total += Since(start);
        }
    } else {
        TShippedDictionaries s;
        defaults(s.Ui);
        s.Ui.SetCommandChecked("Context1", true);
        TContextData context;
        TContextJudge* judge
            = context.JudgeFor(s.Ui, TILDO_DATA_DIR "/tags.dat", TILDO_DATA_DIR "/rare_yo.dat");
        if (judge == nullptr)
            state.SkipWithError("the tag dictionary did not load");
        TPlainAsker asker;
        for (auto _ : state) {
            state.PauseTiming();
            MemoryDocument doc = MemoryDocument::FromCp1251(corpus);
            TYoficator engine(doc, s.Ui, asker, s.Dic, s.Combi, s.Window, s.Limits);
            engine.SetContextJudge(judge);
            state.ResumeTiming();
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = CpuNow();
            engine.DoYoficate(0, 1);
            cpu += CpuNow() - cpuStart;
            total += Since(start);
        }
    }
    FollowedSeconds[size][window] = total / static_cast<double>(state.iterations());
    FollowedCpuSeconds[size][window] = cpu / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.size()));
}

BENCHMARK(BM_HeadlessPass)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_WindowPass)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DockedPanelPass)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_FollowedPass)->Args({ 0, 0 })->Args({ 0, 1 })->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FollowedPass)->Args({ 1, 0 })->Args({ 1, 1 })->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HeadlessSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WindowSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

// The run's report: each window against the same work without one.
void PrintReport()
{
    if (HeadlessSeconds > 0 && WindowSeconds > 0)
        std::printf("text %zu bytes; letters changed: headless %lld, window %lld\n", CorpusText().size(),
            HeadlessChanges, WindowChanges);
    PrintRatio("window / headless, wall clock", WindowSeconds, HeadlessSeconds, " (goal: at most 3)");
    PrintRatio("window / headless, processor time", WindowCpuSeconds, HeadlessCpuSeconds);
    if (WindowSeconds > 0)
        PrintRatio("with the window's repaint after it", WindowSeconds + RepaintSeconds, HeadlessSeconds);
    PrintRatio("docked panel / headless, wall clock", DockedSeconds, HeadlessSeconds, " (goal: at most 3)");
    PrintRatio("default options, 1 MB, window / headless", FollowedSeconds[0][1], FollowedSeconds[0][0],
        " (goal: at most 2)");
    PrintRatio("default options, 20 MB, window / headless", FollowedSeconds[1][1], FollowedSeconds[1][0],
        " (goal: at most 2)");
    PrintRatio("default options, 1 MB, processor time", FollowedCpuSeconds[0][1], FollowedCpuSeconds[0][0]);
    PrintRatio("default options, 20 MB, processor time", FollowedCpuSeconds[1][1], FollowedCpuSeconds[1][0]);
    PrintRatio("opening 10 MB, DOCX / .txt", OpenSeconds[1], OpenSeconds[0], " (goal: at most 2)");
    PrintRatio("plain search of 10 MB, window / headless", SearchSeconds[0][1], SearchSeconds[0][0],
        " (goal: at most 2)");
    PrintRatio("pattern search of 10 MB, window / headless", SearchSeconds[1][1], SearchSeconds[1][0],
        " (goal: at most 2)");
}

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    return tildo::RunWindowBenchmarks(argc, argv, tildo::PrintReport);
}
