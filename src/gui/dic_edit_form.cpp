#include "dic_edit_form.h"

#include "line_pane.h"
#include "platform/file_io.h"
#include "platform/scope_guard.h"
#include "qt_morph_form.h"
#include "qt_strings.h"
#include "qt_user_interface.h"
#include "text_colours.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>

#include <algorithm>

namespace tildo {

namespace {

constexpr int SplitterWidth = 3;
const QColor WordPaneTint(255, 250, 225);

} // namespace

TDicEditForm::TDicEditForm(const TContext& context, const TUiFactory& makeUi, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , m_dicPane(MakePane("DicEditor"))
    , m_wordPane(MakePane("WordEditor"))
    , m_splitter(new QSplitter(Qt::Vertical, this))
    , m_statusLine(new QLabel(this))
{
    setObjectName(QStringLiteral("DicEditForm"));
    resize(800, 600);

    m_dicPane->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_wordPane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TintWordPane();

    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setHandleWidth(SplitterWidth);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_dicPane);
    m_splitter->addWidget(m_wordPane);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    setCentralWidget(m_splitter);

    m_statusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusLine->setTextFormat(Qt::PlainText);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_statusLine, 1);

    m_ui = makeUi ? makeUi(*this, *m_statusLine) : std::make_unique<TQtUserInterface>(*this, *m_statusLine);
    m_morphForm = new TQtMorphForm(this);

    CreateMenus();

    TDicEditorSetup setup;
    setup.ProgramDir = context.ProgramDir;
    setup.WorkDir = context.WorkDir.empty() ? context.ProgramDir : context.WorkDir;
    setup.Limits = context.Limits;
    setup.Morphs = &m_morphs;
    setup.Dialog = m_morphForm;
    setup.Links = context.Links;
    m_logic = std::make_unique<TDicEditor>(*m_dicPane, *m_wordPane, *m_ui, std::move(setup));

    connect(m_dicPane, &TLinePane::TextChanged, this, [this] { m_logic->DicEditorChange(m_active); });
    connect(m_wordPane, &TLinePane::TextChanged, this, [this] { m_logic->WordEditorChange(m_active); });
    m_logic->UpdateCommands(m_active);
}

TDicEditForm::~TDicEditForm() = default;

TLinePane* TDicEditForm::MakePane(const char* name)
{
    auto* pane = new TLinePane(this);
    pane->setObjectName(QString::fromLatin1(name));
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pane->installEventFilter(this);
    return pane;
}

bool TDicEditForm::LoadMorphs(const std::string& path)
{
    try {
        m_morphs.LoadMorphs(path);
    } catch (const EFileError&) {
        // A rules file that cannot be read is a missing one: no message.
        m_morphs.Clear();
    }
    m_logic->UpdateCommands(m_active);
    return m_morphs.MorphsLoaded;
}

QAction* TDicEditForm::Command(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

// --- showing and closing ----------------------------------------------------------

void TDicEditForm::Open(const QRect& geometry, const TSplitLayout& split, bool insertLog)
{
    if (geometry.isValid()) {
        move(geometry.topLeft());
        resize(geometry.size());
    }
    Command("InsertLog1")->setChecked(insertLog);
    Command("SplitVert1")->setChecked(split.Vertical);
    m_splitSize = split.Size;
    show();
    ApplySplit(split.Vertical, split.Size);
    m_active = TPane::Word;
    m_logic->FormShow();
}

void TDicEditForm::Execute(const QRect& geometry, const TSplitLayout& split, bool insertLog)
{
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &TDicEditForm::Closed, &loop, &QEventLoop::quit);
    Open(geometry, split, insertLog);
    if (isVisible())
        loop.exec();
    setWindowModality(Qt::NonModal);
}

TSplitLayout TDicEditForm::Split() const
{
    TSplitLayout split;
    split.Vertical = Command("SplitVert1")->isChecked();
    split.Size = m_splitSize;
    if (isVisible()) {
        const QList<int> sizes = m_splitter->sizes();
        if (sizes.size() == 2 && sizes[1] > 0)
            split.Size = sizes[1];
    }
    return split;
}

bool TDicEditForm::IsInsertLog() const
{
    return Command("InsertLog1")->isChecked();
}

