// The docked question panel in a real pass: its looks, its answer keys (as the
// settings file gives them, and re-keyed by a right click), the frozen window
// and the protection of the editor while it asks.
#include "main_form_fixture.h"

#include "ask_panel.h"
#include "platform/file_io.h"
#include "qt_text_document.h"
#include "text_colours.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TMainFormFixture;
using test::W;

QPushButton* Button(TMainForm& form, const char* name)
{
    return form.AskPanel().findChild<QPushButton*>(QString::fromLatin1(name));
}

QLabel* Caption(TMainForm& form)
{
    return form.AskPanel().findChild<QLabel*>(QStringLiteral("lCaption"));
}

// Runs the steps one after another while the questions wait, each once the
// panel asks; a step that leaves the question open waits for the next one.
void WhileAsking(TMainForm& form, std::vector<std::function<void()>> steps)
{
    auto remaining = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    auto tick = std::make_shared<std::function<void()>>();
    *tick = [&form, remaining, tick] {
        if (remaining->empty())
            return;
        if (form.AskPanel().IsAsking()) {
            auto step = remaining->front();
            remaining->erase(remaining->begin());
            step();
        }
        QTimer::singleShot(5, &form, *tick);
    };
    QTimer::singleShot(0, &form, *tick);
}

constexpr const char* DockedSettings = "[Tildo]\nToDockAskForm=1\nButtonHotKeys=QWER\n";

TEST(AskPanel, AnswersByItsKeysAndWaitsBetweenQuestions)
{
    TMainFormFixture f({}, true, DockedSettings);
    TMainForm& form = *f.Form;
    EXPECT_TRUE(f.Command("ToDockAskForm1")->isChecked());
    EXPECT_FALSE(form.AskPanel().isVisible()); // hidden outside a pass
    form.Editor().setPlainText(QStringLiteral("знал все, знал все, знал все"));
    form.Document().Select(0, 0);
    const QSize before = form.size();

    std::vector<QString> captions;
    WhileAsking(form,
        {
            [&] {
                EXPECT_TRUE(form.AskPanel().isVisible());
                EXPECT_EQ(Button(form, "bYe")->text(), QStringLiteral("все (&Q)"));
                EXPECT_EQ(Button(form, "bYo")->text(), QStringLiteral("всё (&W)"));
                EXPECT_EQ(Button(form, "bYeAll")->text(), QStringLiteral("Всегда Е (&E)"));
                EXPECT_FALSE(Button(form, "bUndo")->isEnabled()); // nothing to undo yet
                EXPECT_EQ(form.minimumSize(), form.maximumSize()); // the window's size is frozen
                EXPECT_TRUE(form.Editor().isReadOnly());
                captions.push_back(Caption(form)->text());
                // The editor takes neither clicks nor typing meanwhile.
                QTest::mouseClick(form.Editor().viewport(), Qt::LeftButton, {}, QPoint(60, 5));
                QTest::keyClicks(&form.Editor(), QStringLiteral("zz"));
                // The ё key answers wherever the focus is, without Alt.
                QTest::keyClick(&form.Editor(), Qt::Key_W);
            },
            [&] {
                EXPECT_TRUE(Button(form, "bUndo")->isEnabled());
                EXPECT_EQ(Button(form, "bUndo")->text(), QStringLiteral("Откат \"все -> всё\""));
                QTest::keyClick(Button(form, "bYo"), Qt::Key_Q); // е
            },
            [&] { QTest::keyClick(Button(form, "bYe"), Qt::Key_Escape); }, // cancels the pass
        });
    f.Command("YoPos1")->trigger();

    EXPECT_EQ(form.Editor().toPlainText(), QStringLiteral("знал всё, знал все, знал все"));
    EXPECT_EQ(captions, (std::vector<QString> { QStringLiteral("Выберите верный вариант") }));
    EXPECT_FALSE(form.AskPanel().isVisible());
    EXPECT_FALSE(form.Editor().isReadOnly());
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)); // sizes free again
    EXPECT_EQ(form.size(), before);
}

