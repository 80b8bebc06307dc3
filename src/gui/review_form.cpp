#include "review_form.h"

#include "engine/question_groups.h"
#include "engine/run_counters.h"
#include "engine/yoficator.h"
#include "main_form.h"
#include "platform/scope_guard.h"
#include "qt_strings.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"
#include "text/cp1251.h"
#include "text/letters.h"
#include "text_colours.h"

#include <chrono>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tildo {

namespace {

enum TColumn { AnswerColumn, PlaceColumn, ContextColumn, ProposedColumn };
constexpr int RowRole = Qt::UserRole; // index into the rows; -1 on a group
constexpr int WordOffsetRole = Qt::UserRole + 1;
constexpr int WordLengthRole = Qt::UserRole + 2;

// Paints a context with its word bold on a highlight.
class TContextDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QVariant offset = index.data(WordOffsetRole);
        if (!offset.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        const QString text = plain.text;
        plain.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter);

        const int at = std::clamp(offset.toInt(), 0, static_cast<int>(text.size()));
        const int length
            = std::clamp(index.data(WordLengthRole).toInt(), 0, static_cast<int>(text.size()) - at);
        const QString parts[] = { text.left(at), text.mid(at, length), text.mid(at + length) };
        QRect r = option.rect.adjusted(4, 0, -4, 0);
        painter->save();
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QColor pen = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        // A yellow marker in a light palette, a dark amber in a dark one.
        const QColor marker = TintFor(QColor(255, 236, 140), option.palette.color(QPalette::Base));
        for (int i = 0; i < 3 && r.width() > 0; ++i) {
            QFont font = option.font;
            font.setBold(i == 1);
            painter->setFont(font);
            const int width = QFontMetrics(font).horizontalAdvance(parts[i]);
            const bool marked = i == 1 && !selected;
            if (marked)
                painter->fillRect(
                    QRect(r.left(), r.top() + 1, std::min(width, r.width()), r.height() - 2), marker);
            // The word reads on its marker whatever the palette's text colour.
            painter->setPen(marked ? ReadableOn(marker) : pen);
            painter->drawText(r, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, parts[i]);
            r.setLeft(r.left() + width);
        }
        painter->restore();
    }
};

QString DottedLetter(bool dotted)
{
    return dotted ? Q("ё") : Q("е");
}

} // namespace

