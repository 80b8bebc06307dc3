// Takes the documentation's pictures of the dictionary editor and of the
// statistics window: the shipped data in a scratch program directory, a short
// text collected for new ё into the word pane and the current dictionary opened
// in the editor with one word added; then a pass over the text, every question
// answered ё, and the statistics window. Run it under a virtual X server
// (scripts/screenshot.sh). A third argument also writes the word-form dialog.
#include "dic_edit_form.h"
#include "framed_window.h"
#include "line_pane.h"
#include "main_form.h"
#include "qt_morph_form.h"
#include "qt_strings.h"
#include "stat_form.h"
#include "support/recording_ui.h"
#include "tools/morph_form.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <filesystem>

namespace {

bool Save(QWidget& window, const char* path)
{
    QApplication::processEvents();
    if (Framed(window).save(QString::fromLocal8Bit(path)))
        return true;
    std::fprintf(stderr, "cannot write %s\n", path);
    return false;
}

class TDottedAsker : public tildo::Asker
{
public:
    tildo::TAnswer Ask(const tildo::TQuestion&) override { return tildo::TAnswer::Dotted; }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: gui_tool_screenshots EDITOR.png STATISTICS.png [WORDFORMS.png]\n");
        return 2;
    }
    using tildo::test::W;
    tildo::test::TTempDir dir;
    for (const char* name : { "tildo.dat", "combi.dat", "morphs.dat" })
        std::filesystem::copy_file(std::string(TILDO_DATA_DIR "/") + name, dir.Path() + "/" + name);
    const std::string text = dir.Write("Ёлки.txt",
        W("Еще вчера мы шли через лес. Елки стояли в инее, и все вокруг было тихо.\n"
          "Ерш плескался в проруби, а ежик спал под снегом; ёшкин кот, сказал ёлкинец.\n"
          "Ёксель-моксель, подъёмчик сломался, а ёлкинец все чинил его до ночи.\n"
          "Мы несли с собой теплый чай и пели песни, а над рекой плыл туман.\n"
          "Потом все разошлись по домам, и только ветер шумел в темном лесу.\n"));

    tildo::TMainForm form;
    form.Start({ text }, dir.Path());
    form.DeferredStart();
    form.resize(760, 520);
    form.move(30, 30);
    form.show();
    QApplication::processEvents();

    // The new-ё collection, then the editor with the current dictionary.
    form.Command("YoCollect1")->trigger();
    tildo::TDicEditForm& editor = form.DicEditForm();
    editor.Open(QRect(30, 30, 760, 520), { 150, false }, false);
    editor.Command("OpenCurrDic1")->trigger();
    editor.WordPane().setFocus();
    editor.WordPane().Select(0, 0);
    editor.Command("AddToDic1")->trigger();
    bool ok = Save(editor, argv[1]);

    if (argc > 3) {
        tildo::TQtMorphForm& morph = editor.MorphForm();
        tildo::TMorphoGen rules;
        rules.LoadMorphs(dir.Path() + "/morphs.dat");
        tildo::TMorphForm forms(rules);
        forms.Prepare(W("ёлка"));
        morph.Show(forms);
        morph.show();
        ok = Save(morph, argv[3]) && ok;
        morph.hide();
    }
    editor.hide(); // leaves the edits unsaved without the question

    TDottedAsker asker;
    form.SetAsker(&asker);
    form.RunPass(0, 1);
    tildo::TStatForm& stats = form.StatForm();
    stats.Fill(form.Dic(), form.CombiDic());
    stats.show();
    ok = Save(stats, argv[2]) && ok;
    return ok ? 0 : 1;
}
