#include "ask_form.h"

#include "qt_strings.h"
#include "text_colours.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

namespace tildo {

namespace {

// The dialog's result codes: the answers' codes of the classic dialog; a
// dialog closed any other way gives one no answer has, which cancels.
constexpr int DialogPlain = 65281;
constexpr int DialogDotted = 65282;
constexpr int DialogAlwaysPlain = 65283;
constexpr int DialogAlwaysDotted = 65284;
constexpr int DialogUndo = 65285;
constexpr int DialogCancel = 2;

int ResultOfAnswer(TAnswer answer)
{
    switch (answer) {
    case TAnswer::Plain:
        return DialogPlain;
    case TAnswer::Dotted:
        return DialogDotted;
    case TAnswer::AlwaysPlain:
        return DialogAlwaysPlain;
    case TAnswer::AlwaysDotted:
        return DialogAlwaysDotted;
    case TAnswer::Undo:
        return DialogUndo;
    default:
        return DialogCancel;
    }
}

TAnswer AnswerOfResult(int code)
{
    switch (code) {
    case DialogPlain:
        return TAnswer::Plain;
    case DialogDotted:
        return TAnswer::Dotted;
    case DialogAlwaysPlain:
        return TAnswer::AlwaysPlain;
    case DialogAlwaysDotted:
        return TAnswer::AlwaysDotted;
    case DialogUndo:
        return TAnswer::Undo;
    default:
        return TAnswer::Cancel;
    }
}

} // namespace

namespace {

constexpr int MinContextWidth = 365;
constexpr int Margin = 9; // on each side of the context field: client width = field + 18
constexpr int ColumnGap = 5;
constexpr int RowGap = 4;
constexpr int RightColumnMinWidth = 110;
const QColor MismatchBackground(255, 208, 208);

QString WithAccelerator(const QString& text, QChar key)
{
    return text + QStringLiteral(" (&") + key + QLatin1Char(')');
}

QString EscapeAmpersands(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString CaptionOf(const TQuestion& q)
{
    if (!q.Caption.empty())
        return ToQString(q.Caption);
    if (q.DottedMisplaced)
        return Q("Странное расположение \"Ё\"");
    if (q.DottedMismatch)
        return Q("Вероятно, здесь должна быть \"Е\"");
    if (q.DottedMissing)
        return Q("Вероятно, здесь должна быть \"Ё\"");
    return Q("Выберите верный вариант");
}

} // namespace

TAskForm::TAskForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_context(new QTextEdit(this))
    , m_sample(new QLabel(this))
{
    setObjectName(QStringLiteral("AskForm"));
    setWindowTitle(Q("Выберите правильный вариант"));
    setModal(true);

    m_context->setObjectName(QStringLiteral("reContext"));
    m_context->setReadOnly(true);
    m_context->setUndoRedoEnabled(false);
    m_context->setFocusPolicy(Qt::ClickFocus);
    m_context->setLineWrapMode(QTextEdit::NoWrap);
    m_context->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_context->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_context->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_context->document()->setDocumentMargin(1);
    m_context->setContextMenuPolicy(Qt::CustomContextMenu);
    m_context->installEventFilter(this);
    connect(m_context, &QWidget::customContextMenuRequested, this, &TAskForm::ShowContextMenu);

    m_sample->setObjectName(QStringLiteral("lSample"));
    m_sample->hide();

    m_bYe = MakeButton("bYe");
    m_bYo = MakeButton("bYo");
    m_bYeAll = MakeButton("bYeAll");
    m_bYoAll = MakeButton("bYoAll");
    m_bUndo = MakeButton("bUndo");
    m_bCancel = MakeButton("bCancel");
    m_bYeAll->setText(WithAccelerator(Q("Всегда Е"), QLatin1Char('3')));
    m_bYoAll->setText(WithAccelerator(Q("Всегда Ё"), QLatin1Char('4')));
    m_bUndo->setText(Q("Откат"));
    m_bCancel->setText(Q("Отмена"));
    connect(m_bYe, &QPushButton::clicked, this, [this] { Answer(TAnswer::Plain); });
    connect(m_bYo, &QPushButton::clicked, this, [this] { Answer(TAnswer::Dotted); });
    connect(m_bYeAll, &QPushButton::clicked, this, [this] { Answer(TAnswer::AlwaysPlain); });
    connect(m_bYoAll, &QPushButton::clicked, this, [this] { Answer(TAnswer::AlwaysDotted); });
    connect(m_bUndo, &QPushButton::clicked, this, [this] { Answer(TAnswer::Undo); });
    connect(m_bCancel, &QPushButton::clicked, this, [this] { Answer(TAnswer::Cancel); });

    Layout(0);
}

QPushButton* TAskForm::MakeButton(const char* name)
{
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(true);
    return button;
}

int TAskForm::ClientWidthFor(int contextWidth)
{
    return std::max(contextWidth + 3, MinContextWidth) + 2 * Margin;
}

void TAskForm::Layout(int contextWidth)
{
    int right = RightColumnMinWidth;
    for (QPushButton* b : { m_bYeAll, m_bYoAll, m_bCancel })
        right = std::max(right, b->sizeHint().width());
    // A long caption (the undo of a long word) widens the dialog rather than
    // lose its end.
    int leftNeeded = 0;
    for (QPushButton* b : { m_bYe, m_bYo, m_bUndo })
        leftNeeded = std::max(leftNeeded, b->sizeHint().width());
    const int frame = m_context->frameWidth();
    const int fieldClient
        = std::max(ClientWidthFor(contextWidth) - 2 * Margin, leftNeeded + ColumnGap + right - 2 * frame);
    const int fieldWidth = fieldClient + 2 * frame;
    const int lineHeight = QFontMetrics(m_context->font()).height();
    const int fieldHeight
        = lineHeight + 2 * static_cast<int>(m_context->document()->documentMargin()) + 2 * frame + 4;
    m_context->setGeometry(Margin, Margin, fieldWidth, fieldHeight);

    const int left = fieldWidth - right - ColumnGap;
    const int rowHeight = m_bYe->sizeHint().height();
    int y = Margin + fieldHeight + 8;
    const std::pair<QPushButton*, QPushButton*> rows[] = {
        { m_bYe, m_bYeAll },
        { m_bYo, m_bYoAll },
        { m_bUndo, m_bCancel },
    };
    for (const auto& [l, r] : rows) {
        l->setGeometry(Margin, y, left, rowHeight);
        r->setGeometry(Margin + left + ColumnGap, y, right, rowHeight);
        y += rowHeight + RowGap;
    }
    setFixedSize(fieldWidth + 2 * Margin - 2 * frame, y - RowGap + Margin);
    // The field keeps its client width; its frame may reach into the margins.
    m_context->move(Margin - frame, Margin);
}

void TAskForm::PaintContext()
{
    // The context on the palette's tooltip colour (pink for a misplaced ё), in
    // black or white as reads better there, with the word in a red that
    // stands out from it.
    const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
    const QColor base = m_mismatch ? TintFor(MismatchBackground, tooltip) : tooltip;
    const QColor text = ReadableOn(base);
    QPalette palette = m_context->palette();
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    m_context->setPalette(palette);

    // Centred, nothing selected.
    m_context->clear();
    QTextCursor c(m_context->document());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    QTextCharFormat black;
    black.setForeground(text);
    QTextCharFormat red;
    red.setForeground(WithContrast(QColor(255, 0, 0), base));
    c.insertText(m_contextText.left(m_wordOffset), black);
    c.insertText(m_contextText.mid(m_wordOffset, m_wordLength), red);
    c.insertText(m_contextText.mid(m_wordOffset + m_wordLength), black);
    m_context->setTextCursor(QTextCursor(m_context->document()));
}

void TAskForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // A palette chosen while the program runs: the context is painted anew.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        PaintContext();
}

void TAskForm::ShowQuestion(const TQuestion& q)
{
    setWindowTitle(CaptionOf(q));
    m_bYe->setText(WithAccelerator(EscapeAmpersands(ToQString(q.PlainForm)), QLatin1Char('1')));
    m_bYo->setText(WithAccelerator(EscapeAmpersands(ToQString(q.DottedForm)), QLatin1Char('2')));
    m_bYeAll->setText(WithAccelerator(Q("Всегда Е"), QLatin1Char('3')));
    m_bYoAll->setText(WithAccelerator(Q("Всегда Ё"), QLatin1Char('4')));
    // The context judge's evidence on the answer it proposes.
    const QString evidence = Q("По контексту: ") + ToQString(q.ContextEvidence);
    m_bYe->setToolTip(q.ContextAnswer == TAnswer::Plain ? evidence : QString());
    m_bYo->setToolTip(q.ContextAnswer == TAnswer::Dotted ? evidence : QString());

    m_bUndo->setText(q.UndoCaption.empty() ? Q("Откат") : EscapeAmpersands(ToQString(q.UndoCaption)));

    const QString context = ToQString(q.Context);
    m_sample->setFont(font());
    const int contextWidth = m_sample->fontMetrics().horizontalAdvance(context);
    Layout(contextWidth);

    m_contextText = context;
    m_wordOffset = std::clamp<qsizetype>(q.WordOffset, 0, context.size());
    m_wordLength = std::clamp<qsizetype>(q.WordLength, 0, context.size() - m_wordOffset);
    m_mismatch = q.DottedMismatch;
    PaintContext();

    m_bUndo->setEnabled(q.UndoEnabled);
    m_bYeAll->setEnabled(q.AlwaysPlainEnabled);
    m_bYoAll->setEnabled(q.AlwaysDottedEnabled);
    m_bYe->setEnabled(true);
    m_bYo->setEnabled(true);
    m_bCancel->setEnabled(true);

    m_defaultDotted = q.DefaultDotted;
    QPushButton* proposed = m_defaultDotted ? m_bYo : m_bYe;
    for (QPushButton* b : { m_bYe, m_bYo, m_bYeAll, m_bYoAll, m_bUndo, m_bCancel })
        b->setDefault(b == proposed);
    proposed->setFocus();
}

QPoint TAskForm::PlaceOffWord(const QRect& word) const
{
    QPoint at = m_lastPosition;
    if (!m_placed && parentWidget() != nullptr) {
        // Where a dialog opens at first: centred over its window.
        const QRect owner = parentWidget()->window()->frameGeometry();
        at = owner.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2);
    }
    if (word.isEmpty())
        return at;
    constexpr int Gap = 8;
    const QSize size = frameGeometry().size();
    const QRect covered = QRect(at, size).adjusted(-Gap, -Gap, Gap, Gap);
    if (!covered.intersects(word))
        return at;
    // Below the word, or above it when the screen ends first.
    const QScreen* shown = QGuiApplication::screenAt(word.center());
    const QRect area = shown != nullptr ? shown->availableGeometry() : QRect();
    const int below = word.bottom() + 1 + Gap;
    const int above = word.top() - Gap - size.height();
    if (area.isEmpty() || below + size.height() <= area.bottom() + 1 || above < area.top())
        at.setY(below);
    else
        at.setY(above);
    return at;
}

