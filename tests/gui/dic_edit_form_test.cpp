#include "tools_fixture.h"

#include "ask_form.h"
#include "ask_panel.h"
#include "find_dialog.h"
#include "line_pane.h"
#include "platform/file_io.h"
#include "qt_morph_form.h"
#include "qt_text_document.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TToolsFixture;
using test::W;

QString U8(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Shows the editor without waiting for it, with the focus in the word pane.
TDicEditForm& OpenEditor(TToolsFixture& f)
{
    TDicEditForm& editor = f.Editor();
    editor.Open(QRect(40, 40, 700, 500), {}, false);
    QApplication::setActiveWindow(&editor);
    editor.WordPane().setFocus();
    return editor;
}

// Types a word into the word pane as its last line and puts the caret on it.
void TypeWord(TDicEditForm& editor, const QString& word)
{
    TLinePane& pane = editor.WordPane();
    pane.setFocus();
    pane.Select(pane.Length(), 0);
    if (pane.Length() > 0)
        QTest::keyClick(&pane, Qt::Key_Return);
    // Key by key as typed: Cyrillic letters come as text without a key code.
    for (const QChar ch : word) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&pane, &press);
    }
}

TEST(DicEditForm, F4PutsTheEditorInPlaceOfTheMainWindowUntilItCloses)
{
    TToolsFixture f;
    f.Form->move(60, 50);
    f.Form->resize(640, 480);
    QApplication::processEvents();
    const QRect place(f.Form->pos(), f.Form->size());
    bool checked = false;
    QTimer::singleShot(0, [&] {
        TDicEditForm& editor = f.Editor();
        EXPECT_EQ(QApplication::activeModalWidget(), &editor);
        EXPECT_FALSE(f.Form->isVisible());
        for (QAction* menu : f.Form->menuBar()->actions())
            EXPECT_FALSE(menu->isEnabled()) << menu->text().toStdString();
        EXPECT_EQ(QRect(editor.pos(), editor.size()), place);
        EXPECT_EQ(editor.focusWidget(), &editor.WordPane());
        // The layout the user leaves is what the settings keep.
        editor.Command("SplitVert1")->trigger();
        editor.Command("InsertLog1")->trigger();
        EXPECT_EQ(editor.findChild<QSplitter*>(QStringLiteral("Splitter"))->orientation(), Qt::Horizontal);
        checked = true;
        editor.Command("Exit1")->trigger();
    });
    f.Form->Command("EditDic1")->trigger();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(f.Form->isVisible());
    for (QAction* menu : f.Form->menuBar()->actions())
        EXPECT_TRUE(menu->isEnabled());
    EXPECT_TRUE(f.Form->DicEditorLayout().Vertical);
    EXPECT_TRUE(f.Ui->IsCommandChecked("InsertLog1"));
}

