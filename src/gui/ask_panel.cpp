#include "ask_panel.h"

#include "platform/scope_guard.h"
#include "qt_strings.h"
#include "text/cp1251.h"
#include "text_colours.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace tildo {

namespace {

const QColor AskingColour(192, 192, 255);
const QColor WaitingColour(255, 192, 192);
const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);
const QString DefaultHotKeys = QStringLiteral("1234");
constexpr int ButtonHeight = 25;
constexpr int RowGap = 3;
constexpr int ColumnGap = 10;

void Paint(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool ValidHotKeys(const QString& keys)
{
    if (keys.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        if (!keys[i].isLetterOrNumber() || keys.indexOf(keys[i]) != i
            || static_cast<unsigned char>(CharFromQChar(keys[i])) == ForeignPlaceholder)
            return false;
    }
    return true;
}

} // namespace

TAskPanel::TAskPanel(QWidget* parent)
    : QFrame(parent)
    , m_leftRect(new QFrame(this))
    , m_rightRect(new QFrame(this))
    , m_bevel(new QFrame(this))
    , m_caption(new QLabel(this))
    , m_sample(new QLabel(this))
    , m_rekeyField(new QLineEdit(this))
{
    setObjectName(QStringLiteral("AskPanel"));
    setFixedHeight(PanelHeight);
    for (QFrame* strip : { m_leftRect, m_rightRect })
        strip->setAutoFillBackground(true);
    m_leftRect->setObjectName(QStringLiteral("AskLeftRect"));
    m_rightRect->setObjectName(QStringLiteral("AskRightRect"));
    m_bevel->setObjectName(QStringLiteral("AskBevel"));
    m_bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_bevel->setLineWidth(2);

    m_caption->setObjectName(QStringLiteral("lCaption"));
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setAlignment(Qt::AlignCenter);
    QFont bold = m_caption->font();
    bold.setBold(true);
    bold.setPixelSize(14);
    m_caption->setFont(bold);
    m_sample->setObjectName(QStringLiteral("lSample"));
    m_sample->hide();

    m_buttons[Ye] = MakeButton("bYe", TAnswer::Plain);
    m_buttons[Yo] = MakeButton("bYo", TAnswer::Dotted);
    m_buttons[YeAll] = MakeButton("bYeAll", TAnswer::AlwaysPlain);
    m_buttons[YoAll] = MakeButton("bYoAll", TAnswer::AlwaysDotted);
    m_buttons[Undo] = MakeButton("bUndo", TAnswer::Undo);
    m_buttons[Cancel] = MakeButton("bCancel", TAnswer::Cancel);
    m_texts = { Q("Е"), Q("Ё"), Q("Всегда Е"), Q("Всегда Ё"), Q("Откат"), Q("Отмена") };

    m_rekeyField->setObjectName(QStringLiteral("eHotKey"));
    m_rekeyField->setMaxLength(1);
    m_rekeyField->setAlignment(Qt::AlignCenter);
    m_rekeyField->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\p{L}\\p{N}]")), m_rekeyField));
    connect(m_rekeyField, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text != text.toUpper())
            m_rekeyField->setText(text.toUpper());
    });
    m_rekeyField->installEventFilter(this);
    m_rekeyField->hide();

    Relabel();
    SetPanelLook(false);
    m_caption->clear();
    hide();
}

TAskPanel::~TAskPanel()
{
    if (m_loop != nullptr)
        qApp->removeEventFilter(this);
}

QPushButton* TAskPanel::MakeButton(const char* name, TAnswer code)
{
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setEnabled(false);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, code] { Answer(code); });
    return button;
}

void TAskPanel::SetHotKeys(const QString& keys)
{
    m_hotKeys = ValidHotKeys(keys) ? keys : DefaultHotKeys;
    Relabel();
    LayoutPanel();
}

QString TAskPanel::CaptionWithKey(int button) const
{
    QString text = m_texts[static_cast<std::size_t>(button)];
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (button <= YoAll)
        text += QStringLiteral(" (&") + m_hotKeys[button] + QLatin1Char(')');
    return text;
}

void TAskPanel::Relabel()
{
    for (int b = 0; b < ButtonCount; ++b)
        m_buttons[static_cast<std::size_t>(b)]->setText(CaptionWithKey(b));
}

void TAskPanel::BeginPass()
{
    m_inPass = true;
    SetPanelLook(false);
    show();
    LayoutPanel();
    repaint();
}

void TAskPanel::EndPass()
{
    m_inPass = false;
    hide();
}

void TAskPanel::SetPanelLook(bool asking)
{
    m_asking = asking;
    if (!asking) {
        m_alert = false;
        m_caption->setText(Q("Подождите или нажмите Esc"));
        LayoutPanel();
    }
    ApplyColours();
    // The pass does not process events between questions: paint now.
    if (isVisible())
        repaint();
}

