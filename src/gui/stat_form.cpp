#include "stat_form.h"

#include "qt_strings.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include <vector>

namespace tildo {

// One table of the window as a Qt model: the grid's header row is the view's
// header, the other rows are the model's rows. Cells are converted when the
// view asks for them, so that a table of many thousands of rows opens at once.
class TStatGridModel : public QAbstractTableModel
{
public:
    TStatGridModel(const TStatGrid& grid, QObject* parent)
        : QAbstractTableModel(parent)
        , m_grid(grid)
    {
    }

    // The grid was rebuilt or reordered. With the same columns the view keeps
    // its column widths and only hears of the rows that came or went; a full
    // reset (columns laid out anew) is left for the first filling.
    // Returns true after a full reset.
    bool Changed()
    {
        const int rows = m_grid.Rows.empty() ? 0 : static_cast<int>(m_grid.Rows.size()) - 1;
        const int columns = m_grid.ColumnCount();
        if (columns != m_columns) {
            beginResetModel();
            m_rows = rows;
            m_columns = columns;
            endResetModel();
            return true;
        }
        if (rows < m_rows) {
            beginRemoveRows({}, rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        } else if (rows > m_rows) {
            beginInsertRows({}, m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        }
        if (rows > 0 && columns > 0)
            emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
        emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
        return false;
    }

    // The counts as the views last heard of them; the cells come from the grid.
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_columns;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole)
            return ToQString(Cell(index.row() + 1, index.column()));
        if (role == Qt::TextAlignmentRole && index.column() > 0)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return ToQString(Cell(0, section));
        return {};
    }

private:
    const std::string& Cell(int row, int column) const
    {
        static const std::string none;
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(column);
        if (r >= m_grid.Rows.size() || c >= m_grid.Rows[r].size())
            return none;
        return m_grid.Rows[r][c];
    }

    const TStatGrid& m_grid;
    int m_rows = 0; // as the views last heard
    int m_columns = 0;
};

namespace {

constexpr int ClientWidth = 575;
constexpr int ClientHeight = 501;
constexpr int RowHeight = 15;
constexpr int Gap = 4;
constexpr int ButtonHeight = 25;
const std::vector<int> WordsWidths { 150, 80, 80, 80, 80, 80 };
const std::vector<int> CombiWordsWidths { 474, 80 };

// A reset model gives its view's columns their default widths: the table's own
// widths go back on.
void ApplyWidths(QTableView& view, const std::vector<int>& widths)
{
    for (std::size_t c = 0; c < widths.size(); ++c)
        view.horizontalHeader()->resizeSection(static_cast<int>(c), widths[c]);
}

void ResetView(TStatGridModel& model, QTableView& view, const std::vector<int>& widths)
{
    if (model.Changed())
        ApplyWidths(view, widths);
}

} // namespace

TStatForm::TStatForm(UserInterface& ui, std::string logDir, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_ui(ui)
    , m_logDir(std::move(logDir))
    , m_wordsModel(new TStatGridModel(m_words, this))
    , m_combisModel(new TStatGridModel(m_combis, this))
    , m_wordsView(MakeView("sgWords", m_wordsModel))
    , m_combisView(MakeView("sgCombiWords", m_combisModel))
    , m_save(new QPushButton(Q("Сохранить"), this))
{
    setObjectName(QStringLiteral("StatForm"));
    setWindowTitle(Q("Статистика"));
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);

    const int width = ClientWidth - 2 * Gap;
    const int combisHeight = 150;
    const int wordsHeight = ClientHeight - combisHeight - ButtonHeight - 4 * Gap;
    m_wordsView->setGeometry(Gap, Gap, width, wordsHeight);
    m_combisView->setGeometry(Gap, 2 * Gap + wordsHeight, width, combisHeight);
    m_save->setObjectName(QStringLiteral("bSave"));
    m_save->setGeometry(ClientWidth - Gap - 100, ClientHeight - Gap - ButtonHeight, 100, ButtonHeight);
    m_save->setAutoDefault(false);

    connect(m_wordsView->horizontalHeader(), &QHeaderView::sectionClicked, this, &TStatForm::SortWords);
    connect(m_combisView->horizontalHeader(), &QHeaderView::sectionClicked, this, &TStatForm::SortCombiWords);
    connect(m_save, &QPushButton::clicked, this, &TStatForm::bSaveClick);
}

TStatForm::~TStatForm()
{
    // The models read the grids, which go before the dialog's own destructor
    // hides it and the views ask for their headers once more.
    m_wordsView->setModel(nullptr);
    m_combisView->setModel(nullptr);
}

QTableView* TStatForm::MakeView(const char* name, TStatGridModel* model)
{
    auto* view = new QTableView(this);
    view->setObjectName(QString::fromLatin1(name));
    // The grid's fixed widths and row height were made for a small font.
    QFont font = view->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    view->setFont(font);
    view->horizontalHeader()->setFont(font);
    view->setModel(model);
    view->setSortingEnabled(false);
    view->setWordWrap(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->verticalHeader()->hide();
    // Rows of one height: the view never measures the rows it does not show.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setMinimumSectionSize(RowHeight);
    view->verticalHeader()->setDefaultSectionSize(RowHeight);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setHighlightSections(false);
    header->setDefaultSectionSize(80);
    return view;
}

void TStatForm::Fill(const TDic& dic, const TCombiWordsDic& combi)
{
    FillStatistics(dic, combi, m_words, m_combis);
    ResetView(*m_wordsModel, *m_wordsView, WordsWidths);
    ResetView(*m_combisModel, *m_combisView, CombiWordsWidths);
    m_wordsView->scrollToTop();
    m_combisView->scrollToTop();
}

void TStatForm::Execute(const TDic& dic, const TCombiWordsDic& combi)
{
    Fill(dic, combi);
    exec();
}

void TStatForm::SortWords(int column)
{
    if (column == m_words.SortColumn)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SortGrid(m_words, column);
    ResetView(*m_wordsModel, *m_wordsView, WordsWidths);
    QApplication::restoreOverrideCursor();
}

void TStatForm::SortCombiWords(int column)
{
    if (column == m_combis.SortColumn)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SortGrid(m_combis, column);
    ResetView(*m_combisModel, *m_combisView, CombiWordsWidths);
    QApplication::restoreOverrideCursor();
}

void TStatForm::bSaveClick()
{
    const std::string path = m_ui.ChooseSaveFile(TFileChoice { m_logDir, "tildo_stat.log", {} });
    if (!path.empty())
        SaveStatistics(path, m_words, m_combis, m_ui);
}

} // namespace tildo