void TDicEditForm::ApplySplit(bool vertical, int size)
{
    m_splitter->setOrientation(vertical ? Qt::Horizontal : Qt::Vertical);
    const int total = vertical ? m_splitter->width() : m_splitter->height();
    const int word = std::clamp(size, 1, std::max(1, total - SplitterWidth - 1));
    m_splitter->setSizes({ std::max(1, total - SplitterWidth - word), word });
}

void TDicEditForm::TintWordPane()
{
    // The word pane stands apart from the dictionary by its tint, light or
    // dark as the palette is, its text readable on it.
    const QPalette& palette = QApplication::palette(m_wordPane);
    const QColor base = TintFor(WordPaneTint, palette.color(QPalette::Base));
    QPalette tinted = m_wordPane->palette();
    tinted.setColor(QPalette::Base, base);
    tinted.setColor(QPalette::Text, WithContrast(palette.color(QPalette::Text), base));
    m_wordPane->setPalette(tinted);
}

void TDicEditForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        TintWordPane();
}

void TDicEditForm::closeEvent(QCloseEvent* event)
{
    // A long command lets paint events through while it runs; the window's
    // close box must wait until it is over.
    if (m_running || !m_logic->FormCloseQuery()) {
        event->ignore();
        return;
    }
    m_splitSize = Split().Size;
    m_logic->FormClose();
    QMainWindow::closeEvent(event);
    emit Closed();
}

void TDicEditForm::AppendWord(const std::string& line)
{
    m_logic->AppendWord(line);
}

// --- keys and focus -----------------------------------------------------------------

bool TDicEditForm::IsCommandKey(const QKeyEvent& key) const
{
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true;
    }
    return false;
}

