#pragma once

#include "dark_palette.h"
#include "main_form.h"
#include "recording_qt_ui.h"
#include "support/recording_ui.h"
#include "text_colours.h"

#include "platform/file_io.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <filesystem>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tildo::test {

// A main window started in a scratch program directory with a small
// dictionary, its message boxes and file dialogs recorded and scripted.
class TMainFormFixture
{
public:
    TTempDir Dir;
    TRecordingQtUi* Ui = nullptr;
    std::unique_ptr<TMainForm> Form;

    // всё is a variant (все is a word too); ещё and ёлка are fixed.
    static std::string Dictionary() { return W("всё?\nёлка\nещё\n"); }

    // settings: the text of a tildo.ini to start with; empty for none. files:
    // more files of the program directory (name, contents), written first.
    explicit TMainFormFixture(const std::vector<std::string>& args = {}, bool withDictionary = true,
        const std::string& settings = {}, const std::vector<std::pair<std::string, std::string>>& files = {})
    {
        for (const auto& [name, contents] : files)
            Dir.Write(name, contents);
        if (withDictionary)
            Dir.Write("tildo.dat", Dictionary());
        if (!settings.empty())
            Dir.Write("tildo.ini", settings);
        Form = std::make_unique<TMainForm>([this](QWidget& window, QLabel& status) {
            auto ui = std::make_unique<TRecordingQtUi>(window, status);
            Ui = ui.get();
            return ui;
        });
        Form->Start(args, Dir.Path());
        Form->DeferredStart();
        Form->show();
        QApplication::processEvents();
    }

    // By name, so that tests may loop over names.
    QAction* Command(const char* name) const { return Form->findChild<QAction*>(QString::fromLatin1(name)); }
    std::string Path(const std::string& name) const { return Dir.Path() + "/" + name; }
    QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }
    QString EditorText() const;

    // The window's pass options as tildo-cli's --on and --off.
    QStringList CliOptions() const
    {
        QStringList on;
        QStringList off;
        for (const char* option : { "AlwaysAsk", "Mark", "FastScroll", "CheckYo", "NoVarOnly", "VarOnly",
                 "ProposeLast", "FBFormat", "CombiWords", "Context" })
            (Command((std::string(option) + "1").c_str())->isChecked() ? on : off)
                << QString::fromLatin1(option);
        QStringList out;
        if (!on.isEmpty())
            out << QStringLiteral("--on") << on.join(QLatin1Char(','));
        if (!off.isEmpty())
            out << QStringLiteral("--off") << off.join(QLatin1Char(','));
        return out;
    }

    // Runs the tildo-cli built beside the tests, with the context data of the
    // program directory (copied to share/tildo there when the window has
    // them); its exit code, -1 when it did not finish.
    int RunCli(const QStringList& arguments, QString* errors = nullptr) const
    {
        const std::filesystem::path share = Path("share");
        std::filesystem::create_directories(share / "tildo");
        for (const char* name : { "tags.dat", "rare_yo.dat" }) {
            if (std::filesystem::exists(Path(name)) && !std::filesystem::exists(share / "tildo" / name))
                std::filesystem::copy_file(Path(name), share / "tildo" / name);
        }
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString(share.string()));
        cli.setProcessEnvironment(environment);
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tildo-cli"), arguments);
        if (!cli.waitForFinished(120'000))
            return -1;
        if (errors != nullptr)
            *errors = QString::fromUtf8(cli.readAllStandardError());
        return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    }

    // The shipped dictionaries and context data, for a window started with them.
    static std::vector<std::pair<std::string, std::string>> ShippedFiles()
    {
        std::vector<std::pair<std::string, std::string>> files;
        for (const char* name : { "tildo.dat", "combi.dat", "tags.dat", "rare_yo.dat" })
            files.emplace_back(name, ReadWholeFile(std::string(TILDO_DATA_DIR "/") + name));
        return files;
    }
};

// The best contrast of a pixel in rect of shot against background: that of
// the glyphs' solid strokes when the rectangle holds text.
inline double ShownContrast(const QImage& shot, const QRect& rect, const QColor& background)
{
    double best = 1;
    for (int y = std::max(rect.top(), 0); y <= std::min(rect.bottom(), shot.height() - 1); ++y)
        for (int x = std::max(rect.left(), 0); x <= std::min(rect.right(), shot.width() - 1); ++x)
            best = std::max(best, ContrastRatio(shot.pixelColor(x, y), background));
    return best;
}

} // namespace tildo::test