void TAskPanel::ApplyColours()
{
    // Every colour of the panel from the palette as it is now: the tints stay
    // light in a light palette and turn dark in a dark one.
    const QColor window = QApplication::palette(this).color(QPalette::Window);
    const QColor colour = TintFor(m_asking ? AskingColour : WaitingColour, window);
    const TScopeGuard painting([this] { m_painting = true; }, [this] { m_painting = false; });
    Paint(*this, colour);
    Paint(*m_caption, colour);
    QPalette caption = m_caption->palette();
    caption.setColor(QPalette::WindowText, WithContrast(m_alert ? Red : Navy, colour));
    m_caption->setPalette(caption);
    for (QFrame* strip : { m_leftRect, m_rightRect }) {
        QPalette palette = strip->palette();
        palette.setBrush(QPalette::Window, QBrush(TintFor(QColor(128, 128, 160), window), Qt::BDiagPattern));
        strip->setPalette(palette);
    }
}

void TAskPanel::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (!m_painting
        && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange))
        ApplyColours();
}

void TAskPanel::LayoutPanel()
{
    const QFontMetrics metrics(m_sample->font());
    auto textWidth = [&](int b) {
        return metrics.horizontalAdvance(QString(CaptionWithKey(b)).remove(QLatin1Char('&')));
    };
    const int left = std::max({ textWidth(Ye), textWidth(Yo), textWidth(Undo) }) + 40;
    const int right = std::max({ textWidth(YeAll), textWidth(YoAll), textWidth(Cancel) }) + 40;
    const int captionWidth = m_caption->fontMetrics().horizontalAdvance(m_caption->text()) + 8;
    const int areaWidth = std::max(left + ColumnGap + right, captionWidth) + 20;
    const int areaLeft = (width() - areaWidth) / 2;
    m_bevel->setGeometry(areaLeft, 3, areaWidth, PanelHeight - 6);
    m_caption->setGeometry(areaLeft + (areaWidth - captionWidth) / 2, 8, captionWidth, 20);
    const int columnsLeft = areaLeft + (areaWidth - (left + ColumnGap + right)) / 2;
    const std::pair<TButton, TButton> rows[] = { { Ye, YeAll }, { Yo, YoAll }, { Undo, Cancel } };
    int y = 32;
    for (const auto& [l, r] : rows) {
        m_buttons[l]->setGeometry(columnsLeft, y, left, ButtonHeight);
        m_buttons[r]->setGeometry(columnsLeft + left + ColumnGap, y, right, ButtonHeight);
        y += ButtonHeight + RowGap;
    }
    m_leftRect->setGeometry(0, 0, std::max(areaLeft, 0), PanelHeight);
    m_rightRect->setGeometry(
        areaLeft + areaWidth, 0, std::max(width() - areaLeft - areaWidth, 0), PanelHeight);
}

void TAskPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    LayoutPanel();
}

void TAskPanel::ShowQuestion(const TQuestion& q)
{
    QString caption = ToQString(q.Caption);
    if (caption.isEmpty()) {
        caption = q.DottedMisplaced ? Q("Странное расположение \"Ё\"")
            : q.DottedMismatch      ? Q("Вероятно, здесь должна быть \"Е\"")
            : q.DottedMissing       ? Q("Вероятно, здесь должна быть \"Ё\"")
                                    : Q("Выберите верный вариант");
    }
    m_caption->setText(caption);
    m_alert = q.DottedMissing || q.DottedMismatch;
    ApplyColours();

    m_texts[Ye] = ToQString(q.PlainForm);
    m_texts[Yo] = ToQString(q.DottedForm);
    m_texts[Undo] = q.UndoCaption.empty() ? Q("Откат") : ToQString(q.UndoCaption);
    Relabel();
    // The context judge's evidence on the answer it proposes.
    const QString evidence = Q("По контексту: ") + ToQString(q.ContextEvidence);
    m_buttons[Ye]->setToolTip(q.ContextAnswer == TAnswer::Plain ? evidence : QString());
    m_buttons[Yo]->setToolTip(q.ContextAnswer == TAnswer::Dotted ? evidence : QString());
    m_buttons[YeAll]->setEnabled(q.AlwaysPlainEnabled);
    m_buttons[YoAll]->setEnabled(q.AlwaysDottedEnabled);
    QWidget* main = window();
    if (main->isVisible() && main->isEnabled())
        m_buttons[q.DefaultDotted ? Yo : Ye]->setFocus();
    LayoutPanel();
}

