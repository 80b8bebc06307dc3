#include "qt_user_interface.h"

#include "qt_strings.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <ctime>
#include <utility>

namespace tildo {

namespace {

// Milliseconds of the monotonic clock, to a few milliseconds.
qint64 CoarseMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

bool IsInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// True when the event goes to the modal window open now (or to a pop-up menu
// over it), which must keep working while the rest of the program is blocked.
// The window whose operation runs is blocked even when it is itself modal (the
// dictionary editor): only what opens over it keeps working.
bool BelongsToOpenModal(QObject* watched, const QWidget& busyWindow)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == &busyWindow)
        modal = nullptr;
    QWidget* popup = QApplication::activePopupWidget();
    if (auto* w = qobject_cast<QWidget*>(watched)) {
        if (modal != nullptr && (w->window() == modal || modal->isAncestorOf(w)))
            return true;
        if (popup != nullptr && w->window() == popup)
            return true;
        return false;
    }
    if (auto* window = qobject_cast<QWindow*>(watched)) {
        return (modal != nullptr && modal->windowHandle() == window)
            || (popup != nullptr && popup->windowHandle() == window);
    }
    return false;
}

} // namespace

TQtUserInterface::TQtUserInterface(QWidget& window, QLabel& statusLabel)
    : m_window(window)
    , m_statusLabel(statusLabel)
{
    QCoreApplication::instance()->installEventFilter(this);
}

TQtUserInterface::~TQtUserInterface()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
    for (; m_busyDepth > 0; --m_busyDepth)
        QApplication::restoreOverrideCursor();
}

QMessageBox::StandardButton TQtUserInterface::ShowBox(QMessageBox::Icon icon, const QString& caption,
    const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, caption, text, buttons, &m_window);
    box.setDefaultButton(defaultButton);
    // Said as a Russian editor says them, whatever Qt's translations hold.
    for (const auto& [button, label] :
        { std::pair { QMessageBox::Save, "Сохранить" }, std::pair { QMessageBox::Discard, "Не сохранять" },
            std::pair { QMessageBox::Cancel, "Отмена" } }) {
        if (QAbstractButton* b = box.button(button))
            b->setText(Q(label));
    }
    // A question must be answered with the normal pointer, whatever runs behind it.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    QApplication::restoreOverrideCursor();
    return static_cast<QMessageBox::StandardButton>(answer);
}

QMessageBox::StandardButton TQtUserInterface::Box(QMessageBox::Icon icon, const char* caption,
    const std::string& text, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    BeforeEvents();
    return ShowBox(icon, Q(caption), ToQString(text), buttons, defaultButton);
}

