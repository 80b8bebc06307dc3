// The main window's commands beyond the pass and the documents: loading
// dictionaries, the docked panel option, the number and font dialogs, the
// about box and the help page.
#include "main_form.h"

#include "app/lifecycle.h"
#include "app/window_commands.h"
#include "ask_panel.h"
#include "input_form.h"
#include "qt_document_editor.h"
#include "qt_strings.h"
#include "qt_user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

namespace tildo {

void TMainForm::AddLayoutOptions(QMenu* menu)
{
    AddOption(menu, TCommand::ToDockAskForm1, false);
    menu->addSeparator();
    connect(AddCommand(menu, TCommand::ContextAddLetters1, {}), &QAction::triggered, this,
        [this] { AskSetting(m_lifecycle->Settings.ContextAddLetters, 20, 60); });
    connect(AddCommand(menu, TCommand::LinesBelow1, {}), &QAction::triggered, this,
        [this] { AskSetting(m_lifecycle->Settings.LinesBelow, 0, 20); });
    menu->addSeparator();
    connect(AddCommand(menu, TCommand::Font1, {}), &QAction::triggered, this, &TMainForm::Font1Click);
}

void TMainForm::CreateHelpMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Помощь"));
    menu->setObjectName(QStringLiteral("HelpMenu"));
    connect(
        AddCommand(menu, TCommand::About1, Qt::Key_F1), &QAction::triggered, this, &TMainForm::About1Click);
    connect(AddCommand(menu, TCommand::Help2, {}), &QAction::triggered, this, &TMainForm::Help2Click);
}

void TMainForm::OpenDic1Click()
{
    if (m_busy)
        return;
    OpenMainDictionary(m_dic, m_lifecycle->Settings, *m_ui);
    RefreshCommands();
}

void TMainForm::OpenCombiDic1Click()
{
    if (m_busy)
        return;
    OpenCombiDictionary(m_combiDic, m_lifecycle->Settings, *m_ui);
    RefreshCommands();
}

void TMainForm::AskSetting(int& value, int low, int high)
{
    m_inputForm->AskNumber(value, low, high);
}

QFont TMainForm::FontInUse() const
{
    // The family the editor really paints with: a name from the settings that
    // this system lacks would leave the font dialog on its own default.
    QFont font = m_editor->font();
    font.setFamily(QFontInfo(font).family());
    return font;
}

void TMainForm::Font1Click()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontInUse(), this, Q("Шрифт"));
    if (!ok)
        return;
    // The font is the editor's, not the text's: the caret stays and the text
    // is not modified.
    TEditorFont font = m_font;
    font.Name = PathFromQString(chosen.family());
    if (chosen.pointSize() > 0)
        font.Size = chosen.pointSize();
    SetEditorFont(font);
    QFont applied = m_editor->font();
    applied.setBold(chosen.bold());
    applied.setItalic(chosen.italic());
    m_editor->setFont(applied);
}

void TMainForm::About1Click()
{
    QDialog about(
        this, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    about.setObjectName(QStringLiteral("AboutForm"));
    about.setWindowTitle(Q("О программе"));
    auto* layout = new QVBoxLayout(&about);
    const std::vector<std::string> lines = AboutLines(TILDO_VERSION, m_dic, m_combiDic);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto* label = new QLabel(ToQString(lines[i]), &about);
        label->setObjectName(QStringLiteral("lAbout%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        if (i == 0) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    about.adjustSize();
    about.move(geometry().center() - about.rect().center());
    about.exec();
}

void TMainForm::Help2Click()
{
    const std::string path = m_lifecycle->Settings.Files.FindDataFile("tildo.html");
    if (!QFileInfo::exists(PathToQString(path))) {
        m_ui->ErrorBox(Cp("Файл \"") + PathForDisplay(path) + Cp("\" не найден"));
        return;
    }
    // Without a browser (or one that fails to start) the user still learns
    // where the page is, to open it by hand.
    if (!OpenUrl(QUrl::fromLocalFile(PathToQString(path))))
        m_ui->InfoBox(Cp("Не удалось открыть справку в браузере. Откройте файл\n") + PathForDisplay(path)
            + Cp("\nв любом браузере или просмотрщике HTML."));
}

bool TMainForm::PanelInUse() const
{
    return m_busy && Command("ToDockAskForm1")->isChecked();
}

void TMainForm::changeEvent(QEvent* event)
{
    // While the docked panel holds a question the window keeps its size.
    if (event->type() == QEvent::WindowStateChange && PanelInUse() && (windowState() & Qt::WindowMaximized)) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        setWindowState(change->oldState() & ~Qt::WindowMaximized);
    }
    QMainWindow::changeEvent(event);
}

} // namespace tildo
