#include "main_form.h"

#include "app/documents.h"
#include "app/lifecycle.h"
#include "app/testing_mode.h"
#include "ask_form.h"
#include "ask_panel.h"
#include "engine/yoficator.h"
#include "find_dialog.h"
#include "input_form.h"
#include "platform/scope_guard.h"
#include "platform/text_document.h"
#include "qt_asker.h"
#include "qt_document_editor.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"
#include "stats/statistics.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tildo {

TMainForm::TMainForm(const TUiFactory& makeUi, QWidget* parent)
    : QMainWindow(parent)
    , m_editor(new QPlainTextEdit(this))
    , m_statusLine(new QLabel(this))
{
    setObjectName(QStringLiteral("MainForm"));
    resize(800, 600);
    setAcceptDrops(true);

    m_editor->setObjectName(QStringLiteral("Editor"));
    // Ctrl+Z is the restoration's "Откат"; the editor keeps no undo history of its own.
    m_editor->setUndoRedoEnabled(false);
    m_editor->installEventFilter(this);
    m_editor->viewport()->installEventFilter(this);
    m_askPanel = new TAskPanel(this);
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_editor, 1);
    column->addWidget(m_askPanel);
    setCentralWidget(centre);

    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setTextFormat(Qt::PlainText);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_statusLine, 1);

    m_document = std::make_unique<TQtTextDocument>(*m_editor);
    m_ui = makeUi ? makeUi(*this, *m_statusLine) : std::make_unique<TQtUserInterface>(*this, *m_statusLine);
    m_ui->SetBeforeEvents([this] { m_document->Flush(); });
    m_docEditor = std::make_unique<TQtDocumentEditor>(*m_editor, *m_document);
    m_askForm = new TAskForm(this);
    m_findDialog = new TFindDialog(this);
    m_inputForm = new TInputForm(this);
    m_asker = std::make_unique<TQtAsker>(*this, *m_document, *m_askForm, *m_askPanel, *m_ui);
    m_engine = std::make_unique<TYoficator>(
        *m_document, *m_ui, *m_asker, m_dic, m_combiDic, m_wordWindow, m_limits);
    m_documents = std::make_unique<TDocuments>(*m_ui, *this, *m_docEditor, *this);
    m_lifecycle = std::make_unique<TLifecycle>(
        TShellParts { *m_ui, *this, *m_docEditor, *m_documents, *this, m_dic, m_combiDic, m_limits });

    CreateMenus();
    connect(m_askPanel, &TAskPanel::HotKeysChanged, this,
        [this](const QString& keys) { m_lifecycle->Settings.ButtonHotKeys = FromQString(keys); });

    connect(m_document.get(), &TQtTextDocument::TextChanged, this, [this] { m_documents->EditorChanged(); });
    connect(m_editor, &QPlainTextEdit::selectionChanged, this, [this] {
        if (!m_busy)
            RefreshCommands();
    });
    RefreshCommands();
}

TMainForm::~TMainForm() = default;

void TMainForm::Start(const std::vector<std::string>& args)
{
    m_started = true;
    m_lifecycle->Initialise(args);
    m_askPanel->SetHotKeys(ToQString(m_lifecycle->Settings.ButtonHotKeys));
    QTimer::singleShot(0, this, &TMainForm::DeferredStart);
}

void TMainForm::Start(const std::vector<std::string>& args, const std::string& programDirectory)
{
    m_started = true;
    m_lifecycle->Initialise(args, programDirectory);
    m_askPanel->SetHotKeys(ToQString(m_lifecycle->Settings.ButtonHotKeys));
    QTimer::singleShot(0, this, &TMainForm::DeferredStart);
}

void TMainForm::DeferredStart()
{
    m_lifecycle->DeferredStart();
}

void TMainForm::SetAsker(Asker* asker)
{
    m_asker->SetDelegate(asker);
}

namespace {

} // namespace