void TQtUserInterface::ErrorBox(const std::string& text)
{
    Box(QMessageBox::Critical, "Ошибка", text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TQtUserInterface::QuestionYesNo(const std::string& text)
{
    return Box(QMessageBox::Warning, "Внимание", text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

TDialogAnswer TQtUserInterface::QuestionYesNoCancel(const std::string& text)
{
    switch (Box(QMessageBox::Warning, "Внимание", text,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return TDialogAnswer::Yes;
    case QMessageBox::No:
        return TDialogAnswer::No;
    default:
        return TDialogAnswer::Cancel;
    }
}

TDialogAnswer TQtUserInterface::QuestionSaveChanges(const std::string& text)
{
    switch (Box(QMessageBox::Warning, "Внимание", text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
    case QMessageBox::Save:
        return TDialogAnswer::Yes;
    case QMessageBox::Discard:
        return TDialogAnswer::No;
    default:
        return TDialogAnswer::Cancel;
    }
}

bool TQtUserInterface::QuestionOkCancel(const std::string& text)
{
    return Box(QMessageBox::Warning, "Внимание", text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

void TQtUserInterface::SetCaption(const std::string& text)
{
    m_window.setWindowTitle(ToQString(text));
}

void TQtUserInterface::InfoBox(const std::string& text)
{
    Box(QMessageBox::NoIcon, "", text, QMessageBox::Ok, QMessageBox::Ok);
}

void TQtUserInterface::WarningBox(const std::string& text)
{
    Box(QMessageBox::Warning, "Внимание", text, QMessageBox::Ok, QMessageBox::Ok);
}

void TQtUserInterface::SetStatusText(const std::string& text)
{
    m_status = text;
    m_statusLabel.setText(ToQString(text));
}

void TQtUserInterface::SetBusyCursor(bool busy)
{
    if (busy) {
        ++m_busyDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0) {
        --m_busyDepth;
        QApplication::restoreOverrideCursor();
    }
}

bool TQtUserInterface::IsEscPressed()
{
    if (!m_polling) {
        m_polling = true;
        // The operation that polls is over when the event loop waits again.
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
            m_idleConnection = connect(
                dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TQtUserInterface::EndPolling);
        }
    }
    if (m_lastPump < 0 || CoarseMilliseconds() - m_lastPump >= PumpInterval)
        Pump();
    const bool pressed = m_escPressed || m_escDown;
    m_escPressed = false;
    return pressed;
}

void TQtUserInterface::Pump()
{
    BeforeEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_lastPump = CoarseMilliseconds();
}

void TQtUserInterface::BeforeEvents()
{
    if (m_beforeEvents)
        m_beforeEvents();
}

void TQtUserInterface::EndPolling()
{
    m_polling = false;
    disconnect(m_idleConnection);
    if (m_blockDepth == 0)
        m_escPressed = m_escDown = false;
}

bool TQtUserInterface::InOpenArea(QObject* watched) const
{
    if (m_openArea == nullptr || QApplication::activeModalWidget() != nullptr)
        return false;
    if (auto* w = qobject_cast<QWidget*>(watched))
        return w == m_openArea || m_openArea->isAncestorOf(w);
    // The window passes its input on to its widgets, which are filtered one by one.
    auto* window = qobject_cast<QWindow*>(watched);
    return window != nullptr && window == m_openArea->window()->windowHandle();
}

void FitToScreen(QWidget& window)
{
    QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center());
    if (screen == nullptr)
        screen = window.screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QRect inner = window.geometry();
    // What the window manager's frame adds, once the window has one.
    const QRect outer = window.frameGeometry();
    const int frameWidth = outer.width() - inner.width();
    const int frameHeight = outer.height() - inner.height();
    const int width = std::max(std::min(inner.width(), area.width() - frameWidth), window.minimumWidth());
    const int height
        = std::max(std::min(inner.height(), area.height() - frameHeight), window.minimumHeight());
    if (width != inner.width() || height != inner.height())
        window.resize(width, height);
    const QRect now = window.frameGeometry();
    const int left
        = std::clamp(now.left(), area.left(), std::max(area.left(), area.right() + 1 - now.width()));
    const int top = std::clamp(now.top(), area.top(), std::max(area.top(), area.bottom() + 1 - now.height()));
    if (left != now.left() || top != now.top())
        window.move(left, top);
}

bool TQtUserInterface::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        // Every window and dialog, whatever size and place it was given or
        // restored with, is shown whole on its screen.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->isWindow()
            && (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog))
            FitToScreen(*widget);
        return false;
    }
    if (!IsInputEvent(event->type()))
        return false;
    const bool blocking = IsBlockingInput() && !BelongsToOpenModal(watched, m_window) && !InOpenArea(watched);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            // A release always counts, so that Esc never stays down for the
            // next operation when it was let go while nothing was blocked.
            if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
                m_escDown = false;
            else if (event->type() == QEvent::KeyPress && blocking)
                m_escPressed = m_escDown = true;
        }
    }
    return blocking;
}

QAction* TQtUserInterface::Command(TCommandName command) const
{
    // The pass reads option marks after every word: the action is looked up
    // once and remembered for as long as it exists.
    QPointer<QAction>& cached = m_actions[command.Index()];
    if (cached.isNull()) {
        const std::string_view name = command.Name();
        cached = m_window.findChild<QAction*>(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    return cached.data();
}

void TQtUserInterface::SetCommandEnabled(TCommandName command, bool enabled)
{
    if (QAction* action = Command(command))
        action->setEnabled(enabled);
}

bool TQtUserInterface::IsCommandEnabled(TCommandName command) const
{
    const QAction* action = Command(command);
    return action != nullptr && action->isEnabled();
}

void TQtUserInterface::SetCommandChecked(TCommandName command, bool checked)
{
    if (QAction* action = Command(command))
        action->setChecked(checked);
    else
        m_marksWithoutItem[std::string(command.Name())] = checked;
}

bool TQtUserInterface::IsCommandChecked(TCommandName command) const
{
    if (const QAction* action = Command(command))
        return action->isChecked();
    const auto it = m_marksWithoutItem.find(command.Name());
    return it != m_marksWithoutItem.end() && it->second;
}

void TQtUserInterface::SetCommandCaption(TCommandName command, const std::string& caption)
{
    if (QAction* action = Command(command))
        action->setText(ToQString(caption));
}

namespace {

// "Caption|patterns|Caption|patterns" as a Qt dialog filter, "Caption (patterns);;...".
QString DialogFilter(const std::string& filter)
{
    const QStringList parts
        = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString DialogStart(const TFileChoice& choice)
{
    const QString dir = PathToQString(choice.Directory);
    const QString name = PathToQString(choice.FileName);
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || dir.isEmpty())
        return name.isEmpty() ? dir : name;
    return dir + QLatin1Char('/') + name;
}

} // namespace

QString TQtUserInterface::ShowOpenDialog(const QString& start, const QString& filter)
{
    BeforeEvents();
    return QFileDialog::getOpenFileName(&m_window, QString(), start, filter);
}

QString TQtUserInterface::ShowSaveDialog(const QString& start, const QString& filter)
{
    BeforeEvents();
    return QFileDialog::getSaveFileName(
        &m_window, QString(), start, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

std::string TQtUserInterface::ChooseOpenFile(const TFileChoice& choice)
{
    return PathFromQString(ShowOpenDialog(DialogStart(choice), DialogFilter(choice.Filter)));
}

std::string TQtUserInterface::ChooseSaveFile(const TFileChoice& choice)
{
    return PathFromQString(ShowSaveDialog(DialogStart(choice), DialogFilter(choice.Filter)));
}

} // namespace tildo
