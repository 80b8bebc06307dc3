#include "tools_fixture.h"

#include "platform/file_io.h"
#include "qt_text_document.h"
#include "stat_form.h"
#include "support/scripted_asker.h"

#include <QAction>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TToolsFixture;
using test::W;

// The rows of a table as the view's model gives them, cells joined by '|'.
std::vector<std::string> Rows(const QTableView& view)
{
    std::vector<std::string> rows;
    const QAbstractItemModel& model = *view.model();
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.data(model.index(r, c)).toString();
        rows.push_back(cells.join(QLatin1Char('|')).toStdString());
    }
    return rows;
}

std::string Header(const QTableView& view, int column)
{
    return view.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
}

// A pass over a text in which все is asked (and answered ё) and ещё met twice.
void RunPass(TToolsFixture& f)
{
    test::TScriptedAsker asker;
    asker.Answers = { TAnswer::Dotted };
    f.Form->SetAsker(&asker);
    f.Form->Document().SetText(W("еще все елка еще"));
    f.Form->RunPass(0, 1);
    f.Form->SetAsker(nullptr);
    ASSERT_EQ(f.Form->Document().Text(), W("ещё всё ёлка ещё"));
}

TEST(StatForm, CtrlTShowsTheCountsOfThePassRebuiltAtEachOpening)
{
    TToolsFixture f;
    RunPass(f);
    std::vector<std::string> words;
    std::vector<std::string> combis;
    bool shown = false;
    const auto look = [&] {
        TStatForm& stats = f.Form->StatForm();
        shown = stats.isVisible();
        words = Rows(stats.WordsView());
        combis = Rows(stats.CombiWordsView());
        QTest::keyClick(&stats, Qt::Key_Escape);
    };
    QTimer::singleShot(0, look);
    f.Form->Command("Stat1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(f.Form->StatForm().isVisible()); // Esc closed it
    EXPECT_EQ(words,
        (std::vector<std::string> { "всё|1|0|1|1|0", "ёлка|1|0|1|1|0", "ещё|2|0|2|2|0", "ВСЕГО|4|0|4|4|0" }));
    EXPECT_EQ(combis, (std::vector<std::string> { "ВСЕГО|0" }));
    EXPECT_EQ(Header(f.Form->StatForm().WordsView(), 0), "*");
    EXPECT_EQ(Header(f.Form->StatForm().WordsView(), 1), "Общее число");

    // After "Обнулить статистику" the word-form rows are gone at the next opening.
    ASSERT_TRUE(f.Form->Command("ClearStat1")->isEnabled());
    f.Form->Command("ClearStat1")->trigger();
    shown = false;
    QApplication::setActiveWindow(f.Form.get());
    QTimer::singleShot(0, look);
    QTest::keyClick(&f.Form->Editor(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(shown);
    EXPECT_EQ(words, (std::vector<std::string> { "ВСЕГО|0|0|0|0|0" }));
}

TEST(StatForm, AHeaderClickSortsAndSaveWritesTheLog)
{
    TToolsFixture f;
    RunPass(f);
    // A window of its own, which goes while it is still shown.
    TStatForm stats(*f.Ui, f.Dir.Path());
    stats.Fill(f.Form->Dic(), f.Form->CombiDic());
    stats.show();
    QHeaderView& header = *stats.WordsView().horizontalHeader();
    const QPoint onTotal(header.sectionViewportPosition(1) + 10, header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, onTotal);
    EXPECT_EQ(Rows(stats.WordsView()),
        (std::vector<std::string> { "ещё|2|0|2|2|0", "всё|1|0|1|1|0", "ёлка|1|0|1|1|0", "ВСЕГО|4|0|4|4|0" }));
    EXPECT_EQ(Header(stats.WordsView(), 1), "Общее число*");
    EXPECT_EQ(Header(stats.WordsView(), 0), "");

    f.Ui->SaveChoices.push_back(f.QPath("stat.log"));
    QTest::mouseClick(stats.findChild<QPushButton*>(QStringLiteral("bSave")), Qt::LeftButton);
    EXPECT_EQ(f.Ui->DialogStarts.back(), f.QPath("tildo_stat.log"));
    EXPECT_EQ(ReadWholeFile(f.Path("stat.log")),
        // The names padded to the longest, ВСЕГО, then two spaces; numbers in fives.
        W("ещё        2     0     2     2     0\r\n"
          "всё        1     0     1     1     0\r\n"
          "ёлка       1     0     1     1     0\r\n"
          "ВСЕГО      4     0     4     4     0\r\n"
          "===\r\n"
          "ВСЕГО      0\r\n"));
}

} // namespace
} // namespace tildo
