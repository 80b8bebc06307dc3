// The review of every disputed word in the real window: groups and counts,
// answers by keys for a row and for a group, the place shown in the editor,
// "Применить" and the one-step "Откат".
#include "main_form_fixture.h"

#include "engine/yoficator.h"
#include "qt_text_document.h"
#include "review_form.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

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
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("Новых \"Ё/Е\": 5/0 (в т.ч. с запросом 5/0)")))
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
