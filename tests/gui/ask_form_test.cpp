#include "ask_form.h"
#include "support/recording_ui.h"
#include "text_colours.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

TQuestion Question()
{
    TQuestion q;
    q.PlainForm = W("все");
    q.DottedForm = W("всё");
    q.Context = W("Мы знаем все это, и больше");
    q.WordOffset = 8;
    q.WordLength = 3;
    q.Caption = W("Выберите верный вариант");
    q.AlwaysPlainEnabled = true;
    q.AlwaysDottedEnabled = true;
    q.UndoCaption = W("Откат");
    return q;
}

// Asks the question and, once the dialog is up, does what the test says.
TAnswer AskAnd(
    TAskForm& form, const TQuestion& q, const std::function<void(TAskForm&)>& act, const QRect& word = {})
{
    QTimer::singleShot(0, &form, [&form, act] { act(form); });
    return form.Ask(q, word);
}

QPushButton* Button(TAskForm& form, const char* name)
{
    return form.findChild<QPushButton*>(QString::fromLatin1(name));
}

TEST(AskForm, StandsOffTheWordItAsksAbout)
{
    QWidget window;
    window.setGeometry(100, 100, 600, 400);
    window.show();
    TAskForm form(&window);
    const TQuestion q = Question();
    QRect shown;
    const auto look = [&shown](TAskForm& f) {
        shown = f.frameGeometry();
        Button(f, "bYo")->click();
    };
    // At first it would open over the middle of its window, where the word is.
    const QRect word(window.frameGeometry().center() - QPoint(20, 8), QSize(40, 16));
    EXPECT_EQ(AskAnd(form, q, look, word), TAnswer::Dotted);
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_FALSE(shown.intersects(word));

    // The user leaves it over the place of the next word: it moves down, not aside.
    AskAnd(form, q, [](TAskForm& f) {
        f.move(300, 250);
        f.reject();
    });
    const QRect next(QPoint(320, 270), QSize(40, 16));
    EXPECT_EQ(AskAnd(form, q, look, next), TAnswer::Dotted);
    EXPECT_FALSE(shown.intersects(next));
    EXPECT_EQ(shown.x(), 300);

    // A word elsewhere leaves it where it was left.
    AskAnd(form, q, [](TAskForm& f) {
        f.move(150, 160);
        f.reject();
    });
    const QRect far(QPoint(150, 160 + form.frameGeometry().height() + 40), QSize(40, 16));
    EXPECT_EQ(AskAnd(form, q, look, far), TAnswer::Dotted);
    EXPECT_EQ(shown.topLeft(), QPoint(150, 160));
}

TEST(AskForm, ShowsTheWordInItsContext)
{
    TAskForm form;
    TQuestion q = Question();
    q.DefaultDotted = true;
    form.ShowQuestion(q);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Выберите верный вариант"));
    EXPECT_EQ(Button(form, "bYe")->text(), QString::fromUtf8("все (&1)"));
    EXPECT_EQ(Button(form, "bYo")->text(), QString::fromUtf8("всё (&2)"));
    EXPECT_EQ(Button(form, "bYeAll")->text(), QString::fromUtf8("Всегда Е (&3)"));
    EXPECT_EQ(Button(form, "bYoAll")->text(), QString::fromUtf8("Всегда Ё (&4)"));
    EXPECT_EQ(Button(form, "bUndo")->text(), QString::fromUtf8("Откат"));
    EXPECT_FALSE(Button(form, "bUndo")->isEnabled());
    EXPECT_TRUE(Button(form, "bYo")->isDefault());
    EXPECT_FALSE(Button(form, "bYe")->isDefault());
    EXPECT_TRUE(Button(form, "bYo")->toolTip().isEmpty());

    // The context judge's answer is proposed with its evidence on its button.
    q.ContextAnswer = TAnswer::Dotted;
    q.ContextEvidence = W("«это всё»");
    form.ShowQuestion(q);
    EXPECT_EQ(Button(form, "bYo")->toolTip(), QString::fromUtf8("По контексту: «это всё»"));
    EXPECT_TRUE(Button(form, "bYe")->toolTip().isEmpty());
    q.ContextAnswer = TAnswer::None;
    form.ShowQuestion(q);
    EXPECT_TRUE(Button(form, "bYo")->toolTip().isEmpty());

    auto* context = form.findChild<QTextEdit*>(QStringLiteral("reContext"));
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->toPlainText(), QString::fromUtf8("Мы знаем все это, и больше"));
    EXPECT_FALSE(context->textCursor().hasSelection());
    QTextCursor c(context->document());
    c.setPosition(8 + 1);
    // Red, dark enough to read on the tooltip colour.
    const QColor word = c.charFormat().foreground().color();
    EXPECT_EQ(word.hue(), 0);
    EXPECT_GE(ContrastRatio(word, QApplication::palette().color(QPalette::ToolTipBase)), 4.5);
    c.setPosition(7);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 0, 0));
    c.setPosition(12);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(context->palette().color(QPalette::Base), QApplication::palette().color(QPalette::ToolTipBase));

    // A narrow context keeps the designed width; a wide one widens the dialog.
    EXPECT_EQ(TAskForm::ClientWidthFor(362), 383);
    EXPECT_EQ(TAskForm::ClientWidthFor(10), 383);
    EXPECT_EQ(TAskForm::ClientWidthFor(500), 521);
    EXPECT_EQ(form.width(),
        TAskForm::ClientWidthFor(context->fontMetrics().horizontalAdvance(context->toPlainText())));

    // A ё the dictionary does not confirm: alarm title, pale red field, no standing choices.
    q.DottedMismatch = true;
    q.Caption = W("Вероятно, здесь должна быть \"Е\"");
    q.AlwaysPlainEnabled = q.AlwaysDottedEnabled = false;
    q.UndoEnabled = true;
    q.UndoCaption = W("Откат \"еще -> ещё\"");
    q.Context = std::string(200, 'x');
    form.ShowQuestion(q);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Вероятно, здесь должна быть \"Е\""));
    EXPECT_EQ(context->palette().color(QPalette::Base), QColor(255, 208, 208));
    EXPECT_FALSE(Button(form, "bYeAll")->isEnabled());
    EXPECT_FALSE(Button(form, "bYoAll")->isEnabled());
    EXPECT_TRUE(Button(form, "bUndo")->isEnabled());
    EXPECT_EQ(Button(form, "bUndo")->text(), QString::fromUtf8("Откат \"еще -> ещё\""));
    EXPECT_GT(form.width(), 383);

    // A long word's undo caption in a short context: the dialog grows so that
    // every caption fits its button whole.
    q.Context = W("коротко");
    q.UndoCaption = W("Откат \"достопримечательностей -> достопримечательностёй\"");
    form.ShowQuestion(q);
    for (const char* name : { "bYe", "bYo", "bUndo", "bYeAll", "bCancel" })
        EXPECT_GE(Button(form, name)->width(), Button(form, name)->sizeHint().width()) << name;
    EXPECT_LE(Button(form, "bCancel")->geometry().right(), form.width());
}