void TAskPanel::FreezeWindow(bool frozen)
{
    QWidget* main = window();
    if (main == this)
        return;
    if (frozen) {
        main->setFixedSize(main->size());
    } else {
        main->setMinimumSize(m_bevel->width(), 0);
        main->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

TAnswer TAskPanel::Ask(const TQuestion& question)
{
    if (!m_inPass)
        BeginPass();
    for (QPushButton* b : m_buttons)
        b->setEnabled(true);
    m_buttons[Undo]->setEnabled(question.UndoEnabled);
    FreezeWindow(true);
    SetPanelLook(true);
    ShowQuestion(question);
    window()->raise();
    window()->activateWindow();

    QApplication::setOverrideCursor(Qt::ArrowCursor);
    // Ahead of every other filter: the answer keys work wherever the focus is.
    qApp->installEventFilter(this);
    QEventLoop loop;
    m_loop = &loop;
    m_answer = TAnswer::None;
    loop.exec();
    m_loop = nullptr;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (m_rekeying >= 0)
        EndRekey(false);

    m_texts[Ye] = Q("Е");
    m_texts[Yo] = Q("Ё");
    m_texts[Undo] = Q("Откат");
    Relabel();
    for (QPushButton* b : m_buttons)
        b->setEnabled(false);
    SetPanelLook(false);
    FreezeWindow(false);
    return m_answer != TAnswer::None ? m_answer : TAnswer::Cancel;
}

void TAskPanel::Answer(TAnswer code)
{
    if (m_loop == nullptr || m_answer != TAnswer::None)
        return;
    m_answer = code;
    m_loop->quit();
}

bool TAskPanel::AnswerKey(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Escape) {
        m_buttons[Cancel]->click();
        return true;
    }
    const Qt::KeyboardModifiers mods = key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods != Qt::NoModifier && mods != Qt::AltModifier)
        return false;
    QString text = key.text().toUpper();
    if (text.isEmpty() && key.key() > 0 && key.key() < 0x10000)
        text = QChar(key.key()).toUpper();
    if (text.size() != 1)
        return false;
    const int b = static_cast<int>(m_hotKeys.indexOf(text[0]));
    if (b < 0 || !m_buttons[static_cast<std::size_t>(b)]->isEnabled())
        return false;
    m_buttons[static_cast<std::size_t>(b)]->click();
    return true;
}

void TAskPanel::StartRekey(int button)
{
    m_rekeying = button;
    for (int b = 0; b < ButtonCount; ++b) {
        m_savedEnabled[static_cast<std::size_t>(b)] = m_buttons[static_cast<std::size_t>(b)]->isEnabled();
        m_buttons[static_cast<std::size_t>(b)]->setEnabled(false);
    }
    const QPushButton* target = m_buttons[static_cast<std::size_t>(button)];
    const QFontMetrics metrics(m_sample->font());
    const int fieldWidth = std::max(13, metrics.horizontalAdvance(QStringLiteral("W")) + 8);
    const int fieldHeight = std::min(target->height(), metrics.height() + 6);
    const int before
        = metrics.horizontalAdvance(m_texts[static_cast<std::size_t>(button)] + QStringLiteral(" ("));
    m_rekeyField->setGeometry(target->x() + (target->width() - fieldWidth) / 2 + before / 2,
        target->y() + (target->height() - fieldHeight) / 2, fieldWidth, fieldHeight);
    m_rekeyField->setText(m_hotKeys.mid(button, 1));
    m_rekeyField->show();
    m_rekeyField->raise();
    m_rekeyField->setFocus();
    m_rekeyField->selectAll();
}

void TAskPanel::EndRekey(bool apply)
{
    const int button = m_rekeying;
    if (button < 0)
        return;
    const QString typed = m_rekeyField->text().toUpper();
    if (apply && typed.size() == 1 && !m_hotKeys.contains(typed[0])) {
        QString keys = m_hotKeys;
        keys[button] = typed[0];
        if (ValidHotKeys(keys)) {
            m_hotKeys = keys;
            Relabel();
            LayoutPanel();
            emit HotKeysChanged(m_hotKeys);
        }
    }
    m_rekeying = -1;
    m_rekeyField->hide();
    for (int b = 0; b < ButtonCount; ++b)
        m_buttons[static_cast<std::size_t>(b)]->setEnabled(m_savedEnabled[static_cast<std::size_t>(b)]);
    m_buttons[static_cast<std::size_t>(button)]->setFocus();
}

bool TAskPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (m_loop == nullptr)
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress && m_rekeying < 0) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        for (int b = Ye; b <= YoAll; ++b) {
            if (watched == m_buttons[static_cast<std::size_t>(b)] && mouse->button() == Qt::RightButton) {
                if (m_buttons[static_cast<std::size_t>(b)]->isEnabled())
                    StartRekey(b);
                return true;
            }
        }
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (m_rekeying >= 0) {
        if (watched != m_rekeyField)
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
            EndRekey(key->key() != Qt::Key_Escape);
            return true;
        }
        return false;
    }
    if (static_cast<QWidget*>(watched)->window() != window())
        return false;
    if (key->key() == Qt::Key_F8 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit CopyToDicEdit();
        return true;
    }
    return AnswerKey(*key);
}

} // namespace tildo
