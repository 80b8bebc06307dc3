#include "main_form.h"

#include "ask_form.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>

namespace tildo {

TMainForm::TMainForm(const TUiFactory& makeUi, QWidget* parent)
    : QMainWindow(parent)
    , m_editor(new QTextEdit(this))
    , m_statusLine(new QLabel(this))
{
    setObjectName(QStringLiteral("MainForm"));
    resize(800, 600);

    m_editor->setObjectName(QStringLiteral("Editor"));
    // Ctrl+Z is the restoration's "Откат"; the editor keeps no undo history of its own.
    m_editor->setUndoRedoEnabled(false);
    m_editor->setAcceptRichText(false);
    m_editor->installEventFilter(this);
    setCentralWidget(m_editor);

    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setTextFormat(Qt::PlainText);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_statusLine, 1);

    m_document = std::make_unique<TQtTextDocument>(*m_editor);
    m_ui = makeUi ? makeUi(*this, *m_statusLine) : std::make_unique<TQtUserInterface>(*this, *m_statusLine);
    m_askForm = new TAskForm(this);

    CreateMenus();

    connect(m_editor, &QTextEdit::textChanged, this, [this] {
        if (!m_busy)
            RefreshCommands();
    });
    connect(m_editor, &QTextEdit::selectionChanged, this, [this] {
        if (!m_busy)
            RefreshCommands();
    });
    RefreshCommands();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::Command(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

QAction* TMainForm::AddCommand(
    QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(Q(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

QAction* TMainForm::AddOption(QMenu* menu, const char* name, const char* caption, bool checked)
{
    QAction* action = AddCommand(menu, name, caption, {});
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

void TMainForm::CreateMenus()
{
    CreateFileMenu();
    CreateEditMenu();
    CreateYoMenu();
    CreateOptionsMenu();
}

void TMainForm::CreateFileMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Файл"));
    menu->setObjectName(QStringLiteral("FileMenu"));
    AddCommand(menu, "Open1", "Загрузить текст", Qt::Key_F3);
    AddCommand(menu, "Saveas1", "Сохранить текст как", Qt::Key_F2);
    AddCommand(menu, "Close1", "Очистить текстовое окно", {});
    menu->addSeparator();
    QAction* exit = AddCommand(menu, "Exit1", "Выход", {});
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void TMainForm::CreateEditMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Редактировать"));
    menu->setObjectName(QStringLiteral("EditMenu"));
    connect(AddCommand(menu, "Cut1", "Вырезать", QKeySequence(Qt::CTRL | Qt::Key_X)), &QAction::triggered,
        m_editor, &QTextEdit::cut);
    connect(AddCommand(menu, "Copy1", "Копировать", QKeySequence(Qt::CTRL | Qt::Key_C)), &QAction::triggered,
        m_editor, &QTextEdit::copy);
    connect(AddCommand(menu, "Paste1", "Вставить", QKeySequence(Qt::CTRL | Qt::Key_V)), &QAction::triggered,
        m_editor, &QTextEdit::paste);
    connect(AddCommand(menu, "Selectall1", "Выделить всё", QKeySequence(Qt::CTRL | Qt::Key_A)),
        &QAction::triggered, m_editor, &QTextEdit::selectAll);
    menu->addSeparator();
    AddCommand(menu, "Undo1", "Откат", QKeySequence(Qt::CTRL | Qt::Key_Z))->setEnabled(false);
}

void TMainForm::CreateYoMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Ёфикация"));
    menu->setObjectName(QStringLiteral("YoMenu"));
    AddCommand(menu, "YoPos1", "Ёфицировать с текущей позиции", Qt::Key_F9);
    AddCommand(menu, "YoBegin1", "Ёфицировать с начала текста", QKeySequence(Qt::CTRL | Qt::Key_F9));
}

void TMainForm::CreateOptionsMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Опции"));
    menu->setObjectName(QStringLiteral("OptionsMenu"));
    AddOption(menu, "AlwaysAsk1", "Всегда подтверждать замену", false);
    AddOption(menu, "Mark1", "Помечать исправленное", true);
    AddOption(menu, "FastScroll1", "Быстрая промотка", false);
    AddOption(menu, "CheckYo1", "Проверять расстановку \"ё\"", false);
    QAction* noVarOnly = AddOption(menu, "NoVarOnly1", "Только бесспорные замены", false);
    QAction* varOnly = AddOption(menu, "VarOnly1", "Только обязательные замены", false);
    // Turning one of the two on turns the other off; turning one off leaves the other.
    connect(noVarOnly, &QAction::toggled, this, [varOnly](bool on) {
        if (on)
            varOnly->setChecked(false);
    });
    connect(varOnly, &QAction::toggled, this, [noVarOnly](bool on) {
        if (on)
            noVarOnly->setChecked(false);
    });
    connect(AddOption(menu, "RTF1", "Сохранять в формате RTF", false), &QAction::toggled, this,
        &TMainForm::ApplyRichTextMode);
    connect(AddOption(menu, "WordWrap1", "Заворачивать текст (\"Word wrap\")", false), &QAction::toggled,
        this, &TMainForm::ApplyWordWrap);
    AddOption(menu, "ProposeLast1", "Предлагать последний вариант", true);
    AddOption(menu, "ToConfirm1", "Подтверждать операции", true);
    AddOption(menu, "FBFormat1", "Формат \"FictionBook\"", false);
    AddOption(menu, "CombiWords1", "Анализ словосочетаний", false)->setEnabled(false);
    AddOption(menu, "LastFile1", "Запоминать последний файл", true);
    ApplyWordWrap();
}

void TMainForm::ApplyRichTextMode()
{
    m_editor->setAcceptRichText(Command("RTF1")->isChecked());
}

void TMainForm::ApplyWordWrap()
{
    // Laying the text out again is not an edit.
    const bool modified = m_editor->document()->isModified();
    m_editor->setLineWrapMode(Command("WordWrap1")->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    m_editor->document()->setModified(modified);
}

bool TMainForm::HasDictionary() const
{
    return false;
}

void TMainForm::RefreshCommands()
{
    const bool text = !m_editor->document()->isEmpty();
    const bool selection = m_editor->textCursor().hasSelection();
    const bool dictionary = HasDictionary();
    for (const char* name : { "Saveas1", "Close1", "Selectall1" })
        Command(name)->setEnabled(text);
    for (const char* name : { "Cut1", "Copy1" })
        Command(name)->setEnabled(text && selection);
    for (const char* name : { "YoBegin1", "YoPos1" })
        Command(name)->setEnabled(text && dictionary);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && event->type() == QEvent::ShortcutOverride) {
        // Leave Ctrl+Z to the menu's "Откат" instead of the editor's own undo.
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A running pass owns the text; the window closes when it is over.
    if (m_busy) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace tildo
