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
#include "review_form.h"
#include "stats/statistics.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace tildo {

TMainForm::TMainForm(const TUiFactory& makeUi, QWidget* parent)
    : QMainWindow(parent)
    , m_editor(new QPlainTextEdit(this))
    , m_statusLine(new QLabel(this))
{
    setObjectName(QStringLiteral("MainForm"));
    OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    resize(800, 600);
    setAcceptDrops(true);

    m_editor->setObjectName(QStringLiteral("Editor"));
    // The editor's own undo history holds the user's typing only; what a pass
    // or "Откат" writes is left out of it (see OwnEdits).
    m_editor->setUndoRedoEnabled(true);
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
    m_engine->LearnsFromAnswers = true;
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
        const auto edits = OwnEdits();
        const auto block = m_ui->BlockInput();
        const auto defer = m_document->DeferView();
        m_engine->LinesBelow = m_lifecycle->Settings.LinesBelow;
        m_engine->ContextAddLetters = m_lifecycle->Settings.ContextAddLetters;
        operation();
    }
    RefreshCommands();
}

TContextJudge* TMainForm::ContextJudge()
{
    return m_context.JudgeFor(*m_ui);
}

void TMainForm::RunPass(int line, int column)
{
    m_undoAllAtOnce = false;
    m_writtenAfterPass.Clear();
    // The tag dictionary is read only now, and only with the option on; a
    // damaged file is shown in a box and the pass goes on without context.
    m_engine->SetContextJudge(ContextJudge());
    RunBusy([this, line, column] { m_engine->DoYoficate(line, column); });
}

void TMainForm::YoPos1Click()
{
    const TLineColumn at = LineAndColumn(*m_document, m_document->SelStart());
    RunPass(at.Line, at.Column);
}

void TMainForm::Undo1Click()
{
    if (m_busy)
        return;
    const auto edits = OwnEdits();
    if (m_undoAllAtOnce) {
        m_undoAllAtOnce = false;
        while (m_writtenAfterPass.TakeBackLast(*m_document) != TUndoHistory::TTakeBack::Nothing) { }
        while (m_engine->UndoLast() != TUndoHistory::TTakeBack::Nothing) { }
        m_ui->SetCommandEnabled("Undo1", false);
        m_ui->SetCommandCaption("Undo1", m_engine->UndoHistory().UndoCaption());
        return;
    }
    m_engine->UndoLast();
}

void TMainForm::TakeBackAllAtOnce(const std::string& caption, TUndoHistory written)
{
    m_writtenAfterPass = std::move(written);
    m_undoAllAtOnce = m_engine->UndoHistory().UndoAvailable() || m_writtenAfterPass.UndoAvailable();
    if (!m_undoAllAtOnce)
        return;
    m_ui->SetCommandEnabled("Undo1", true);
    m_ui->SetCommandCaption("Undo1", caption);
}

void TMainForm::Review1Click()
{
    if (m_busy)
        return;
    TReviewForm review(*this);
    {
        const auto block = m_ui->BlockInput();
        review.Reload();
    }
    review.exec();
    RefreshCommands();
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

QAction* TMainForm::Command(TCommandName command) const
{
    return m_ui->Command(command);
}

QAction* TMainForm::AddCommand(QMenu* menu, TCommand command, const QKeySequence& shortcut)
{
    const TCommandInfo& info = CommandInfo(command);
    QAction* action = menu->addAction(
        QString::fromUtf8(info.Caption.data(), static_cast<qsizetype>(info.Caption.size())));
    action->setObjectName(QString::fromLatin1(info.Name.data(), static_cast<qsizetype>(info.Name.size())));
    action->setShortcut(shortcut);
    return action;
}

QAction* TMainForm::AddOption(QMenu* menu, TCommand command, bool checked)
{
    QAction* action = AddCommand(menu, command, {});
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
    QAction* testing = AddCommand(menu, TCommand::Testing1, Qt::Key_F11);
    testing->setVisible(false);
    testing->setEnabled(false);
    connect(testing, &QAction::triggered, this, &TMainForm::Testing1Click);
    connect(AddCommand(menu, TCommand::Open1, Qt::Key_F3), &QAction::triggered, this,
        [this] { m_documents->Open1Click(); });
    connect(AddCommand(menu, TCommand::Saveas1, Qt::Key_F2), &QAction::triggered, this,
        [this] { m_documents->Saveas1Click(); });
    connect(AddCommand(menu, TCommand::Close1, {}), &QAction::triggered, this,
        [this] { m_documents->Close1Click(); });
    connect(AddCommand(menu, TCommand::OpenDic1, {}), &QAction::triggered, this, &TMainForm::OpenDic1Click);
    connect(AddCommand(menu, TCommand::OpenCombiDic1, {}), &QAction::triggered, this,
        &TMainForm::OpenCombiDic1Click);
    menu->addSeparator();
    QAction* clearList = AddCommand(menu, TCommand::ClearFileList1, {});
    clearList->setEnabled(false);
    connect(clearList, &QAction::triggered, this, [this] { m_documents->ClearFileList1Click(); });
    connect(AddCommand(menu, TCommand::Exit1, {}), &QAction::triggered, this, &QWidget::close);
}

void TMainForm::CreateEditMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Редактировать"));
    menu->setObjectName(QStringLiteral("EditMenu"));
    connect(AddCommand(menu, TCommand::Cut1, QKeySequence(Qt::CTRL | Qt::Key_X)), &QAction::triggered,
        m_editor, &QPlainTextEdit::cut);
    connect(AddCommand(menu, TCommand::Copy1, QKeySequence(Qt::CTRL | Qt::Key_C)), &QAction::triggered,
        m_editor, &QPlainTextEdit::copy);
    connect(AddCommand(menu, TCommand::Paste1, QKeySequence(Qt::CTRL | Qt::Key_V)), &QAction::triggered,
        m_editor, &QPlainTextEdit::paste);
    connect(AddCommand(menu, TCommand::Selectall1, QKeySequence(Qt::CTRL | Qt::Key_A)), &QAction::triggered,
        m_editor, &QPlainTextEdit::selectAll);
    menu->addSeparator();
    QAction* undo = AddCommand(menu, TCommand::Undo1, QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(false);
    connect(undo, &QAction::triggered, this, &TMainForm::Undo1Click);
    menu->addSeparator();
    connect(AddCommand(menu, TCommand::Find1, QKeySequence(Qt::CTRL | Qt::Key_F)), &QAction::triggered, this,
        [this] { m_findDialog->StartSearch(*m_document, *m_ui, TFindMode::Plain); });
    connect(AddCommand(menu, TCommand::FindReg1, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F)),
        &QAction::triggered, this,
        [this] { m_findDialog->StartSearch(*m_document, *m_ui, TFindMode::Pattern); });
}