// A dark palette chosen while the panel asks: the panel and its caption take
// dark tints at once, the caption readable on them, and light ones again.
TEST(AskPanel, FollowsAPaletteChosenWhileItAsks)
{
    const QPalette saved = QApplication::palette();
    TMainFormFixture f({}, true, DockedSettings);
    TMainForm& form = *f.Form;
    form.Editor().setPlainText(QStringLiteral("знал все"));
    form.Document().Select(0, 0);
    std::vector<QColor> backgrounds;
    const auto look = [&] {
        QApplication::processEvents();
        const QColor background = form.AskPanel().palette().color(QPalette::Window);
        backgrounds.push_back(background);
        QLabel& caption = *Caption(form);
        const QImage shot = caption.grab().toImage();
        EXPECT_GE(test::ShownContrast(shot, shot.rect(), background), 4.5);
        EXPECT_GE(ContrastRatio(caption.palette().color(QPalette::WindowText), background), 4.5);
    };
    WhileAsking(form, { [&] {
        look();
        QApplication::setPalette(test::DarkPalette());
        look();
        QApplication::setPalette(saved);
        look();
        QTest::keyClick(Button(form, "bYe"), Qt::Key_Escape);
    } });
    f.Command("YoPos1")->trigger();
    QApplication::setPalette(saved);
    ASSERT_EQ(backgrounds.size(), 3u);
    EXPECT_EQ(backgrounds[0], QColor(192, 192, 255));
    EXPECT_LT(ContrastRatio(backgrounds[1], QColor(53, 53, 53)), 2.0); // as dark as the window
    EXPECT_EQ(backgrounds[2], backgrounds[0]);
}

TEST(AskPanel, RekeyedButtonKeepsItsKeyAndRefusesOneInUse)
{
    TMainFormFixture f({}, true, DockedSettings);
    TMainForm& form = *f.Form;
    form.Editor().setPlainText(QStringLiteral("все"));
    form.Document().Select(0, 0);
    QLineEdit* field = form.AskPanel().findChild<QLineEdit*>(QStringLiteral("eHotKey"));
    ASSERT_NE(field, nullptr);

    WhileAsking(form, { [&] {
        // bYe becomes Z: the field over the button, the buttons disabled meanwhile.
        QTest::mouseClick(Button(form, "bYe"), Qt::RightButton);
        EXPECT_TRUE(field->isVisible());
        EXPECT_FALSE(Button(form, "bCancel")->isEnabled());
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Z);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_FALSE(field->isVisible());
        EXPECT_EQ(Button(form, "bYe")->text(), QStringLiteral("все (&Z)"));
        EXPECT_TRUE(Button(form, "bCancel")->isEnabled());
        // bYo cannot take Z, which is bYe's now; Esc in the field leaves the pass alone.
        QTest::mouseClick(Button(form, "bYo"), Qt::RightButton);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Z);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(Button(form, "bYo")->text(), QStringLiteral("всё (&W)"));
        QTest::mouseClick(Button(form, "bYo"), Qt::RightButton);
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_TRUE(form.AskPanel().IsAsking());
        QTest::keyClick(Button(form, "bYo"), Qt::Key_Z); // the new key answers е
    } });
    f.Command("YoBegin1")->trigger();
    EXPECT_EQ(form.Editor().toPlainText(), QStringLiteral("все"));
    EXPECT_EQ(f.Form->AskPanel().HotKeys(), QStringLiteral("ZWER"));

    // The new keys go into the settings file at exit.
    f.Ui->Answers = { QMessageBox::Discard }; // the edits may go
    EXPECT_TRUE(f.Form->close());
    EXPECT_NE(ReadWholeFile(f.Path("tildo.ini")).find("ButtonHotKeys=ZWER"), std::string::npos);
}

TEST(AskPanel, OptionMovesQuestionsBetweenPanelAndDialog)
{
    TMainFormFixture f({}, true, DockedSettings);
    TMainForm& form = *f.Form;
    form.Editor().setPlainText(QStringLiteral("все"));
    // Off: the floating dialog asks and the panel stays hidden.
    f.Command("ToDockAskForm1")->trigger();
    bool panelShown = true;
    std::function<void()> answer = [&] {
        if (QApplication::activeModalWidget() == nullptr) {
            QTimer::singleShot(5, &form, answer);
            return;
        }
        panelShown = form.AskPanel().isVisible();
        QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_2);
    };
    QTimer::singleShot(0, &form, answer);
    f.Command("YoBegin1")->trigger();
    EXPECT_FALSE(panelShown);
    EXPECT_EQ(form.Editor().toPlainText(), QStringLiteral("всё"));

    // On again: the panel asks.
    f.Command("ToDockAskForm1")->trigger();
    form.Editor().setPlainText(QStringLiteral("все"));
    WhileAsking(form, { [&] { Button(form, "bYo")->click(); } });
    f.Command("YoBegin1")->trigger();
    EXPECT_EQ(form.Editor().toPlainText(), QStringLiteral("всё"));
}

} // namespace
} // namespace tildo
