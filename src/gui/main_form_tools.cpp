// The main window's way into the dictionary tools: "Редактор словарей",
// "Копировать в редактор словарей", "Детальная статистика" and "Сбор новых Ё".
#include "main_form.h"

#include "app/documents.h"
#include "app/lifecycle.h"
#include "ask_form.h"
#include "ask_panel.h"
#include "dic_edit_form.h"
#include "engine/yoficator.h"
#include "find_dialog.h"
#include "line_pane.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"
#include "stat_form.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace tildo {

namespace {

// The action after `anchor` in its menu, or nullptr when it is the last one.
QAction* ActionAfter(QMenu& menu, const QAction* anchor)
{
    const QList<QAction*> actions = menu.actions();
    const qsizetype i = actions.indexOf(anchor);
    return i >= 0 && i + 1 < actions.size() ? actions[i + 1] : nullptr;
}

// The separator right before `anchor`, or `anchor` itself when there is none.
QAction* SeparatorBefore(QMenu& menu, QAction* anchor)
{
    const QList<QAction*> actions = menu.actions();
    const qsizetype i = actions.indexOf(anchor);
    return i > 0 && actions[i - 1]->isSeparator() ? actions[i - 1] : anchor;
}

} // namespace

void TMainForm::CreateToolCommands()
{
    const auto insert = [this](QMenu* menu, QAction* before, TCommand command, const QKeySequence& shortcut) {
        QAction* action = AddCommand(menu, command, shortcut);
        if (before != nullptr) {
            menu->removeAction(action);
            menu->insertAction(before, action);
        }
        return action;
    };
    auto* fileMenu = findChild<QMenu*>(QStringLiteral("FileMenu"));
    auto* editMenu = findChild<QMenu*>(QStringLiteral("EditMenu"));
    auto* yoMenu = findChild<QMenu*>(QStringLiteral("YoMenu"));

    connect(insert(fileMenu, SeparatorBefore(*fileMenu, Command("ClearFileList1")), TCommand::EditDic1,
                Qt::Key_F4),
        &QAction::triggered, this, &TMainForm::EditDic1Click);
    connect(
        insert(editMenu, ActionAfter(*editMenu, Command("Selectall1")), TCommand::CopyToDicEdit1, Qt::Key_F8),
        &QAction::triggered, this, &TMainForm::CopyToDicEdit1Click);
    connect(insert(yoMenu, ActionAfter(*yoMenu, Command("YoBegin1")), TCommand::Stat1,
                QKeySequence(Qt::CTRL | Qt::Key_T)),
        &QAction::triggered, this, &TMainForm::Stat1Click);
    connect(insert(yoMenu, nullptr, TCommand::YoCollect1, {}), &QAction::triggered, this,
        &TMainForm::YoCollect1Click);

    // The question dialog hands its selected context over the same way.
    connect(m_askForm, &TAskForm::CopyToDicEdit, this,
        [this](const QString& text) { CopyToDicEdit(FromQString(text)); });
    connect(m_askPanel, &TAskPanel::CopyToDicEdit, this, &TMainForm::CopyToDicEdit1Click);
}

void TMainForm::RefreshToolCommands()
{
    const bool text = m_document->Length() > 0;
    Command("CopyToDicEdit1")->setEnabled(text && m_editor->textCursor().hasSelection());
    Command("YoCollect1")->setEnabled(text && HasDictionary());
}

TDicEditForm& TMainForm::DicEditForm()
{
    if (m_dicEditForm == nullptr) {
        TDicEditForm::TContext context;
        const TFileLocations& files = m_lifecycle->Settings.Files;
        context.ProgramDir = DirectoryOf(files.FindDataFile("tildo.dat"));
        context.WorkDir = files.StateDirectory;
        context.Limits = &m_limits;
        context.Links = LinksToDictionaries(m_dic, m_combiDic, *m_ui);
        m_dicEditForm = new TDicEditForm(context, m_dicEditUi, this);
        TDicEditForm* editor = m_dicEditForm;
        editor->SetFindHandler(
            [this, editor](TextDocument& pane) { m_findDialog->SearchIn(pane, editor->Ui(), editor); });
    }
    return *m_dicEditForm;
}

TStatForm& TMainForm::StatForm()
{
    if (m_statForm == nullptr)
        m_statForm = new TStatForm(*m_ui, m_lifecycle->Settings.Files.StateDirectory, this);
    return *m_statForm;
}

void TMainForm::EditDic1Click()
{
    if (m_busy)
        return;
    // insert.log and the scratch file of sorting go to the logs' folder.
    if (!m_lifecycle->PrepareStateDirectory())
        return;
    TDicEditForm& editor = DicEditForm();
    const QRect place(pos(), size());
    const QList<QAction*> menus = menuBar()->actions();
    for (QAction* menu : menus)
        menu->setEnabled(false);
    hide();
    editor.Execute(place, m_split, m_ui->IsCommandChecked("InsertLog1"));
    m_split = editor.Split();
    m_ui->SetCommandChecked("InsertLog1", editor.IsInsertLog());
    for (QAction* menu : menus)
        menu->setEnabled(true);
    show();
    // The editor may have had the dictionaries reloaded.
    RefreshCommands();
}

void TMainForm::CopyToDicEdit1Click()
{
    const int start = m_document->SelStart();
    const int length = m_document->SelLength();
    if (length <= 0)
        return;
    CopyToDicEdit(
        m_document->Text().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length)));
}

void TMainForm::CopyToDicEdit(const std::string& text)
{
    if (!text.empty())
        DicEditForm().AppendWord(text);
}

void TMainForm::Stat1Click()
{
    // Where the save dialog proposes the log.
    m_lifecycle->PrepareStateDirectory();
    StatForm().Execute(m_dic, m_combiDic);
}

void TMainForm::YoCollect1Click()
{
    TDicEditForm& editor = DicEditForm();
    m_engine->SetWordPane(&editor.WordPane());
    RunBusy([this] { m_engine->CollectNewDotted(); });
}

} // namespace tildo
