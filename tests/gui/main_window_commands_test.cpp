// The main window's menus as a user meets them: items, shortcuts, separators,
// enabled states, the number dialog and loading dictionaries.
#include "main_form_fixture.h"

#include "app/lifecycle.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "input_form.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TMainFormFixture;
using test::W;

// The object names of a menu's items in order, "-" for a separator.
QStringList Items(TMainForm& form, const char* menu)
{
    QStringList names;
    for (QAction* a : form.findChild<QMenu*>(QString::fromLatin1(menu))->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

TEST(MainWindowCommands, MenusHoldEveryItemInItsPlace)
{
    TMainFormFixture f;
    EXPECT_EQ(Items(*f.Form, "EditMenu"),
        QStringList({ "Cut1", "Copy1", "Paste1", "Selectall1", "CopyToDicEdit1", "-", "Undo1", "-", "Find1",
            "FindReg1" }));
    EXPECT_EQ(Items(*f.Form, "YoMenu"),
        QStringList(
            { "YoPos1", "YoBegin1", "Stat1", "Review1", "ClearStat1", "ClearUserSel1", "YoCollect1" }));
    const QStringList file = Items(*f.Form, "FileMenu");
    EXPECT_EQ(file.mid(file.indexOf("OpenDic1"), 5),
        QStringList({ "OpenDic1", "OpenCombiDic1", "EditDic1", "-", "ClearFileList1" }));
    const QStringList options = Items(*f.Form, "OptionsMenu");
    EXPECT_EQ(options.mid(options.indexOf("LastFile1")),
        QStringList(
            { "LastFile1", "ToDockAskForm1", "-", "ContextAddLetters1", "LinesBelow1", "-", "Font1" }));
    EXPECT_EQ(Items(*f.Form, "HelpMenu"), QStringList({ "About1", "Help2" }));
    EXPECT_EQ(f.Command("Help2")->text(), QStringLiteral("Ещё о программе"));
    EXPECT_EQ(f.Command("About1")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(f.Command("Find1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(f.Command("FindReg1")->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
    EXPECT_TRUE(f.Command("ToDockAskForm1")->isCheckable());
    EXPECT_FALSE(f.Command("ToDockAskForm1")->isChecked());

    // An empty editor: nothing to save, clear, select, search or restore.
    for (const char* name : { "Saveas1", "Close1", "Selectall1", "Find1", "YoBegin1", "YoPos1", "Review1" })
        EXPECT_FALSE(f.Command(name)->isEnabled()) << name;
    for (const char* name : { "OpenDic1", "OpenCombiDic1", "FindReg1", "About1", "Help2", "Font1" })
        EXPECT_TRUE(f.Command(name)->isEnabled()) << name;

    // "Ещё о программе" opens the page in the browser; without one it says
    // where the page is.
    f.Dir.Write("tildo.html", "<html></html>");
    std::vector<QUrl> opened;
    f.Form->OpenUrl = [&opened](const QUrl& url) {
        opened.push_back(url);
        return opened.size() == 1;
    };
    f.Command("Help2")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(f.QPath("tildo.html")));
    EXPECT_TRUE(f.Ui->Boxes.empty());
    f.Command("Help2")->trigger();
    ASSERT_EQ(f.Ui->Boxes.size(), 1u);
    EXPECT_TRUE(f.Ui->Boxes[0].Text.contains(f.QPath("tildo.html"))) << f.Ui->Boxes[0].Text.toStdString();
    f.Ui->Boxes.clear();

    // The font is the plain-text editor's: not in rich-text mode.
    f.Command("RTF1")->trigger();
    EXPECT_FALSE(f.Command("Font1")->isEnabled());
    f.Command("RTF1")->trigger();
    EXPECT_TRUE(f.Command("Font1")->isEnabled());
}

TEST(MainWindowCommands, QtTextsAreRussian)
{
    TMainFormFixture f;
    QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Да"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("Нет"));
    std::unique_ptr<QMenu> menu(f.Form->Editor().createStandardContextMenu());
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
    EXPECT_TRUE(captions.contains(QStringLiteral("Копировать"))) << captions.join(',').toStdString();

    // The program's own texts too: the file types of its dialogs and the number dialog's buttons.
    f.Command("Open1")->trigger();
    f.Command("OpenDic1")->trigger();
    ASSERT_EQ(f.Ui->DialogFilters.size(), 2);
    EXPECT_TRUE(f.Ui->DialogFilters[0].startsWith(
        QString::fromUtf8("Все тексты и документы (*.txt *.rtf *.fb2 *.docx *.odt")))
        << f.Ui->DialogFilters[0].toStdString();
    EXPECT_EQ(f.Ui->DialogFilters[1], QString::fromUtf8("Словарь (*.dat)"));
    for (const QString& filter : f.Ui->DialogFilters) {
        for (const char* english : { "text", "type", "Any", "All", "Dictionary", "Rich", "Plain" })
            EXPECT_FALSE(filter.contains(QLatin1String(english))) << filter.toStdString();
    }
    EXPECT_EQ(f.Form->InputForm().findChild<QPushButton*>(QStringLiteral("bCancel"))->text(),
        QString::fromUtf8("Отмена"));
}

// Runs step on the number dialog once it is open.
void OnDialog(QObject& context, std::function<void(QWidget&)> step)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&context, step, poll] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            step(*dialog);
        else
            QTimer::singleShot(5, &context, *poll);
    };
    QTimer::singleShot(0, &context, *poll);
}

void Enter(QWidget& dialog, const QString& text)
{
    dialog.findChild<QLineEdit*>(QStringLiteral("eInput"))->setText(text);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("bOk")), Qt::LeftButton);
}

