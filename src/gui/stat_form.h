#pragma once

#include "stats/statistics.h"

#include <QDialog>

#include <string>

class QPushButton;
class QTableView;

namespace tildo {

class TStatGridModel;

// The statistics window "Статистика": the table of dictionary entries met
// (sgWords) and the table of combinations used (sgCombiWords), each closed by
// its "ВСЕГО" row. A click on a header sorts by that column; "Сохранить" writes
// both tables to a log. The window is rebuilt from the counters at each
// opening; Esc closes it.
class TStatForm : public QDialog
{
    Q_OBJECT

public:
    // ui shows the save dialog and a failure to write the log; the save
    // dialog starts in logDir.
    TStatForm(UserInterface& ui, std::string logDir, QWidget* parent = nullptr);
    ~TStatForm() override;

    // Rebuilds both tables from the counters, sorted by their first columns.
    void Fill(const TDic& dic, const TCombiWordsDic& combi);
    // Fill, then shows the window modally until it closes.
    void Execute(const TDic& dic, const TCombiWordsDic& combi);

    // A header click: sorts the table by column, as SortGrid does.
    void SortWords(int column);
    void SortCombiWords(int column);
    // "Сохранить": asks for the file (tildo_stat.log proposed) and writes the log.
    void bSaveClick();

    const TStatGrid& Words() const { return m_words; }
    const TStatGrid& CombiWords() const { return m_combis; }
    QTableView& WordsView() const { return *m_wordsView; }
    QTableView& CombiWordsView() const { return *m_combisView; }

private:
    QTableView* MakeView(const char* name, TStatGridModel* model);

    UserInterface& m_ui;
    std::string m_logDir;
    TStatGrid m_words;
    TStatGrid m_combis;
    TStatGridModel* m_wordsModel;
    TStatGridModel* m_combisModel;
    QTableView* m_wordsView;
    QTableView* m_combisView;
    QPushButton* m_save;
};

} // namespace tildo
