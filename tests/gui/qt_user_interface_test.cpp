#include "recording_qt_ui.h"
#include "support/recording_ui.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingQtUi;
using test::W;

struct TWindow
{
    QMainWindow window;
    QLabel* status = new QLabel(&window);
    QPlainTextEdit* editor = new QPlainTextEdit(&window);
    TRecordingQtUi ui { window, *status };

    TWindow()
    {
        window.setCentralWidget(editor);
        auto* mark = new QAction(&window);
        mark->setObjectName(QStringLiteral("Mark1"));
        mark->setCheckable(true);
        auto* run = new QAction(&window);
        run->setObjectName(QStringLiteral("YoBegin1"));
        window.show();
        editor->setFocus();
        QApplication::processEvents();
    }
};

TEST(QtUserInterface, ShowsBoxesWithTheirCaptionsIconsAndDefaults)
{
    TWindow w;
    w.ui.ErrorBox(W("Файл \"x\" не найден"));
    ASSERT_EQ(w.ui.Boxes.size(), 1u);
    EXPECT_EQ(w.ui.Boxes[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(w.ui.Boxes[0].Caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(w.ui.Boxes[0].Text, QString::fromUtf8("Файл \"x\" не найден"));
    EXPECT_EQ(w.ui.Boxes[0].Buttons, QMessageBox::Ok);

    EXPECT_FALSE(w.ui.QuestionYesNo(W("Продолжить?"))); // No is the default
    w.ui.Answers.push_back(QMessageBox::Yes);
    EXPECT_TRUE(w.ui.QuestionYesNo(W("Продолжить?")));
    EXPECT_EQ(w.ui.Boxes[1].Icon, QMessageBox::Warning);
    EXPECT_EQ(w.ui.Boxes[1].Caption, QString::fromUtf8("Внимание"));
    EXPECT_EQ(w.ui.Boxes[1].Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(w.ui.Boxes[1].Default, QMessageBox::No);

    w.ui.Answers = { QMessageBox::No, QMessageBox::Cancel, QMessageBox::Yes };
    EXPECT_EQ(w.ui.QuestionYesNoCancel("?"), TDialogAnswer::No);
    EXPECT_EQ(w.ui.QuestionYesNoCancel("?"), TDialogAnswer::Cancel);
    EXPECT_EQ(w.ui.QuestionYesNoCancel("?"), TDialogAnswer::Yes);
    EXPECT_EQ(w.ui.Boxes[3].Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

    w.ui.Answers = { QMessageBox::Cancel };
    EXPECT_FALSE(w.ui.QuestionOkCancel("?"));
    EXPECT_TRUE(w.ui.QuestionOkCancel("?"));
    EXPECT_EQ(w.ui.Boxes.back().Buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(w.ui.Boxes.back().Caption, QString::fromUtf8("Внимание"));
}

TEST(QtUserInterface, StatusLineBusyCursorAndCommands)
{
    TWindow w;
    w.ui.SetStatusText(W("Новых Ё: 3") + "\x98");
    EXPECT_EQ(w.ui.StatusText(), W("Новых Ё: 3") + "\x98");
    EXPECT_TRUE(w.status->text().startsWith(QString::fromUtf8("Новых Ё: 3")));
    {
        const auto busy = BusyScope(w.ui, W("Загрузка"));
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(w.status->text(), QString::fromUtf8("Загрузка"));
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.ui.StatusText(), W("Новых Ё: 3") + "\x98");

    EXPECT_FALSE(w.ui.IsCommandChecked("Mark1"));
    w.ui.SetCommandChecked("Mark1", true);
    EXPECT_TRUE(w.ui.IsCommandChecked("Mark1"));
    EXPECT_TRUE(w.ui.Command("Mark1")->isChecked());
    w.ui.SetCommandEnabled("YoBegin1", false);
    EXPECT_FALSE(w.ui.IsCommandEnabled("YoBegin1"));
    w.ui.SetCommandEnabled("YoBegin1", true);
    EXPECT_TRUE(w.ui.IsCommandEnabled("YoBegin1"));
    // A mark without a menu item in this window keeps what the settings gave it.
    EXPECT_FALSE(w.ui.IsCommandChecked("ToDockAskForm1"));
    w.ui.SetCommandChecked("ToDockAskForm1", true);
    EXPECT_TRUE(w.ui.IsCommandChecked("ToDockAskForm1"));
    w.ui.SetCommandChecked("ToDockAskForm1", false);
    EXPECT_FALSE(w.ui.IsCommandChecked("ToDockAskForm1"));
    // A command this window has no item for is never enabled.
    w.ui.SetCommandEnabled("Stat1", true);
    EXPECT_FALSE(w.ui.IsCommandEnabled("Stat1"));

    // The action found once is remembered, but not beyond its life: a new item
    // of the same name takes its place.
    delete w.ui.Command("Mark1");
    EXPECT_FALSE(w.ui.IsCommandChecked("Mark1"));
    auto* again = new QAction(&w.window);
    again->setObjectName(QStringLiteral("Mark1"));
    again->setCheckable(true);
    w.ui.SetCommandChecked(TCommand::Mark1, true);
    EXPECT_TRUE(again->isChecked());
}

// Waits long enough for the next poll to let events through.
void NextPump()
{
    QThread::msleep(TQtUserInterface::PumpInterval + 5);
}

TEST(QtUserInterface, PollingEscSwallowsInputAndSeesEsc)
{
    TWindow w;
    EXPECT_FALSE(w.ui.IsEscPressed());
    EXPECT_TRUE(w.ui.IsBlockingInput());

    // Typing and clicks while an operation polls never reach the editor.
    QTest::keyClicks(w.editor, QStringLiteral("abc"));
    QTest::mouseClick(w.editor->viewport(), Qt::LeftButton);
    EXPECT_TRUE(w.editor->toPlainText().isEmpty());

    // An Esc queued meanwhile is seen by a later poll, once.
    QCoreApplication::postEvent(w.editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(w.editor, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    NextPump();
    EXPECT_TRUE(w.ui.IsEscPressed());
    EXPECT_FALSE(w.ui.IsEscPressed());

    // A held Esc reads as pressed until it is let go.
    QCoreApplication::postEvent(w.editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    NextPump();
    EXPECT_TRUE(w.ui.IsEscPressed());
    EXPECT_TRUE(w.ui.IsEscPressed());
    QCoreApplication::postEvent(w.editor, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    NextPump();
    EXPECT_FALSE(w.ui.IsEscPressed());

    // Once the event loop waits again, input flows as usual.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(w.ui.IsBlockingInput());
    QTest::keyClicks(w.editor, QStringLiteral("ok"));
    EXPECT_EQ(w.editor->toPlainText(), QStringLiteral("ok"));
}

TEST(QtUserInterface, InputBlockLetsAModalWindowWork)
{
    TWindow w;
    const auto block = w.ui.BlockInput();
    QTest::keyClicks(w.editor, QStringLiteral("x"));
    EXPECT_TRUE(w.editor->toPlainText().isEmpty());

    // A modal dialog opened meanwhile takes typing; Esc there is not a poll's Esc.
    QDialog dialog(&w.window);
    auto* field = new QPlainTextEdit(&dialog);
    bool typed = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClicks(field, QStringLiteral("yes"));
        typed = field->toPlainText() == QStringLiteral("yes");
        QTest::keyClick(field, Qt::Key_Escape);
        dialog.reject();
    });
    dialog.exec();
    EXPECT_TRUE(typed);
    NextPump();
    EXPECT_FALSE(w.ui.IsEscPressed());
    EXPECT_TRUE(w.ui.IsBlockingInput());
}

} // namespace
} // namespace tildo
