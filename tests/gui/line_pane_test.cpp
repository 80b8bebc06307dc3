#include "line_pane.h"
#include "support/recording_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

void Type(TLinePane& pane, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&pane, &press);
    }
}

// The centre of a character of a line, in the viewport.
QPoint At(TLinePane& pane, int line, int column)
{
    const QFontMetrics m = pane.fontMetrics();
    const QString text = QString::fromStdString(test::U(pane.Line(line)));
    return { 3 + m.horizontalAdvance(text.left(column)) + m.horizontalAdvance(text.at(column)) / 2,
        3 + line * m.lineSpacing() + m.lineSpacing() / 2 };
}

TEST(LinePane, EditsLikeALineEditor)
{
    TLinePane pane;
    pane.resize(300, 200);
    pane.show();
    int changes = 0;
    QObject::connect(&pane, &TLinePane::TextChanged, [&] { ++changes; });
    pane.SetText(W("ёж\nёлка"));
    EXPECT_EQ(pane.LineCount(), 2);

    // Typing at the end of a red word types black.
    pane.Select(0, 2);
    pane.SetSelectionColour(ColourRed);
    pane.Select(2, 0);
    Type(pane, QString::fromUtf8("ик"));
    EXPECT_EQ(pane.Text(), W("ёжик\nёлка"));
    EXPECT_EQ(pane.CharColour(1), ColourRed);
    EXPECT_EQ(pane.CharColour(2), ColourBlack);

    // Enter splits the line, Backspace joins it again, Delete takes the next character.
    QTest::keyClick(&pane, Qt::Key_Left);
    QTest::keyClick(&pane, Qt::Key_Return);
    EXPECT_EQ(pane.Text(), W("ёжи\nк\nёлка"));
    QTest::keyClick(&pane, Qt::Key_Backspace);
    QTest::keyClick(&pane, Qt::Key_Delete);
    EXPECT_EQ(pane.Text(), W("ёжи\nёлка"));

    // Down keeps the column; Shift+End selects to the end of the line and typing replaces it.
    QTest::keyClick(&pane, Qt::Key_Home);
    QTest::keyClick(&pane, Qt::Key_Right);
    QTest::keyClick(&pane, Qt::Key_Down);
    EXPECT_EQ(pane.Caret(), 5);
    QTest::keyClick(&pane, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(pane.SelStart(), 5);
    EXPECT_EQ(pane.SelLength(), 3);
    Type(pane, QString::fromUtf8("ель"));
    EXPECT_EQ(pane.Text(), W("ёжи\nёель"));

    // The clipboard: copy the first line, paste it over the selection of the second.
    pane.Select(0, 3);
    pane.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("ёжи"));
    pane.Select(4, 4);
    pane.paste();
    EXPECT_EQ(pane.Text(), W("ёжи\nёжи"));
    EXPECT_GT(changes, 6);

    // A read-only pane takes no typing.
    pane.SetReadOnly(true);
    Type(pane, QStringLiteral("x"));
    EXPECT_EQ(pane.Text(), W("ёжи\nёжи"));
}

TEST(LinePane, TheMouseSetsTheCaretAndADoubleClickSelectsAWord)
{
    TLinePane pane;
    pane.resize(300, 200);
    pane.show();
    pane.SetText(W("ёж\nиду в лес"));
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, At(pane, 1, 5) - QPoint(2, 0));
    EXPECT_EQ(pane.Caret(), pane.LineStart(1) + 5);
    EXPECT_EQ(pane.SelLength(), 0);
    QTest::mouseDClick(pane.viewport(), Qt::LeftButton, {}, At(pane, 1, 7));
    EXPECT_EQ(pane.SelStart(), pane.LineStart(1) + 6);
    EXPECT_EQ(pane.SelLength(), 3);
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ShiftModifier, At(pane, 0, 0) - QPoint(2, 0));
    EXPECT_EQ(pane.SelStart(), 0);
    EXPECT_EQ(pane.SelLength(), pane.LineStart(1) + 6);
}

} // namespace
} // namespace tildo