TReviewForm::TReviewForm(TMainForm& main)
    // A long list: the window may fill the screen, but it is not minimised.
    : QDialog(&main,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::WindowMaximizeButtonHint)
    , m_main(main)
    , m_tree(new QTreeWidget(this))
    , m_summary(new QLabel(this))
{
    setObjectName(QStringLiteral("ReviewForm"));
    setWindowTitle(Q("Обзор спорных слов"));
    setModal(true);
    resize(820, 520);

    m_tree->setObjectName(QStringLiteral("ReviewTree"));
    m_tree->setColumnCount(4);
    m_tree->setHeaderLabels({ Q("Ответ"), Q("Место"), Q("Слово в тексте"), Q("Предложено") });
    m_tree->setUniformRowHeights(true);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setItemDelegateForColumn(ContextColumn, new TContextDelegate(m_tree));
    m_tree->header()->setSectionResizeMode(ContextColumn, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(false);
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        const int row = RowOf(item);
        if (column != AnswerColumn || row < 0)
            return;
        const bool dotted = item->checkState(AnswerColumn) == Qt::Checked;
        if (dotted != DecidedDotted(m_rows[static_cast<std::size_t>(row)].Question.Position))
            SetAnswer(m_rows[static_cast<std::size_t>(row)].Question.Position, dotted);
    });
    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { JumpTo(item); });

    m_summary->setObjectName(QStringLiteral("ReviewSummary"));
    auto* buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(Q("Применить"), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("ApplyButton"));
    QPushButton* close = buttons->addButton(Q("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(m_apply, &QPushButton::clicked, this, &TReviewForm::Apply);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);
}

void TReviewForm::Reload()
{
    TextDocument& doc = m_main.Document();
    m_main.Document().Flush();
    TQuestionCollector collector(m_main.Dic(), m_main.CombiDic(), m_main.WordWindow(), m_main.Limits());
    collector.ContextAddLetters = m_main.Engine().ContextAddLetters;
    collector.Judge = m_main.ContextJudge();
    m_rows.clear();
    for (TCollectedQuestion& q : collector.Collect(doc, m_main.Ui()))
        m_rows.push_back({ std::move(q), false });
    for (TCollectedQuestion& q : FindMixedSpellings(doc, collector.ContextAddLetters))
        m_rows.push_back({ std::move(q), true });
    Fill();
}

QTreeWidgetItem* TReviewForm::AddGroup(const QString& title, const std::vector<int>& rows)
{
    auto* group = new QTreeWidgetItem(m_tree);
    group->setText(AnswerColumn, title + QStringLiteral(" — ") + QString::number(rows.size()));
    group->setFirstColumnSpanned(true);
    group->setData(AnswerColumn, RowRole, -1);
    QFont bold = group->font(AnswerColumn);
    bold.setBold(true);
    group->setFont(AnswerColumn, bold);
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(rows.size()));
    for (int row : rows) {
        const TCollectedQuestion& q = m_rows[static_cast<std::size_t>(row)].Question;
        auto* item = new QTreeWidgetItem;
        item->setData(AnswerColumn, RowRole, row);
        // A word a combination or a standing choice settles is shown, not asked.
        const bool decidable = Decidable(row);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable
            | (decidable ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
        item->setText(
            PlaceColumn, QString::number(q.Line + 1) + QLatin1Char(':') + QString::number(q.Column));
        QString context = ToQString(q.Question.Context);
        int offset = q.Question.WordOffset;
        if (q.ContextCutBefore) {
            context.prepend(QChar(0x2026));
            ++offset;
        }
        if (q.ContextCutAfter)
            context.append(QChar(0x2026));
        item->setText(ContextColumn, context);
        item->setData(ContextColumn, WordOffsetRole, offset);
        item->setData(ContextColumn, WordLengthRole, q.Question.WordLength);
        QString proposed = DottedLetter(q.Question.DefaultDotted);
        if (q.SettledBy == TSettledBy::Combination)
            proposed += Q(" (словосочетание)");
        else if (q.SettledBy == TSettledBy::Standing)
            proposed += Q(" (всегда)");
        item->setText(ProposedColumn, proposed);
        const bool dotted = DecidedDotted(q.Position);
        item->setCheckState(AnswerColumn, dotted ? Qt::Checked : Qt::Unchecked);
        item->setText(AnswerColumn, DottedLetter(dotted));
        m_items.emplace(q.Position, item);
        children.push_back(item);
    }
    group->addChildren(children);
    return group;
}

void TReviewForm::Fill()
{
    const QSignalBlocker quiet(m_tree);
    m_tree->clear();
    m_items.clear();
    m_dotted.clear();
    std::vector<TCollectedQuestion> questions;
    std::vector<int> mixed;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const TRow& row = m_rows[i];
        m_dotted.emplace(row.Question.Position, row.Question.Question.DefaultDotted);
        if (row.Mixed)
            mixed.push_back(static_cast<int>(i));
        else
            questions.push_back(row.Question);
    }
    int asked = 0;
    for (const TQuestionGroup& group : GroupQuestions(questions)) {
        asked += static_cast<int>(group.Items.size());
        AddGroup(ToQString(group.Title), group.Items); // the questions come first in m_rows
    }
    if (!mixed.empty())
        AddGroup(ToQString(MixedSpellingTitle()), mixed);
    m_tree->expandAll();
    // Widths from the widest texts these columns hold, rather than from
    // thousands of rows.
    const QFontMetrics metrics(m_tree->font());
    m_tree->setColumnWidth(AnswerColumn, metrics.horizontalAdvance(QStringLiteral("MMMMM")) + 40);
    m_tree->setColumnWidth(PlaceColumn, metrics.horizontalAdvance(QStringLiteral("00000:000")) + 12);
    m_tree->setColumnWidth(ProposedColumn, metrics.horizontalAdvance(Q("ё (словосочетание)")) + 12);
    if (m_tree->topLevelItemCount() > 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(0)->child(0));
    m_summary->setText(Q("Спорных слов: ") + QString::number(asked) + Q("; написано по-разному: ")
        + QString::number(mixed.size()));
    m_apply->setEnabled(!m_rows.empty());
}

int TReviewForm::RowOf(const QTreeWidgetItem* item) const
{
    return item == nullptr ? -1 : item->data(AnswerColumn, RowRole).toInt();
}

bool TReviewForm::DecidedDotted(int position) const
{
    const auto it = m_dotted.find(position);
    return it != m_dotted.end() && it->second;
}

void TReviewForm::ShowAnswer(QTreeWidgetItem* item)
{
    const int row = RowOf(item);
    if (row < 0)
        return;
    const bool dotted = DecidedDotted(m_rows[static_cast<std::size_t>(row)].Question.Position);
    item->setCheckState(AnswerColumn, dotted ? Qt::Checked : Qt::Unchecked);
    item->setText(AnswerColumn, DottedLetter(dotted));
}

// Every row of the word at that offset shows the answer (a word may be in a
// group of its own and among the mixed spellings).
void TReviewForm::SetAnswer(int position, bool dotted)
{
    m_dotted[position] = dotted;
    const QSignalBlocker quiet(m_tree);
    const auto [first, last] = m_items.equal_range(position);
    for (auto it = first; it != last; ++it)
        ShowAnswer(it->second);
}

bool TReviewForm::Decidable(int row) const
{
    const TRow& r = m_rows[static_cast<std::size_t>(row)];
    return r.Mixed || r.Question.Asked();
}

