// The main window as the application shell sees it: geometry, title, editor
// font, the recent-text entries, the hooks into the parts the shell does not
// own, and the window's events (closing, dropped files, typing).
#include "main_form.h"

#include "app/documents.h"
#include "app/lifecycle.h"
#include "app/testing_mode.h"
#include "dic_edit_form.h"
#include "engine/yoficator.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"
#include "stats/statistics.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QUrl>

#include <algorithm>

namespace tildo {

TScreenSize TMainForm::ScreenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return { 1024, 768 };
    const QRect area = screen->availableGeometry();
    return { area.width(), area.height() };
}

TWindowGeometry TMainForm::Geometry() const
{
    return { pos().x(), pos().y(), width(), height() };
}

void TMainForm::SetGeometry(const TWindowGeometry& geometry)
{
    move(geometry.Left, geometry.Top);
    if (geometry.Width > 0 && geometry.Height > 0)
        resize(geometry.Width, geometry.Height);
    // Saved on another screen, or at another scale: the window comes up whole.
    FitToScreen(*this);
}

void TMainForm::SetTitle(const std::string& title)
{
    m_title = title;
    setWindowTitle(PathToQString(title));
}

void TMainForm::SetEditorFont(const TEditorFont& font)
{
    // Whatever asks (the settings, the font dialog, which offers up to 512
    // points), the size the editor paints and the settings keep is one that
    // paints in time.
    m_font = font;
    m_font.Size = std::clamp(font.Size, TEditorFont::MinSize, TEditorFont::MaxSize);
    QFont qfont(PathToQString(m_font.Name));
    qfont.setPointSize(m_font.Size);
    m_editor->setFont(qfont);
    m_editor->document()->setDefaultFont(qfont);
}

void TMainForm::SetRecentFiles(const std::vector<std::string>& paths)
{
    for (QAction* action : m_recentActions)
        delete action;
    m_recentActions.clear();
    delete m_recentSeparator;
    m_recentSeparator = nullptr;
    if (paths.empty())
        return;
    m_recentSeparator = m_fileMenu->addSeparator();
    for (std::size_t i = 0; i < paths.size() && i < 9; ++i) {
        const int number = static_cast<int>(i) + 1;
        QAction* action = m_fileMenu->addAction(PathToQString(paths[i]));
        action->setObjectName(QStringLiteral("RecentFile%1").arg(number));
        action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + number)));
        connect(action, &QAction::triggered, this, [this, number] { m_documents->RecentFileClick(number); });
        m_recentActions.push_back(action);
    }
}

void TMainForm::ClearUndo()
{
    m_undoAllAtOnce = false;
    m_writtenAfterPass.Clear();
    m_engine->ClearUndo();
}

void TMainForm::SetTypingUndo(bool enabled)
{
    // Switched off, the document forgets its history; nested guards leave it
    // off until the outermost ends.
    if (enabled)
        --m_ownEditDepth;
    else
        ++m_ownEditDepth;
    m_editor->setUndoRedoEnabled(m_ownEditDepth == 0);
}

void TMainForm::ResetStatistics()
{
    tildo::ResetStatistics(m_dic, m_combiDic, m_engine->Counters(), *m_ui);
}

bool TMainForm::LoadMorphs(const std::string& path)
{
    // The word-form generator belongs to the dictionary editor.
    return DicEditForm().LoadMorphs(path);
}

void TMainForm::BindCombiLog(const std::string& path)
{
    m_engine->BindCombiLog(DirectoryOf(path));
}

void TMainForm::PrepareTestingMode()
{
    m_testing = std::make_unique<TTestingMode>(*m_document, *m_ui, *m_engine);
    // The table's width, so that its lines read as they were written.
    resize(TestingWindowWidth, height());
    m_testing->EmphasiseFormatted = [this](int offset, int length) {
        QTextCursor cursor(m_editor->document());
        cursor.setPosition(offset);
        cursor.setPosition(offset + length, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setFontPointSize(TTestingMode::FormattedPointSize);
        format.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(format);
    };
    m_testing->Start();
    Command("Testing1")->setVisible(true);
}

void TMainForm::LoadTestDictionaries(TDic& dic, TCombiWordsDic& combi)
{
    ReadTestingDic(dic, *m_ui);
    ReadTestingCombiDic(combi, *m_ui);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A running pass owns the text; the window closes when it is over.
    if (m_busy || (m_started && !m_lifecycle->CloseQuery())) {
        event->ignore();
        return;
    }
    if (m_started)
        m_lifecycle->Close();
    QMainWindow::closeEvent(event);
}

std::vector<std::string> TMainForm::DroppedFiles(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(PathFromQString(url.toLocalFile()));
    }
    return paths;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = DroppedFiles(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    m_documents->FilesDropped(paths);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && event->type() == QEvent::PaletteChange && m_document->PaletteChanged()) {
        // Marks painted for a light background would vanish on a dark one.
        const auto edits = OwnEdits();
        m_document->Recolour();
    }
    if (watched == m_editor && event->type() == QEvent::ShortcutOverride) {
        // Leave Ctrl+Z to the menu's "Откат" instead of the editor's own undo.
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo))
            return true;
    }
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo)) {
            // Typing ends the pass's undo history and a pass ends the typing's,
            // so at most one of them has anything to take back.
            if (m_editor->document()->isUndoAvailable())
                m_editor->undo();
            else
                Command("Undo1")->trigger();
            return true;
        }
        // Typing makes the offsets of the undo history meaningless.
        if (!key->text().isEmpty())
            ClearUndo();
    }
    if (watched == m_editor->viewport() && PanelInUse()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The caret belongs to the pass while the docked panel is in use.
        return true;
    }
    if (watched == m_editor->viewport()) {
        // Files dropped on the editor open as texts; other drops edit the text.
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!DroppedFiles(drag->mimeData()).empty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::string> paths = DroppedFiles(drop->mimeData());
            if (!paths.empty()) {
                drop->acceptProposedAction();
                m_documents->FilesDropped(paths);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tildo