void TMainForm::CreateYoMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Ёфикация"));
    menu->setObjectName(QStringLiteral("YoMenu"));
    connect(
        AddCommand(menu, TCommand::YoPos1, Qt::Key_F9), &QAction::triggered, this, &TMainForm::YoPos1Click);
    connect(AddCommand(menu, TCommand::YoBegin1, QKeySequence(Qt::CTRL | Qt::Key_F9)), &QAction::triggered,
        this, [this] { RunPass(0, 1); });
    connect(AddCommand(menu, TCommand::Review1, QKeySequence(Qt::CTRL | Qt::Key_F10)), &QAction::triggered,
        this, &TMainForm::Review1Click);
    QAction* clearStat = AddCommand(menu, TCommand::ClearStat1, QKeySequence(Qt::SHIFT | Qt::Key_F10));
    clearStat->setEnabled(false);
    connect(clearStat, &QAction::triggered, this,
        [this] { ClearStat1Click(*m_document, m_dic, m_combiDic, m_engine->Counters(), *m_ui); });
    QAction* clearUserSel = AddCommand(menu, TCommand::ClearUserSel1, {});
    clearUserSel->setEnabled(false);
    connect(clearUserSel, &QAction::triggered, this, &TMainForm::ClearUserSel1Click);
}

void TMainForm::CreateOptionsMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Опции"));
    menu->setObjectName(QStringLiteral("OptionsMenu"));
    AddOption(menu, TCommand::AlwaysAsk1, false);
    AddOption(menu, TCommand::Mark1, true);
    AddOption(menu, TCommand::FastScroll1, false);
    AddOption(menu, TCommand::CheckYo1, false);
    QAction* noVarOnly = AddOption(menu, TCommand::NoVarOnly1, false);
    QAction* varOnly = AddOption(menu, TCommand::VarOnly1, false);
    // Turning one of the two on turns the other off; turning one off leaves the other.
    connect(noVarOnly, &QAction::triggered, this, [varOnly](bool on) {
        if (on)
            varOnly->setChecked(false);
    });
    connect(varOnly, &QAction::triggered, this, [noVarOnly](bool on) {
        if (on)
            noVarOnly->setChecked(false);
    });
    connect(AddOption(menu, TCommand::RTF1, false), &QAction::triggered, this, &TMainForm::ApplyRichTextMode);
    connect(
        AddOption(menu, TCommand::WordWrap1, false), &QAction::triggered, this, &TMainForm::ApplyWordWrap);
    AddOption(menu, TCommand::ProposeLast1, true);
    AddOption(menu, TCommand::ToConfirm1, true);
    AddOption(menu, TCommand::FBFormat1, false);
    AddOption(menu, TCommand::CombiWords1, false)->setEnabled(false);
    AddOption(menu, TCommand::Context1, true);
    AddOption(menu, TCommand::LastFile1, true);
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
    for (const TCommand name : { TCommand::Saveas1, TCommand::Close1, TCommand::Selectall1, TCommand::Find1 })
        Command(name)->setEnabled(text);
    for (const TCommand name : { TCommand::Cut1, TCommand::Copy1 })
        Command(name)->setEnabled(text && selection);
    for (const TCommand name : { TCommand::YoBegin1, TCommand::YoPos1, TCommand::Review1 })
        Command(name)->setEnabled(text && dictionary);
    Command("ClearFileList1")->setEnabled(m_recentActions.size() > 0);
    Command("CombiWords1")->setEnabled(m_combiDic.Count() > 0);
    RefreshToolCommands();
}

} // namespace tildo