void TReviewForm::SetGroupAnswer(QTreeWidgetItem* group, bool dotted)
{
    for (int i = 0; i < group->childCount(); ++i) {
        const int row = RowOf(group->child(i));
        if (Decidable(row))
            SetAnswer(m_rows[static_cast<std::size_t>(row)].Question.Position, dotted);
    }
}

void TReviewForm::JumpTo(QTreeWidgetItem* item)
{
    const int row = RowOf(item);
    if (row < 0)
        return;
    const TCollectedQuestion& q = m_rows[static_cast<std::size_t>(row)].Question;
    m_main.Document().Select(q.Position, static_cast<int>(q.Word.size()));
    m_main.Document().ShowSelection();
}

bool TReviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    QTreeWidgetItem* item = m_tree->currentItem();
    if (item == nullptr)
        return false;
    QTreeWidgetItem* group = RowOf(item) < 0 ? item : item->parent();
    const bool shift = (key->modifiers() & Qt::ShiftModifier) != 0;
    // Shift+1 and Shift+2 arrive as the shifted characters of the layout too.
    const int k = key->key();
    const bool one = k == Qt::Key_1 || k == Qt::Key_Exclam;
    const bool two = k == Qt::Key_2 || k == Qt::Key_At || k == Qt::Key_QuoteDbl;
    if (one || two) {
        const bool dotted = two;
        if (shift || k == Qt::Key_Exclam || k == Qt::Key_At || k == Qt::Key_QuoteDbl || RowOf(item) < 0)
            SetGroupAnswer(group, dotted);
        else if (Decidable(RowOf(item)))
            SetAnswer(m_rows[static_cast<std::size_t>(RowOf(item))].Question.Position, dotted);
        return true;
    }
    if (k == Qt::Key_Space && RowOf(item) >= 0 && Decidable(RowOf(item))) {
        const int position = m_rows[static_cast<std::size_t>(RowOf(item))].Question.Position;
        SetAnswer(position, !DecidedDotted(position));
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        JumpTo(item);
        return true;
    }
    return false;
}

void TReviewForm::Apply()
{
    const auto start = std::chrono::steady_clock::now();
    const auto edits = m_main.OwnEdits();
    std::map<int, TAnswer> asked;
    for (const TRow& row : m_rows) {
        if (!row.Mixed && row.Question.Asked())
            asked[row.Question.Position]
                = DecidedDotted(row.Question.Position) ? TAnswer::Dotted : TAnswer::Plain;
    }
    {
        // The pass Ctrl+F9 runs, with the same options, each question answered
        // from the list: the text becomes what a pass given these decisions
        // beforehand makes of it. Every letter it writes is recorded, so that
        // one "Откат" takes the whole of it back.
        TDecisionAsker answers(m_main.Document(), asked);
        TYoficator& engine = m_main.Engine();
        TScopeGuard pass(
            [&] {
                engine.UndoEveryWrite = true;
                m_main.SetAsker(&answers);
            },
            [&] {
                m_main.SetAsker(nullptr);
                engine.UndoEveryWrite = false;
            });
        m_main.RunPass(0, 1);
    }
    TUndoHistory written = WriteUnasked(asked);
    if (written.UndoAvailable()) {
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        m_main.Ui().SetStatusText(
            FormatRunReport(m_main.Engine().Counters(), seconds, false, LocaleDecimalSeparator()));
        m_main.Command("ClearStat1")->setEnabled(true);
    }
    m_main.TakeBackAllAtOnce(Cp("Откат \"Обзор спорных слов\""), std::move(written));
    accept();
}

TUndoHistory TReviewForm::WriteUnasked(const std::map<int, TAnswer>& asked)
{
    TQtTextDocument& doc = m_main.Document();
    TRunCounters& counters = m_main.Engine().Counters();
    const bool mark = m_main.Command("Mark1")->isChecked();
    TUndoHistory written;
    for (const TRow& row : m_rows) {
        const TCollectedQuestion& q = row.Question;
        if (!row.Mixed || asked.count(q.Position) != 0)
            continue;
        doc.Select(q.Position, static_cast<int>(q.Word.size()));
        const std::string now = SelectedWord(doc);
        const std::string& target = DecidedDotted(q.Position) ? q.Question.DottedForm : q.Question.PlainForm;
        // Only the word the list showed, whichever way the pass left it.
        if (now.size() != q.Word.size() || target.size() != now.size()
            || FoldDottedE(now) != FoldDottedE(q.Word) || now == target)
            continue;
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (now[i] == target[i])
                continue;
            const int offset = q.Position + static_cast<int>(i);
            doc.Select(offset, 1);
            written.Add(q.Position, offset, target, now, doc.SelectionColour(), now[i]);
            if (mark)
                doc.SetSelectionColour(ColourBlue);
            doc.ReplaceSelection(std::string(1, target[i]));
            if (IsDottedE(target[i])) {
                ++counters.NewDottedCount;
                ++counters.AskedDottedCount;
            } else {
                ++counters.NewPlainCount;
                ++counters.AskedPlainCount;
            }
        }
    }
    doc.Select(0, 0);
    return written;
}

} // namespace tildo
