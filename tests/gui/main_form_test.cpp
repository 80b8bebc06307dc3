#include "main_form.h"
#include "qt_text_document.h"
#include "recording_qt_ui.h"
#include "support/recording_ui.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingQtUi;

std::unique_ptr<TQtUserInterface> RecordingUi(QWidget& window, QLabel& status)
{
    return std::make_unique<TRecordingQtUi>(window, status);
}

TEST(MainForm, HasTheCommandsWithTheirShortcutsAndMarks)
{
    TMainForm form(RecordingUi);
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        { "Open1", QKeySequence(Qt::Key_F3) },
        { "Saveas1", QKeySequence(Qt::Key_F2) },
        { "YoPos1", QKeySequence(Qt::Key_F9) },
        { "YoBegin1", QKeySequence(Qt::CTRL | Qt::Key_F9) },
        { "Undo1", QKeySequence(Qt::CTRL | Qt::Key_Z) },
    };
    for (const auto& [name, keys] : shortcuts) {
        ASSERT_NE(form.Command(name), nullptr) << name;
        EXPECT_EQ(form.Command(name)->shortcut(), keys) << name;
    }
    for (const char* name : { "Close1", "Exit1" })
        EXPECT_NE(form.Command(name), nullptr) << name;
    EXPECT_EQ(form.Command("YoBegin1")->text(), QString::fromUtf8("Ёфицировать с начала текста"));

    for (const char* name : { "Mark1", "ProposeLast1", "ToConfirm1", "LastFile1" })
        EXPECT_TRUE(form.Command(name)->isChecked()) << name;
    for (const char* name : { "AlwaysAsk1", "FastScroll1", "CheckYo1", "NoVarOnly1", "VarOnly1", "RTF1",
             "WordWrap1", "FBFormat1", "CombiWords1" }) {
        ASSERT_NE(form.Command(name), nullptr) << name;
        EXPECT_TRUE(form.Command(name)->isCheckable()) << name;
        EXPECT_FALSE(form.Command(name)->isChecked()) << name;
    }
    EXPECT_FALSE(form.Command("CombiWords1")->isEnabled());
    EXPECT_FALSE(form.Command("Undo1")->isEnabled());

    const QStringList menus = { QString::fromUtf8("Файл"), QString::fromUtf8("Редактировать"),
        QString::fromUtf8("Ёфикация"), QString::fromUtf8("Опции") };
    QStringList seen;
    for (QAction* a : form.menuBar()->actions())
        seen << a->text();
    EXPECT_EQ(seen, menus);
}

TEST(MainForm, OnlyOneOfTheTwoReplacementLimitsIsOn)
{
    TMainForm form(RecordingUi);
    QAction* noVar = form.Command("NoVarOnly1");
    QAction* var = form.Command("VarOnly1");
    var->trigger();
    EXPECT_TRUE(var->isChecked());
    noVar->trigger();
    EXPECT_TRUE(noVar->isChecked());
    EXPECT_FALSE(var->isChecked());
    noVar->trigger();
    EXPECT_FALSE(noVar->isChecked());
    EXPECT_FALSE(var->isChecked());
}

TEST(MainForm, CommandsFollowTheTextAndTheSelection)
{
    TMainForm form(RecordingUi);
    form.show();
    for (const char* name : { "Saveas1", "Close1", "YoBegin1", "YoPos1", "Cut1", "Copy1" })
        EXPECT_FALSE(form.Command(name)->isEnabled()) << name;
    QTest::keyClicks(&form.Editor(), QStringLiteral("abc"));
    EXPECT_TRUE(form.Command("Saveas1")->isEnabled());
    EXPECT_TRUE(form.Command("Close1")->isEnabled());
    EXPECT_FALSE(form.Command("Copy1")->isEnabled());
    form.Document().Select(0, 2);
    EXPECT_TRUE(form.Command("Copy1")->isEnabled());
    EXPECT_TRUE(form.Command("Cut1")->isEnabled());
    form.Editor().clear();
    EXPECT_FALSE(form.Command("Saveas1")->isEnabled());
}

TEST(MainForm, WordWrapFollowsItsMarkWithoutMarkingTheTextModified)
{
    TMainForm form(RecordingUi);
    form.Editor().setPlainText(QStringLiteral("text"));
    form.Editor().document()->setModified(false);
    EXPECT_EQ(form.Editor().lineWrapMode(), QTextEdit::NoWrap);
    form.Command("WordWrap1")->trigger();
    EXPECT_EQ(form.Editor().lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_FALSE(form.Editor().document()->isModified());
    form.Command("RTF1")->trigger();
    EXPECT_TRUE(form.Editor().acceptRichText());
}

} // namespace
} // namespace tildo
