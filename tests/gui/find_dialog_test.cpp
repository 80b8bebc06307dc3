#include "main_form_fixture.h"

#include "find_dialog.h"
#include "qt_text_document.h"
#include "regex/pattern_error.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TMainFormFixture;

struct TFindControls
{
    QLineEdit* Text;
    QCheckBox* MatchCase;
    QCheckBox* WholeWord;
    QPushButton* FindNext;
};

TFindControls Controls(TMainForm& form)
{
    auto* dialog = form.findChild<TFindDialog*>(QStringLiteral("FindDialog"));
    EXPECT_NE(dialog, nullptr);
    return { dialog->findChild<QLineEdit*>(QStringLiteral("eFindText")),
        dialog->findChild<QCheckBox*>(QStringLiteral("cbMatchCase")),
        dialog->findChild<QCheckBox*>(QStringLiteral("cbWholeWord")),
        dialog->findChild<QPushButton*>(QStringLiteral("bFindNext")) };
}

TEST(FindDialog, OpensAgainHoweverItWasClosed)
{
    TMainFormFixture f;
    f.Form->Editor().setPlainText(QStringLiteral("ёлка"));
    TFindDialog& dialog = f.Form->FindDialog();
    for (const char* command : { "Find1", "FindReg1", "Find1" }) {
        SCOPED_TRACE(command);
        f.Command(command)->trigger();
        ASSERT_TRUE(dialog.isVisible());
        ASSERT_NE(dialog.windowHandle(), nullptr);
        // The window manager's close (the title bar's × or Alt+F4) reaches
        // the dialog's native window as a close event.
        QCloseEvent close;
        QCoreApplication::sendEvent(dialog.windowHandle(), &close);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_NE(dialog.windowHandle()->handle(), nullptr); // the native window is kept for the next time
    }
    f.Command("FindReg1")->trigger();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Найти регулярное выражение"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    f.Command("Find1")->trigger();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Найти"));
    // A close button, and nothing to minimise or maximise it with.
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST(FindDialog, FindNextStepsThroughTheEditorAndStartsOver)
{
    TMainFormFixture f;
    EXPECT_FALSE(f.Command("Find1")->isEnabled()); // nothing to search in
    EXPECT_TRUE(f.Command("FindReg1")->isEnabled());
    f.Form->Editor().setPlainText(QStringLiteral("Ёлка, ёлка и ёлочка\nещё ёлка"));
    EXPECT_TRUE(f.Command("Find1")->isEnabled());
    f.Form->Document().Select(4, 6); // a selection collapses to its caret
    f.Command("Find1")->trigger();
    const TFindControls c = Controls(*f.Form);
    ASSERT_TRUE(c.Text && c.MatchCase && c.WholeWord && c.FindNext);
    EXPECT_TRUE(f.Form->FindDialog().isVisible());
    EXPECT_FALSE(c.FindNext->isEnabled()); // no text to find yet
    EXPECT_EQ(f.Form->Document().SelLength(), 0);

    c.Text->setText(QStringLiteral("ЁЛКА"));
    c.WholeWord->setChecked(true);
    std::vector<int> found;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(c.FindNext, Qt::LeftButton);
        found.push_back(f.Form->Document().SelLength() > 0 ? f.Form->Document().SelStart() : -1);
    }
    // After the caret: the second and the last; then nothing, then over again.
    EXPECT_EQ(found, (std::vector<int> { 6, 24, -1, 6 }));
    EXPECT_EQ(f.Form->Editor().textCursor().selectedText(), QStringLiteral("ёлка"));
    EXPECT_TRUE(f.Form->FindDialog().isVisible()); // it stays open

    c.MatchCase->setChecked(true);
    f.Form->Document().Select(0, 0);
    f.Command("Find1")->trigger();
    QTest::mouseClick(c.FindNext, Qt::LeftButton);
    EXPECT_EQ(f.Form->Document().SelLength(), 0); // no "ЁЛКА" in capitals
    EXPECT_TRUE(f.Ui->Boxes.empty()); // a failed search says nothing
}

TEST(FindDialog, PatternSearchReportsABadPattern)
{
    TMainFormFixture f;
    f.Form->Editor().setPlainText(QStringLiteral("в 1812 году"));
    f.Command("FindReg1")->trigger();
    const TFindControls c = Controls(*f.Form);
    EXPECT_EQ(f.Form->FindDialog().windowTitle(), QStringLiteral("Найти регулярное выражение"));
    EXPECT_FALSE(c.WholeWord->isEnabled());
    c.Text->setText(QStringLiteral("\\d{3,}"));
    QTest::mouseClick(c.FindNext, Qt::LeftButton);
    EXPECT_EQ(f.Form->Editor().textCursor().selectedText(), QStringLiteral("1812"));

    c.Text->setText(QStringLiteral("(год"));
    QTest::mouseClick(c.FindNext, Qt::LeftButton);
    ASSERT_EQ(f.Ui->Boxes.size(), 1u);
    EXPECT_EQ(f.Ui->Boxes[0].Caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(f.Ui->Boxes[0].Text,
        QString::fromUtf8("Ошибка в регулярном выражении: непарная скобка ( ) (позиция 4)"));
    EXPECT_EQ(f.Form->Editor().textCursor().selectedText(), QStringLiteral("1812"));
    c.Text->setText(QStringLiteral("г[од"));
    QTest::mouseClick(c.FindNext, Qt::LeftButton);
    ASSERT_EQ(f.Ui->Boxes.size(), 2u);
    EXPECT_EQ(f.Ui->Boxes[1].Text,
        QString::fromUtf8("Ошибка в регулярном выражении: непарная скобка [ ] (позиция 4)"));
}

} // namespace
} // namespace tildo