void TMainForm::RunBusy(const std::function<void()>& operation)
{
    if (m_busy)
        return;
    {
        TScopeGuard busy([this] { m_busy = true; }, [this] { m_busy = false; });
        const auto block = m_ui->BlockInput();
        const auto defer = m_document->DeferView();
        m_engine->LinesBelow = m_lifecycle->Settings.LinesBelow;
        m_engine->ContextAddLetters = m_lifecycle->Settings.ContextAddLetters;
        operation();
    }
    RefreshCommands();
}

void TMainForm::RunPass(int line, int column)
{
    RunBusy([this, line, column] { m_engine->DoYoficate(line, column); });
}

void TMainForm::YoPos1Click()
{
    const TLineColumn at = LineAndColumn(*m_document, m_document->SelStart());
    RunPass(at.Line, at.Column);
}

void TMainForm::Undo1Click()
{
    if (!m_busy)
        m_engine->UndoLast();
}

void TMainForm::ClearUserSel1Click()
{
    for (int i = 0; i < m_dic.FormAlways.Count(); ++i)
        m_dic.FormAlways.Set(i, 0);
    Command("ClearUserSel1")->setEnabled(false);
}

void TMainForm::Testing1Click()
{
    if (m_testing == nullptr)
        return;
    RunBusy([this] { m_testing->Testing1Click(); });
    SetTitle(m_testing->WindowTitle());
}

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
    CreateHelpMenu();
    CreateToolCommands();
}

void TMainForm::CreateFileMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Файл"));
    menu->setObjectName(QStringLiteral("FileMenu"));
    m_fileMenu = menu;
    QAction* testing = AddCommand(menu, "Testing1", "Тестирование", Qt::Key_F11);
    testing->setVisible(false);
    testing->setEnabled(false);
    connect(testing, &QAction::triggered, this, &TMainForm::Testing1Click);
    connect(AddCommand(menu, "Open1", "Загрузить текст", Qt::Key_F3), &QAction::triggered, this,
        [this] { m_documents->Open1Click(); });
    connect(AddCommand(menu, "Saveas1", "Сохранить текст как", Qt::Key_F2), &QAction::triggered, this,
        [this] { m_documents->Saveas1Click(); });
    connect(AddCommand(menu, "Close1", "Очистить текстовое окно", {}), &QAction::triggered, this,
        [this] { m_documents->Close1Click(); });
    connect(AddCommand(menu, "OpenDic1", "Загрузить основной словарь", {}), &QAction::triggered, this,
        &TMainForm::OpenDic1Click);
    connect(AddCommand(menu, "OpenCombiDic1", "Загрузить словарь словосочетаний", {}), &QAction::triggered,
        this, &TMainForm::OpenCombiDic1Click);
    menu->addSeparator();
    QAction* clearList = AddCommand(menu, "ClearFileList1", "Очистить список последних файлов", {});
    clearList->setEnabled(false);
    connect(clearList, &QAction::triggered, this, [this] { m_documents->ClearFileList1Click(); });
    connect(AddCommand(menu, "Exit1", "Выход", {}), &QAction::triggered, this, &QWidget::close);
}

void TMainForm::CreateEditMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Редактировать"));
    menu->setObjectName(QStringLiteral("EditMenu"));
    connect(AddCommand(menu, "Cut1", "Вырезать", QKeySequence(Qt::CTRL | Qt::Key_X)), &QAction::triggered,
        m_editor, &QPlainTextEdit::cut);
    connect(AddCommand(menu, "Copy1", "Копировать", QKeySequence(Qt::CTRL | Qt::Key_C)), &QAction::triggered,
        m_editor, &QPlainTextEdit::copy);
    connect(AddCommand(menu, "Paste1", "Вставить", QKeySequence(Qt::CTRL | Qt::Key_V)), &QAction::triggered,
        m_editor, &QPlainTextEdit::paste);
    connect(AddCommand(menu, "Selectall1", "Выделить всё", QKeySequence(Qt::CTRL | Qt::Key_A)),
        &QAction::triggered, m_editor, &QPlainTextEdit::selectAll);
    menu->addSeparator();
    QAction* undo = AddCommand(menu, "Undo1", "Откат", QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(false);
    connect(undo, &QAction::triggered, this, &TMainForm::Undo1Click);
    menu->addSeparator();
    connect(AddCommand(menu, "Find1", "Найти", QKeySequence(Qt::CTRL | Qt::Key_F)), &QAction::triggered, this,
        [this] { m_findDialog->StartSearch(*m_document, *m_ui, TFindMode::Plain); });
    connect(AddCommand(
                menu, "FindReg1", "Найти регулярное выражение", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F)),
        &QAction::triggered, this,
        [this] { m_findDialog->StartSearch(*m_document, *m_ui, TFindMode::Pattern); });
}