bool TDicEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_dicPane || watched == m_wordPane) {
        if (event->type() == QEvent::FocusIn) {
            m_active = watched == m_dicPane ? TPane::Dic : TPane::Word;
            m_logic->UpdateCommands(m_active);
        } else if (event->type() == QEvent::ShortcutOverride
            && IsCommandKey(*static_cast<QKeyEvent*>(event))) {
            // The pane would take Ctrl+Del, Ctrl+Insert and the like for its
            // own editing; here they are the window's commands.
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- commands -------------------------------------------------------------------------

QAction* TDicEditForm::AddCommand(
    QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(Q(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

void TDicEditForm::Connect(QAction* action, std::function<void()> command)
{
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] {
        if (m_running)
            return;
        {
            TScopeGuard running([this] { m_running = true; }, [this] { m_running = false; });
            command();
        }
        m_logic->UpdateCommands(m_active);
    });
}

void TDicEditForm::ClipboardCommand(void (TLinePane::*operation)())
{
    TLinePane* pane = m_active == TPane::Dic ? m_dicPane : m_wordPane;
    (pane->*operation)();
}

void TDicEditForm::Find1Click()
{
    if (m_find)
        m_find(m_active == TPane::Dic ? *m_dicPane : *m_wordPane);
}

void TDicEditForm::CreateMenus()
{
    CreateFileMenu();
    CreateEditMenu();
    CreateOperationsMenu();
    CreateOptionsMenu();
}

void TDicEditForm::CreateFileMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Файл"));
    menu->setObjectName(QStringLiteral("DicFileMenu"));
    Connect(AddCommand(menu, "Open1", "Загрузить словарь", Qt::Key_F3), [this] { m_logic->Open1Click(); });
    Connect(
        AddCommand(menu, "OpenCurrDic1", "Загрузить текущий словарь", QKeySequence(Qt::CTRL | Qt::Key_F3)),
        [this] { m_logic->OpenCurrDic1Click(); });
    Connect(
        AddCommand(menu, "OpenCurrCombiDic1", "Загрузить текущий СС", QKeySequence(Qt::SHIFT | Qt::Key_F3)),
        [this] { m_logic->OpenCurrCombiDic1Click(); });
    Connect(AddCommand(menu, "Save1", "Сохранить словарь", Qt::Key_F2), [this] { m_logic->Save1Click(); });
    Connect(AddCommand(menu, "Subtract1", "Вычесть словарь", {}), [this] { m_logic->Subtract1Click(); });
    connect(AddCommand(menu, "Exit1", "Выход", {}), &QAction::triggered, this, &QWidget::close);
}

void TDicEditForm::CreateEditMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Редактировать"));
    menu->setObjectName(QStringLiteral("DicEditMenu"));
    Connect(AddCommand(menu, "Cut1", "Вырезать", QKeySequence(Qt::CTRL | Qt::Key_X)),
        [this] { ClipboardCommand(&TLinePane::cut); });
    Connect(AddCommand(menu, "Copy1", "Копировать", QKeySequence(Qt::CTRL | Qt::Key_C)),
        [this] { ClipboardCommand(&TLinePane::copy); });
    Connect(AddCommand(menu, "Paste1", "Вставить", QKeySequence(Qt::CTRL | Qt::Key_V)),
        [this] { ClipboardCommand(&TLinePane::paste); });
    Connect(AddCommand(menu, "Selectall1", "Выделить всё", QKeySequence(Qt::CTRL | Qt::Key_A)),
        [this] { m_logic->Selectall1Click(m_active); });
}

void TDicEditForm::CreateOperationsMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Операции"));
    menu->setObjectName(QStringLiteral("DicOperationsMenu"));
    Connect(AddCommand(menu, "Sort1", "Сортировать словарь", Qt::Key_F5), [this] { m_logic->Sort1Click(); });
    Connect(AddCommand(menu, "DelDoubles1", "Удалить дубли из словаря", QKeySequence(Qt::CTRL | Qt::Key_D)),
        [this] { m_logic->DelDoubles1Click(); });
    Connect(
        AddCommand(menu, "CheckDic1", "Найти следующую ошибку в словаре", QKeySequence(Qt::CTRL | Qt::Key_E)),
        [this] { m_logic->CheckDic1Click(); });
    menu->addSeparator();
    Connect(AddCommand(menu, "AddToDic1", "Добавить в словарь", Qt::Key_Insert),
        [this] { m_logic->AddToDic1Click(); });
    Connect(AddCommand(menu, "DelFromDic1", "Удалить слово", QKeySequence(Qt::CTRL | Qt::Key_Delete)),
        [this] { m_logic->DelFromDic1Click(m_active); });
    Connect(AddCommand(menu, "Lower1", "В нижний регистр", QKeySequence(Qt::CTRL | Qt::Key_L)),
        [this] { m_logic->Lower1Click(m_active); });
    Connect(AddCommand(menu, "Upper1", "С заглавной буквы", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L)),
        [this] { m_logic->Upper1Click(m_active); });
    Connect(AddCommand(menu, "Find1", "Найти подстроку", QKeySequence(Qt::CTRL | Qt::Key_F)),
        [this] { Find1Click(); });
    Connect(AddCommand(menu, "FindInDic1", "Найти место в словаре", QKeySequence(Qt::CTRL | Qt::Key_G)),
        [this] { m_logic->FindInDic1Click(); });
    Connect(AddCommand(menu, "Morph1", "Создать формы слова", QKeySequence(Qt::CTRL | Qt::Key_Insert)),
        [this] { m_logic->Morph1Click(); });
    Connect(AddCommand(menu, "SweepWordEditor1", "Убрать лишние слова из окна слов", {}),
        [this] { m_logic->SweepWordEditor1Click(); });
}

void TDicEditForm::CreateOptionsMenu()
{
    QMenu* menu = menuBar()->addMenu(Q("Опции"));
    menu->setObjectName(QStringLiteral("DicOptionsMenu"));
    // The menu item inverts its own check mark; the logic reads it when it matters.
    for (const auto& [name, caption] : { std::pair { "IsCombiWords1", "Режим \"Словарь словосочетаний\"" },
             std::pair { "InsertLog1", "Вести лог новых слов" },
             std::pair { "SplitVert1", "Вертикальный разделитель" } }) {
        QAction* option = AddCommand(menu, name, caption, {});
        option->setCheckable(true);
    }
    connect(Command("SplitVert1"), &QAction::triggered, this, [this](bool vertical) {
        // The word pane keeps its size across the turn.
        const int size = Split().Size;
        ApplySplit(vertical, size);
    });
}

} // namespace tildo