TEST(DicEditForm, AddsATypedWordAndSavesExactlyTheOldLinesPlusTheNewOne)
{
    TToolsFixture f;
    TDicEditForm& editor = OpenEditor(f);
    editor.Command("InsertLog1")->setChecked(true);
    QTest::keyClick(&editor.WordPane(), Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(editor.windowTitle(), U8("tildo.dat"));
    EXPECT_EQ(editor.DicPane().PlainText(), U8("всё?\nёж\nёлка\nещё"));
    EXPECT_EQ(f.EditUi->StatusText(), W("Словоформ/сочетаний: 4, правил: 0"));

    TypeWord(editor, U8("ёлочка"));
    QTest::keyClick(&editor.WordPane(), Qt::Key_Insert);
    EXPECT_EQ(editor.DicPane().PlainText(), U8("всё?\nёж\nёлка\nёлочка\nещё"));
    EXPECT_EQ(editor.WordPane().PlainText(), QString());
    EXPECT_EQ(editor.windowTitle(), U8("tildo.dat *"));
    EXPECT_EQ(f.EditUi->StatusText(), W("Словоформ/сочетаний: 5, правил: 0"));
    EXPECT_EQ(editor.DicPane().CharColour(editor.DicPane().LineStart(3)), ColourRed);
    EXPECT_EQ(ReadWholeFile(f.Path("insert.log")), W("ёлочка\r\n"));

    // A word with a capital inside is refused: only the place is shown.
    TypeWord(editor, U8("ёЖик"));
    QTest::keyClick(&editor.WordPane(), Qt::Key_Insert);
    EXPECT_EQ(f.EditUi->StatusText(), W("Ошибка: неверный регистр"));
    EXPECT_EQ(editor.WordPane().PlainText(), U8("ёЖик"));
    EXPECT_EQ(editor.DicPane().LineCount(), 5);

    f.EditUi->SaveChoices.push_back(f.QPath("new.dat"));
    QTest::keyClick(&editor.DicPane(), Qt::Key_F2);
    EXPECT_EQ(ReadWholeFile(f.Path("new.dat")), W("всё?\r\nёж\r\nёлка\r\nёлочка\r\nещё\r\n"));
    EXPECT_EQ(editor.windowTitle(), f.QPath("new.dat"));
    EXPECT_TRUE(f.EditUi->Boxes.empty());
    editor.hide();
}

TEST(DicEditForm, ClosingOffersToReloadTheCurrentDictionaryItOverwrote)
{
    TToolsFixture f;
    ASSERT_EQ(f.Form->Dic().FormCount(), 4);
    QTimer::singleShot(0, [&] {
        TDicEditForm& editor = f.Editor();
        editor.Command("OpenCurrDic1")->trigger();
        TypeWord(editor, U8("ёлочка"));
        editor.Command("AddToDic1")->trigger();
        // Unsaved edits: closing asks first, and No keeps the window open.
        f.EditUi->Answers = { QMessageBox::No };
        editor.close();
        EXPECT_TRUE(editor.isVisible());
        f.EditUi->SaveChoices.push_back(f.QPath("tildo.dat"));
        f.EditUi->Answers = { QMessageBox::Yes, QMessageBox::Yes }; // overwrite, then reload
        editor.Command("Save1")->trigger();
        editor.close();
    });
    f.Form->Command("EditDic1")->trigger();
    ASSERT_EQ(f.EditUi->Boxes.size(), 3u);
    EXPECT_EQ(f.EditUi->Boxes[0].Text, U8("Результаты редактирования будут потеряны. Продолжить операцию?"));
    EXPECT_TRUE(f.EditUi->Boxes[1].Text.endsWith(U8(" существует. Переписать?")));
    EXPECT_EQ(f.EditUi->Boxes[2].Text, U8("Вы отредактировали текущий словарь. Использовать его сейчас?"));
    EXPECT_EQ(f.Form->Dic().FormCount(), 5);
    EXPECT_EQ(f.Editor().DicPane().PlainText(), QString()); // emptied on closing
    EXPECT_TRUE(f.Form->isVisible());
}

TEST(DicEditForm, AcceptedWordFormsGoUnderTheBaseWordInBlue)
{
    TToolsFixture f(W("=Существительное\r\nстол:[бвгджзклмнпрстфхцчшщ]:0:,а,у\r\nлампа:а:1:а,ы\r\n"));
    TDicEditForm& editor = OpenEditor(f);
    TypeWord(editor, U8("ёж?"));
    TypeWord(editor, U8("ёлка"));
    editor.WordPane().Select(0, 0);
    ASSERT_TRUE(editor.Command("Morph1")->isEnabled());

    QTimer::singleShot(0, [&] {
        TQtMorphForm& dialog = editor.MorphForm();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lBaseWord"))->text(), U8("ёж"));
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("WordType"));
        ASSERT_EQ(types->count(), 1);
        EXPECT_EQ(types->itemText(0), U8("Существительное (стол)"));
        auto* forms = dialog.findChild<QPlainTextEdit*>(QStringLiteral("WordForms"));
        EXPECT_EQ(forms->toPlainText(), U8("ёж\nёжа\nёжу"));
        // The user drops the last form; Enter in the list accepts.
        forms->setPlainText(U8("ёж\nёжа"));
        QTest::keyClick(forms, Qt::Key_Return);
    });
    QTest::keyClick(&editor.WordPane(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(editor.WordPane().PlainText(), U8("ёж?\nёж?\nёжа?\nёлка"));
    EXPECT_EQ(editor.WordPane().CharColour(editor.WordPane().LineStart(0)), ColourBlack);
    EXPECT_EQ(editor.WordPane().CharColour(editor.WordPane().LineStart(2) + 2), ColourBlue);
    EXPECT_EQ(editor.WordPane().SelStart(), 0);

    // Esc cancels: nothing is inserted.
    editor.WordPane().Select(editor.WordPane().LineStart(3), 0);
    QTimer::singleShot(0, [&] { QTest::keyClick(&editor.MorphForm(), Qt::Key_Escape); });
    editor.Command("Morph1")->trigger();
    EXPECT_EQ(editor.WordPane().LineCount(), 4);
    editor.hide();
}

TEST(DicEditForm, EscStopsALongWalkEvenThoughTheEditorIsModal)
{
    TToolsFixture f;
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += W("ёж\r\n");
    f.Dir.Write("big.dat", big);
    QTimer::singleShot(0, [&] {
        TDicEditForm& editor = f.Editor();
        f.EditUi->OpenChoices.push_back(f.QPath("big.dat"));
        editor.Command("Open1")->trigger();
        // The key waits in the queue; the walk's first look at Esc lets it through.
        QApplication::postEvent(
            &editor.DicPane(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QApplication::postEvent(
            &editor.DicPane(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
        editor.Command("DelDoubles1")->trigger();
        EXPECT_TRUE(f.EditUi->StatusText().starts_with(W("Операция прервана. "))) << f.EditUi->StatusText();
        EXPECT_EQ(editor.DicPane().LineCount(), 3000);
        // Without Esc the same command removes the repeats.
        editor.Command("DelDoubles1")->trigger();
        EXPECT_EQ(editor.DicPane().PlainText(), U8("ёж"));
        EXPECT_EQ(f.EditUi->StatusText(), W("Словоформ/сочетаний: 1, правил: 0, удалено дублей: 2999"));
        f.EditUi->Answers = { QMessageBox::Yes }; // discard the edits
        editor.close();
    });
    f.Form->Command("EditDic1")->trigger();
    EXPECT_FALSE(f.Editor().isVisible());
}

TEST(DicEditForm, F8AndTheQuestionDialogAppendToTheWordPane)
{
    TToolsFixture f;
    f.Form->Document().SetText(W("Мы видели ёжика и елку"));
    QAction* copy = f.Form->Command("CopyToDicEdit1");
    EXPECT_FALSE(copy->isEnabled()); // nothing selected
    f.Form->Document().Select(10, 5);
    EXPECT_TRUE(copy->isEnabled());
    copy->trigger();
    f.Form->Document().Select(18, 4);
    copy->trigger();

    TAskForm& ask = f.Form->AskForm();
    TQuestion q;
    q.PlainForm = W("все");
    q.DottedForm = W("всё");
    q.Context = W("и все это");
    q.WordOffset = 2;
    q.WordLength = 3;
    QTimer::singleShot(0, [&ask] {
        auto* context = ask.findChild<QTextEdit*>(QStringLiteral("reContext"));
        EXPECT_TRUE(context->find(U8("все")));
        QTest::keyClick(context, Qt::Key_F8);
        QTest::keyClick(context, Qt::Key_Escape);
    });
    EXPECT_EQ(ask.Ask(q), TAnswer::Cancel);
    EXPECT_EQ(f.Editor().WordPane().PlainText(), U8("ёжика\nелку\nвсе"));

    // The docked panel: F8 while it asks hands over the word it asks about.
    f.Form->Command("ToDockAskForm1")->setChecked(true);
    f.Form->Document().SetText(W("знал все"));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TAskPanel& panel = f.Form->AskPanel();
        if (!panel.IsAsking())
            return;
        poll.stop();
        QTest::keyClick(panel.findChild<QPushButton*>(), Qt::Key_F8);
        QTest::keyClick(panel.findChild<QPushButton*>(), Qt::Key_Escape);
    });
    poll.start(5);
    f.Form->RunPass(0, 1);
    EXPECT_FALSE(poll.isActive());
    EXPECT_EQ(f.Editor().WordPane().PlainText(), U8("ёжика\nелку\nвсе\nвсе"));
}

TEST(DicEditForm, CtrlFSearchesTheActivePaneWithTheMainWindowsFindDialog)
{
    TToolsFixture f;
    bool searched = false;
    QTimer::singleShot(0, [&] {
        TDicEditForm& editor = f.Editor();
        editor.Command("OpenCurrDic1")->trigger();
        QApplication::setActiveWindow(&editor);
        editor.DicPane().setFocus();
        EXPECT_EQ(editor.ActivePane(), TPane::Dic);
        QTest::keyClick(&editor.DicPane(), Qt::Key_F, Qt::ControlModifier);
        TFindDialog& find = f.Form->FindDialog();
        EXPECT_TRUE(find.isVisible());
        find.SetSearchText(U8("ёлка"));
        searched = find.FindNext();
        EXPECT_EQ(editor.DicPane().SelStart(), 8); // after "всё?" and "ёж"
        EXPECT_EQ(editor.DicPane().SelLength(), 4);
        EXPECT_EQ(f.Form->Document().SelLength(), 0); // the main text is not searched
        find.hide();
        editor.close();
    });
    f.Form->Command("EditDic1")->trigger();
    EXPECT_TRUE(searched);
}

TEST(DicEditForm, CollectingNewDottedWordsFillsTheWordPane)
{
    TToolsFixture f;
    f.Form->Document().SetText(W("Ёлка, ёшкин кот и ещё ёшкин ёж."));
    f.Form->Document().Select(0, 0);
    f.Form->Command("YoCollect1")->trigger();
    EXPECT_EQ(f.Editor().WordPane().PlainText(), U8("ёшкин\nёшкин"));
    EXPECT_TRUE(f.Ui->StatusText().starts_with(W("Найдено новых Ё: 2;"))) << f.Ui->StatusText();
    EXPECT_EQ(f.Form->Document().Text(), W("Ёлка, ёшкин кот и ещё ёшкин ёж.")); // the text is not touched
    EXPECT_FALSE(f.Ui->IsCommandChecked("CheckYo1"));
}

} // namespace
} // namespace tildo