TAnswer TAskForm::Ask(const TQuestion& question, const QRect& word)
{
    ShowQuestion(question);
    if (m_placed || !word.isEmpty())
        move(PlaceOffWord(word));
    // Answers are given with the normal pointer, whatever the pass shows behind.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int code = exec();
    QApplication::restoreOverrideCursor();
    return AnswerOfResult(code);
}

void TAskForm::Answer(TAnswer answer)
{
    done(ResultOfAnswer(answer));
}

void TAskForm::reject()
{
    done(ResultOfAnswer(TAnswer::Cancel));
}

bool TAskForm::AnswerDigit(int key)
{
    switch (key) {
    case Qt::Key_1:
        Answer(TAnswer::Plain);
        return true;
    case Qt::Key_2:
        Answer(TAnswer::Dotted);
        return true;
    case Qt::Key_3:
        if (!m_bYeAll->isEnabled())
            return false;
        Answer(TAnswer::AlwaysPlain);
        return true;
    case Qt::Key_4:
        if (!m_bYoAll->isEnabled())
            return false;
        Answer(TAnswer::AlwaysDotted);
        return true;
    default:
        return false;
    }
}

void TAskForm::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        if (AnswerDigit(event->key()))
            return;
        if (event->key() == Qt::Key_Backspace) {
            if (m_bUndo->isEnabled())
                Answer(TAnswer::Undo);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

bool TAskForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_context || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy))
        return false;
    if (key->key() == Qt::Key_F8 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        CopySelectionToDicEdit();
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Backspace:
        if (m_bUndo->isEnabled())
            Answer(TAnswer::Undo);
        return true;
    default:
        // Every other key typed into the context is swallowed; 1 to 4 answer.
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
            AnswerDigit(key->key());
        return true;
    }
}

void TAskForm::ShowContextMenu(const QPoint& at)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(Q("Копировать"), m_context, &QTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(m_context->textCursor().hasSelection());
    QAction* toDicEdit
        = menu.addAction(Q("Копировать в редактор словарей"), this, &TAskForm::CopySelectionToDicEdit);
    toDicEdit->setObjectName(QStringLiteral("CopyToDicEdit2"));
    toDicEdit->setShortcut(Qt::Key_F8);
    toDicEdit->setEnabled(m_context->textCursor().hasSelection());
    menu.exec(m_context->mapToGlobal(at));
}

void TAskForm::CopySelectionToDicEdit()
{
    const QString text = m_context->textCursor().selectedText();
    if (!text.isEmpty())
        emit CopyToDicEdit(text);
}

void TAskForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    (m_defaultDotted ? m_bYo : m_bYe)->setFocus();
}

void TAskForm::hideEvent(QHideEvent* event)
{
    m_lastPosition = pos();
    m_placed = true;
    QDialog::hideEvent(event);
}

} // namespace tildo
