#pragma once

#include "engine/question_collector.h"
#include "engine/undo_history.h"

#include <QDialog>

#include <map>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tildo {

class TMainForm;

// "Обзор спорных слов": every disputed word of the main window's text at
// once, grouped by its е and ё forms (the biggest group first) and, last, the
// words the text writes both ways. Each row is one occurrence: its answer (a
// check mark: ё checked, е not), place, context with the word marked, and the
// proposed answer. Keys: 1/2 set е/ё for the row, Shift+1/Shift+2 for its
// whole group, Space toggles, Enter shows the place in the editor.
// "Применить" runs one pass that takes every answer from the list and writes
// the mixed spellings' answers after it; the main window's "Откат" takes all
// of it back in one step.
class TReviewForm : public QDialog
{
    Q_OBJECT

public:
    explicit TReviewForm(TMainForm& main);

    // Gathers the questions of the main window's text and fills the list.
    void Reload();
    // Writes the answers into the text; the window closes.
    void Apply();

    QTreeWidget& Tree() const { return *m_tree; }
    // The answer of the row at the document offset: true for ё.
    bool DecidedDotted(int position) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One occurrence; the mixed spellings' rows come after the questions'.
    struct TRow
    {
        TCollectedQuestion Question;
        bool Mixed = false;
    };

    void Fill();
    QTreeWidgetItem* AddGroup(const QString& title, const std::vector<int>& rows);
    void SetAnswer(int position, bool dotted);
    void SetGroupAnswer(QTreeWidgetItem* group, bool dotted);
    void ShowAnswer(QTreeWidgetItem* item);
    void JumpTo(QTreeWidgetItem* item);
    int RowOf(const QTreeWidgetItem* item) const;
    // A row the list can answer: asked by the pass, or a mixed spelling.
    bool Decidable(int row) const;
    // The mixed spellings' answers the pass did not ask about, written as it
    // writes, and recorded for "Откат".
    TUndoHistory WriteUnasked(const std::map<int, TAnswer>& asked);

    TMainForm& m_main;
    QTreeWidget* m_tree;
    QLabel* m_summary;
    QPushButton* m_apply;
    std::vector<TRow> m_rows;
    std::map<int, bool> m_dotted; // answer by document offset
    std::multimap<int, QTreeWidgetItem*> m_items; // rows by document offset
};

} // namespace tildo