TEST(MainWindowCommands, NumberDialogTakesOnlyNumbersWithinBounds)
{
    TMainFormFixture f;
    TSettings& settings = f.Form->Lifecycle().Settings;
    ASSERT_EQ(settings.ContextAddLetters, 20);
    QString title;
    QString field;
    OnDialog(*f.Form, [&](QWidget& dialog) {
        EXPECT_TRUE(dialog.windowTitle().isEmpty());
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("eInput"))->text(), QStringLiteral("20"));
        Enter(dialog, QStringLiteral("70"));
        title = dialog.windowTitle();
        field = dialog.findChild<QLineEdit*>(QStringLiteral("eInput"))->text();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("bCancel")), Qt::LeftButton);
    });
    f.Command("ContextAddLetters1")->trigger();
    EXPECT_EQ(title, QStringLiteral("20 <= x <= 60"));
    EXPECT_EQ(field, QStringLiteral("70"));
    EXPECT_EQ(settings.ContextAddLetters, 20);

    OnDialog(*f.Form, [&](QWidget& dialog) {
        Enter(dialog, QStringLiteral("abc"));
        field = dialog.findChild<QLineEdit*>(QStringLiteral("eInput"))->text();
        Enter(dialog, QStringLiteral("0"));
    });
    f.Command("LinesBelow1")->trigger();
    EXPECT_EQ(field, QStringLiteral("2")); // the old number again
    EXPECT_EQ(settings.LinesBelow, 0);
}

TEST(MainWindowCommands, LoadsChosenDictionariesAndReportsMissingOnes)
{
    TMainFormFixture f;
    const int forms = f.Form->Dic().FormCount();
    f.Ui->OpenChoices = { f.QPath("none.dat") };
    f.Command("OpenDic1")->trigger();
    ASSERT_EQ(f.Ui->Boxes.size(), 1u);
    EXPECT_EQ(f.Ui->Boxes[0].Text, QString::fromUtf8("Файл \"%1\" не найден").arg(f.QPath("none.dat")));
    EXPECT_EQ(f.Form->Dic().FormCount(), forms);
    EXPECT_EQ(f.Ui->DialogStarts.size(), 1u);

    f.Dir.Write("other.dat", W("ёж\nёжик\nёлка\nещё\n"));
    f.Ui->OpenChoices = { f.QPath("other.dat") };
    f.Command("OpenDic1")->trigger();
    EXPECT_EQ(f.Form->Dic().FormCount(), 4);
    EXPECT_EQ(f.Form->Lifecycle().Settings.DictionaryPath, f.Path("other.dat"));

    EXPECT_FALSE(f.Command("CombiWords1")->isEnabled());
    f.Dir.Write("c.dat", W("всё-таки\nо чём\n"));
    f.Ui->OpenChoices = { f.QPath("c.dat") };
    f.Command("OpenCombiDic1")->trigger();
    EXPECT_EQ(f.Form->CombiDic().Count(), 2);
    EXPECT_TRUE(f.Command("CombiWords1")->isEnabled());
    EXPECT_TRUE(f.Command("CombiWords1")->isChecked());
    EXPECT_EQ(f.Ui->Boxes.size(), 1u) << f.Ui->Boxes.back().Text.toStdString();
}

} // namespace
} // namespace tildo
