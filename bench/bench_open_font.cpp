// Opening a 20 MB text in the window with the editor font the settings name,
// beside opening it with the default font, in the same run. The text is the
// corpus in CP1251 repeated to 20 MB; each case starts the window from a
// tildo.ini of its own, so the font goes the way a user's does. What is timed
// is what the user waits for: reading and showing the text, the first paint,
// then Ctrl+End and the paint at the end.
//
// Cases: the default font; a font that is installed and differs from the
// default (a serif face with Cyrillic); a family that no font on the machine
// has; and a size far beyond any screen's, as a hand-edited file may hold.
// The goal: each within 1.5 times the default font.
#include "app/documents.h"
#include "qt_strings.h"
#include "window_fixture.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace tildo {
namespace {

constexpr std::size_t TextBytes = 20u << 20;
const char* const MissingFamily = "Tildo Bench Missing Family";

enum TCase { DefaultFont, OtherFont, MissingFont, HugeSize, CaseCount };

const char* const CaseNames[CaseCount]
    = { "default font", "installed other font", "family not installed", "FontSize=2147483647" };

// An installed family with Cyrillic that the default font does not resolve
// to, serif first so that it differs at a glance.
QString OtherFamily(const QString& defaultFamily)
{
    const QStringList families = QFontDatabase::families(QFontDatabase::Cyrillic);
    for (const QString& wanted : { QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif") }) {
        if (families.contains(wanted) && wanted != defaultFamily)
            return wanted;
    }
    for (const QString& family : families) {
        if (family != defaultFamily && !QFontDatabase::isFixedPitch(family))
            return family;
    }
    return {};
}

std::string IniFor(TCase which, const QString& other)
{
    switch (which) {
    case OtherFont:
        return "[Tildo]\nFontName=" + PathFromQString(other) + "\nFontSize=12\n";
    case MissingFont:
        return std::string("[Tildo]\nFontName=") + MissingFamily + "\nFontSize=12\n";
    case HugeSize:
        return "[Tildo]\nFontName=" + PathFromQString(other) + "\nFontSize=2147483647\n";
    default:
        return "[Tildo]\n";
    }
}

struct TTimes
{
    double Open = 0;
    double FirstPaint = 0;
    double EndPaint = 0;
    double Total() const { return Open + FirstPaint + EndPaint; }
};

TTimes Measured[CaseCount];
QString ShownFamily[CaseCount];
int ShownSize[CaseCount] = {};

void Paint(QPlainTextEdit& editor)
{
    editor.viewport()->repaint();
    QApplication::processEvents();
}

void BM_OpenText(benchmark::State& state)
{
    const auto which = static_cast<TCase>(state.range(0));
    // The family the default font resolves to on this machine.
    const QString defaultFamily = QFontInfo(QFont(PathToQString(TEditorFont {}.Name))).family();
    const QString other = OtherFamily(defaultFamily);
    if (which != DefaultFont && which != MissingFont && other.isEmpty()) {
        state.SkipWithError("no other font with Cyrillic is installed");
        return;
    }
    TStartedWindow window(IniFor(which, other));
    TMainForm& form = window.Form;
    const std::string textPath = window.Dir.Path + "/text.txt";
    std::ofstream(textPath, std::ios::binary) << RepeatedTo(CorpusCp1251(), TextBytes);
    QPlainTextEdit& editor = form.Editor();
    TTimes sum;
    bool opened = true;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        opened = form.Documents().OpenDocument(textPath) && opened;
        sum.Open += Since(start);
        start = std::chrono::steady_clock::now();
        Paint(editor);
        sum.FirstPaint += Since(start);
        start = std::chrono::steady_clock::now();
        editor.moveCursor(QTextCursor::End);
        Paint(editor);
        sum.EndPaint += Since(start);
    }
    if (!opened || editor.document()->characterCount() < static_cast<int>(TextBytes / 2)
        || editor.verticalScrollBar()->value() != editor.verticalScrollBar()->maximum()) {
        state.SkipWithError("the text was not opened and shown to its end");
    }
    const double n = static_cast<double>(state.iterations());
    Measured[which] = { sum.Open / n, sum.FirstPaint / n, sum.EndPaint / n };
    ShownFamily[which] = QFontInfo(editor.font()).family();
    ShownSize[which] = QFontInfo(editor.font()).pointSize();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TextBytes));
}

BENCHMARK(BM_OpenText)
    ->ArgName("case")
    ->DenseRange(0, CaseCount - 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void PrintRatios()
{
    const TTimes& base = Measured[DefaultFont];
    if (base.Total() <= 0)
        return;
    std::printf("opening %zu bytes, first paint, Ctrl+End and its paint (ms):\n", TextBytes);
    for (int i = 0; i < CaseCount; ++i) {
        const TTimes& t = Measured[i];
        if (t.Total() <= 0)
            continue;
        std::printf(
            "%-22s %-24s %3d pt: open %7.1f, paint %6.1f, end %6.1f, total %7.1f = %.2f of default%s\n",
            CaseNames[i], ShownFamily[i].toUtf8().constData(), ShownSize[i], t.Open * 1e3, t.FirstPaint * 1e3,
            t.EndPaint * 1e3, t.Total() * 1e3, t.Total() / base.Total(),
            i == DefaultFont ? "" : " (goal: at most 1.5)");
    }
}

} // namespace
} // namespace tildo

int main(int argc, char** argv)
{
    return tildo::RunWindowBenchmarks(argc, argv, tildo::PrintRatios);
}