TEST(AskForm, AnswersFromButtonsAndKeys)
{
    TAskForm form;
    TQuestion q = Question();
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { Button(f, "bYo")->click(); }), TAnswer::Dotted);
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { Button(f, "bYeAll")->click(); }), TAnswer::AlwaysPlain);
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { Button(f, "bCancel")->click(); }), TAnswer::Cancel);
    // The proposed answer has the focus, and Enter presses it.
    EXPECT_EQ(AskAnd(form, q,
                  [](TAskForm& f) {
                      EXPECT_EQ(f.focusWidget(), Button(f, "bYe"));
                      QTest::keyClick(f.focusWidget(), Qt::Key_Return);
                  }),
        TAnswer::Plain);
    // Keys 1 to 4 anywhere in the dialog and in the context field.
    const std::pair<Qt::Key, TAnswer> digits[] = {
        { Qt::Key_1, TAnswer::Plain },
        { Qt::Key_2, TAnswer::Dotted },
        { Qt::Key_3, TAnswer::AlwaysPlain },
        { Qt::Key_4, TAnswer::AlwaysDotted },
    };
    for (const auto& [key, code] : digits) {
        EXPECT_EQ(
            AskAnd(form, q, [key = key](TAskForm& f) { QTest::keyClick(Button(f, "bYe"), key); }), code);
        EXPECT_EQ(AskAnd(form, q,
                      [key = key](TAskForm& f) {
                          QTest::keyClick(f.findChild<QTextEdit*>(QStringLiteral("reContext")), key);
                      }),
            code);
    }
    // Esc, closing the window and the context field's Esc cancel.
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { QTest::keyClick(Button(f, "bYo"), Qt::Key_Escape); }),
        TAnswer::Cancel);
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { f.close(); }), TAnswer::Cancel);
    EXPECT_EQ(AskAnd(form, q,
                  [](TAskForm& f) {
                      QTest::keyClick(f.findChild<QTextEdit*>(QStringLiteral("reContext")), Qt::Key_Escape);
                  }),
        TAnswer::Cancel);
}

TEST(AskForm, DisabledAnswersCannotBeGivenByKeys)
{
    TAskForm form;
    TQuestion q = Question();
    q.AlwaysPlainEnabled = q.AlwaysDottedEnabled = false;
    q.UndoEnabled = false;
    // 3, 4 and Backspace do nothing; the context field swallows what is typed there.
    EXPECT_EQ(AskAnd(form, q,
                  [](TAskForm& f) {
                      auto* context = f.findChild<QTextEdit*>(QStringLiteral("reContext"));
                      QTest::keyClick(Button(f, "bYe"), Qt::Key_3);
                      QTest::keyClick(Button(f, "bYe"), Qt::Key_4);
                      QTest::keyClick(Button(f, "bYe"), Qt::Key_Backspace);
                      QTest::keyClick(context, Qt::Key_3);
                      QTest::keyClick(context, Qt::Key_Backspace);
                      QTest::keyClicks(context, QStringLiteral("abc"));
                      EXPECT_TRUE(f.isVisible());
                      EXPECT_EQ(context->toPlainText(), QString::fromUtf8("Мы знаем все это, и больше"));
                      QTest::keyClick(context, Qt::Key_2);
                  }),
        TAnswer::Dotted);
    q.UndoEnabled = true;
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { QTest::keyClick(Button(f, "bYe"), Qt::Key_Backspace); }),
        TAnswer::Undo);
    EXPECT_EQ(AskAnd(form, q,
                  [](TAskForm& f) {
                      QTest::keyClick(
                          f.findChild<QTextEdit*>(QStringLiteral("reContext")), Qt::Key_Backspace);
                  }),
        TAnswer::Undo);
    EXPECT_EQ(AskAnd(form, q, [](TAskForm& f) { Button(f, "bUndo")->click(); }), TAnswer::Undo);
}

TEST(AskForm, OpensWhereItLastStood)
{
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    TAskForm form(&parent);
    const TQuestion q = Question();
    AskAnd(form, q, [](TAskForm& f) {
        f.move(40, 50);
        f.reject();
    });
    QPoint seen;
    AskAnd(form, q, [&seen](TAskForm& f) {
        seen = f.pos();
        f.reject();
    });
    EXPECT_EQ(seen, QPoint(40, 50));
}

} // namespace
} // namespace tildo
