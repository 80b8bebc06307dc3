// The review of every disputed word in the real window: groups and counts,
// answers by keys for a row and for a group, the place shown in the editor,
// "Применить" and the one-step "Откат".
#include "main_form_fixture.h"

#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "qt_text_document.h"
#include "review_form.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tildo {
namespace {

using test::TMainFormFixture;
using test::W;

void Key(QTreeWidget& tree, QTreeWidgetItem* item, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    tree.setCurrentItem(item);
    QTest::keyClick(&tree, key, modifiers);
}

QString Answers(const QTreeWidgetItem* group)
{
    QString out;
    for (int i = 0; i < group->childCount(); ++i)
        out += group->child(i)->checkState(0) == Qt::Checked ? QChar(u'ё') : QChar(u'е');
    return out;
}

TEST(ReviewForm, GroupsAnswersByKeysApplyAndOneStepUndo)
{
    TMainFormFixture f;
    f.Command("Context1")->trigger(); // every все asked: the groups as a person answers them
    const std::string original = W("Все мы все знали: тёмный лес, еще все\r\nи все темный. Ещё раз.\r\n");
    f.Dir.Write("a.txt", original);
    f.Ui->OpenChoices = { f.QPath("a.txt") };
    f.Command("Open1")->trigger();
    const QString before = f.EditorText();
    ASSERT_TRUE(f.Command("Review1")->isEnabled());
    EXPECT_EQ(f.Command("Review1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F10));

    TReviewForm review(*f.Form);
    review.Reload();
    review.show();
    QTreeWidget& tree = review.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    QTreeWidgetItem* all = tree.topLevelItem(0);
    QTreeWidgetItem* mixed = tree.topLevelItem(1);
    EXPECT_EQ(all->text(0), QString::fromUtf8("все/всё — 4"));
    EXPECT_EQ(mixed->text(0), QString::fromUtf8("Написано по-разному — 4"));
    ASSERT_EQ(all->childCount(), 4);
    EXPECT_EQ(all->child(1)->text(1), QStringLiteral("1:8"));
    EXPECT_EQ(all->child(1)->text(2), QString::fromUtf8("Все мы все знали: тёмный лес,…"));
    // Proposed: е for все (nothing remembered), ё for the mixed spellings (a tie).
    EXPECT_EQ(Answers(all), QString::fromUtf8("ееее"));
    EXPECT_EQ(Answers(mixed), QString::fromUtf8("ёёёё"));
    EXPECT_EQ(f.EditorText(), before); // gathering changed nothing

    Key(tree, all->child(1), Qt::Key_2);
    Key(tree, all->child(2), Qt::Key_Space);
    EXPECT_EQ(Answers(all), QString::fromUtf8("еёёе"));
    Key(tree, all->child(0), Qt::Key_1, Qt::ShiftModifier);
    EXPECT_EQ(Answers(all), QString::fromUtf8("ееее"));
    Key(tree, all->child(0), Qt::Key_2, Qt::ShiftModifier);
    Key(tree, all->child(3), Qt::Key_1);
    EXPECT_EQ(Answers(all), QString::fromUtf8("ёёёе"));
    EXPECT_EQ(Answers(mixed), QString::fromUtf8("ёёёё")); // the other group untouched
    Key(tree, mixed->child(1), Qt::Key_1);
    Key(tree, mixed->child(1), Qt::Key_Space);
    EXPECT_EQ(all->child(0)->text(0), QString::fromUtf8("ё"));

    // Enter shows the word in the editor.
    Key(tree, all->child(2), Qt::Key_Return);
    EXPECT_EQ(f.Form->Editor().textCursor().selectionStart(), 34);
    EXPECT_EQ(f.Form->Editor().textCursor().selectionEnd(), 37);

    review.findChild<QPushButton*>(QStringLiteral("ApplyButton"))->click();
    EXPECT_FALSE(review.isVisible());
    EXPECT_EQ(
        f.EditorText(), QString::fromUtf8("Всё мы всё знали: тёмный лес, ещё всё\nи все тёмный. Ещё раз.\n"));
    TQtTextDocument& doc = f.Form->Document();
    for (int at : { 2, 9, 32, 36, 45 })
        EXPECT_EQ(doc.CharColour(at), ColourBlue) << at;
    for (int at : { 19, 42 })
        EXPECT_EQ(doc.CharColour(at), ColourBlack) << at;
    const QString status = f.Form->findChild<QLabel*>(QStringLiteral("StatusLine"))->text();
    // еще is no question: the pass writes it as Ctrl+F9 does.
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("Новых \"Ё/Е\": 5/0 (в т.ч. с запросом 4/0)")))
        << status.toStdString();
    EXPECT_FALSE(f.Command("VarOnly1")->isChecked()); // the option as it was

    // One "Откат" takes all of it back, colours included.
    QAction* undo = f.Command("Undo1");
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QString::fromUtf8("Откат \"Обзор спорных слов\""));
    undo->trigger();
    EXPECT_EQ(f.EditorText(), before);
    for (int at : { 2, 9, 32, 36, 45 })
        EXPECT_EQ(doc.CharColour(at), ColourBlack) << at;
    EXPECT_FALSE(undo->isEnabled());
}

