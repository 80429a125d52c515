#pragma once

#include "HistoryTab.h"

#include <QString>

class QLabel;
class QModelIndex;
class QTableView;
class QTableWidget;
class TournamentListModel;

// The tab "Турниры": the tournaments of the book newest first, and under them
// the cross table of the one selected, read when it is selected.
class TournamentsTab : public HistoryTab {
public:
    TournamentsTab(QWidget *page, QTableView *list, QLabel *crossTitle, QTableWidget *crossTable,
                   ConnectionSource connection);
    ~TournamentsTab() override;

    // What the tab shows while the book could not be read: no tournaments, and
    // the reason where the cross table would be, never "no tournament at all".
    void showUnread(const QString &reason);
    // The id of the tournament selected in the list; 0 when none is.
    qint64 selectedTournament() const;
    // How many tournaments the list shows.
    int tournamentCount() const;
    // Selects the tournament with this id when the list has it.
    void selectTournament(qint64 id);

protected:
    Status read() override;

private:
    void setUpTables();
    void showTournament(const QModelIndex &current);

    QTableView *m_list;
    QLabel *m_crossTitle;
    QTableWidget *m_crossTable;
    TournamentListModel *m_tournaments;
};