void TMainForm::CreateYoMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Ёфикация"));
    menu->setObjectName(QStringLiteral("YoMenu"));
    connect(AddCommand(menu, "YoPos1", "Ёфицировать с текущей позиции", Qt::Key_F9), &QAction::triggered,
        this, &TMainForm::YoPos1Click);
    connect(AddCommand(menu, "YoBegin1", "Ёфицировать с начала текста", QKeySequence(Qt::CTRL | Qt::Key_F9)),
        &QAction::triggered, this, [this] { RunPass(0, 1); });
    QAction* clearStat
        = AddCommand(menu, "ClearStat1", "Обнулить статистику", QKeySequence(Qt::SHIFT | Qt::Key_F10));
    clearStat->setEnabled(false);
    connect(clearStat, &QAction::triggered, this,
        [this] { ClearStat1Click(*m_document, m_dic, m_combiDic, m_engine->Counters(), *m_ui); });
    QAction* clearUserSel = AddCommand(menu, "ClearUserSel1", "Сбросить \"Всегда Е/Ё\"", {});
    clearUserSel->setEnabled(false);
    connect(clearUserSel, &QAction::triggered, this, &TMainForm::ClearUserSel1Click);
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
    connect(noVarOnly, &QAction::triggered, this, [varOnly](bool on) {
        if (on)
            varOnly->setChecked(false);
    });
    connect(varOnly, &QAction::triggered, this, [noVarOnly](bool on) {
        if (on)
            noVarOnly->setChecked(false);
    });
    connect(AddOption(menu, "RTF1", "Сохранять в формате RTF", false), &QAction::triggered, this,
        &TMainForm::ApplyRichTextMode);
    connect(AddOption(menu, "WordWrap1", "Заворачивать текст (\"Word wrap\")", false), &QAction::triggered,
        this, &TMainForm::ApplyWordWrap);
    AddOption(menu, "ProposeLast1", "Предлагать последний вариант", true);
    AddOption(menu, "ToConfirm1", "Подтверждать операции", true);
    AddOption(menu, "FBFormat1", "Формат \"FictionBook\"", false);
    AddOption(menu, "CombiWords1", "Анализ словосочетаний", false)->setEnabled(false);
    AddOption(menu, "LastFile1", "Запоминать последний файл", true);
    AddLayoutOptions(menu);
    ApplyWordWrap();
}

void TMainForm::ApplyRichTextMode()
{
    m_docEditor->SetRichText(Command("RTF1")->isChecked());
    Command("Font1")->setEnabled(!m_docEditor->IsRichText());
}

void TMainForm::ApplyWordWrap()
{
    // Laying the text out again is not an edit: the editor's change
    // notification does not fire for it.
    m_docEditor->SetWordWrap(Command("WordWrap1")->isChecked());
}

bool TMainForm::HasDictionary() const
{
    return m_dic.HasEntries();
}

void TMainForm::RefreshCommands()
{
    const bool text = m_document->Length() > 0;
    const bool selection = m_editor->textCursor().hasSelection();
    const bool dictionary = HasDictionary();
    for (const char* name : { "Saveas1", "Close1", "Selectall1", "Find1" })
        Command(name)->setEnabled(text);
    for (const char* name : { "Cut1", "Copy1" })
        Command(name)->setEnabled(text && selection);
    for (const char* name : { "YoBegin1", "YoPos1" })
        Command(name)->setEnabled(text && dictionary);
    Command("ClearFileList1")->setEnabled(m_recentActions.size() > 0);
    Command("CombiWords1")->setEnabled(m_combiDic.Count() > 0);
    RefreshToolCommands();
}

} // namespace tildo