// The text with every ё of it written as е, as the program meets it.
std::string Folded(std::string utf8)
{
    for (const auto& [from, to] : { std::pair { "ё", "е" }, std::pair { "Ё", "Е" } }) {
        for (std::size_t at = utf8.find(from); at != std::string::npos; at = utf8.find(from, at))
            utf8.replace(at, 2, to);
    }
    return utf8;
}

// The head of a corpus text, whole lines of it, with LF line breaks; empty
// when the corpus is not there.
std::string CorpusHead(const std::string& path, std::size_t bytes)
{
    if (!std::filesystem::exists(path))
        return {};
    std::string text = ReadWholeFile(path);
    text.resize(std::min(text.size(), bytes));
    text.resize(text.rfind('\n') + 1);
    std::erase(text, '\r');
    return text;
}

TEST(ReviewForm, ApplyGivesWhatTheCommandLineGivesWithTheSameDecisions)
{
    const std::string corpus = std::string(TILDO_SOURCE_DIR) + "/../shared/";
    std::vector<std::string> truths = { "Мы всё сделали, а её брат всё ещё спал. Это всё, что я знаю.\n" };
    for (const char* name : { "corpus/guide-a.txt", "corpus/guide-b.txt", "corpus-prose/app-manuals.txt",
             "corpus-prose/game-edu-manuals.txt" }) {
        const std::string head = CorpusHead(corpus + name, 24'000);
        if (!head.empty())
            truths.push_back(head);
    }
    TMainFormFixture f({}, false, {}, TMainFormFixture::ShippedFiles());
    f.Command("ToConfirm1")->setChecked(false); // each text replaces the last one
    ASSERT_TRUE(f.Command("CombiWords1")->isEnabled());
    f.Command("CombiWords1")->setChecked(true);

    int changedInAll = 0; // answers unlike the list's proposals
    for (std::size_t t = 0; t < truths.size(); ++t) {
        SCOPED_TRACE(t);
        const std::string truth = W(truths[t]); // offsets as the window counts them
        const std::string input = Folded(truths[t]);
        f.Dir.Write("in.txt", input);
        f.Ui->OpenChoices = { f.QPath("in.txt") };
        f.Command("Open1")->trigger();
        std::vector<int> lineStarts = { 0 };
        for (std::size_t i = 0; i < truth.size(); ++i) {
            if (truth[i] == '\n')
                lineStarts.push_back(static_cast<int>(i) + 1);
        }

        // Every question answered as the original text has it, which is often
        // not what the list proposes.
        TReviewForm review(*f.Form);
        review.Reload();
        nlohmann::json questions = nlohmann::json::array();
        int changed = 0;
        for (int g = 0; g < review.Tree().topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = review.Tree().topLevelItem(g);
            for (int i = 0; i < group->childCount(); ++i) {
                QTreeWidgetItem* row = group->child(i);
                if ((row->flags() & Qt::ItemIsUserCheckable) == 0)
                    continue;
                const QStringList place = row->text(1).split(QLatin1Char(':'));
                const int line = place[0].toInt();
                const int column = place[1].toInt();
                const std::size_t at = static_cast<std::size_t>(lineStarts[line - 1] + column - 1);
                std::size_t end = at;
                while (end < truth.size() && IsRussianLetter(truth[end]))
                    ++end;
                const std::string word = truth.substr(at, end - at);
                const bool dotted = word.find_first_of(W("ёЁ")) != std::string::npos;
                if ((row->checkState(0) == Qt::Checked) != dotted)
                    ++changed;
                row->setCheckState(0, dotted ? Qt::Checked : Qt::Unchecked);
                questions.push_back({ { "line", line }, { "column", column },
                    { "word", Cp1251ToUtf8(FoldDottedE(word)) }, { "answer", dotted ? "ё" : "е" } });
            }
        }
        changedInAll += changed;
        review.findChild<QPushButton*>(QStringLiteral("ApplyButton"))->click();

        f.Dir.Write("decisions.json", nlohmann::json { { "questions", questions } }.dump());
        QString errors;
        const int code = f.RunCli(
            QStringList { QStringLiteral("restore"), QStringLiteral("-d"), f.QPath("tildo.dat"),
                QStringLiteral("-c"), f.QPath("combi.dat"), QStringLiteral("--decisions"),
                f.QPath("decisions.json"), QStringLiteral("-o"), f.QPath("out.txt"), f.QPath("in.txt") }
                + f.CliOptions(),
            &errors);
        // Every decision met a question of the command line's pass too.
        EXPECT_EQ(code, 0) << errors.toStdString();
        EXPECT_EQ(f.EditorText(), QString::fromUtf8(ReadWholeFile(f.Path("out.txt"))));
        if (t == 0) {
            EXPECT_EQ(f.EditorText(), QString::fromUtf8(truths[0]));
        }
    }
    if (truths.size() > 1) {
        EXPECT_GT(changedInAll, 0);
    }
}

TEST(ReviewForm, ATextWithoutDisputedWordsHasNothingToApply)
{
    TMainFormFixture f;
    f.Dir.Write("a.txt", W("Еще одна елка.\n"));
    f.Ui->OpenChoices = { f.QPath("a.txt") };
    f.Command("Open1")->trigger();
    TReviewForm review(*f.Form);
    review.Reload();
    EXPECT_EQ(review.Tree().topLevelItemCount(), 0);
    EXPECT_FALSE(review.findChild<QPushButton*>(QStringLiteral("ApplyButton"))->isEnabled());
}

} // namespace
} // namespace tildo
