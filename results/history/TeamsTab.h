#pragma once

#include "BookReader.h"
#include "HistoryTab.h"

#include <vector>

class QTableWidget;
class RussianCollator;

// The columns of the team records, in the order the tab shows them.
enum class TeamColumn { Team, Tournaments, Wins, Draws, Losses, Scored, Conceded, Players };

// Puts the records in the order of a column, as a click on its title asks: the
// team and the players by name in Russian order (by code point without a
// collator), the figures largest first. Records level in the column keep their
// order.
void orderTeamRecords(std::vector<TeamRecord> &records, TeamColumn column, const RussianCollator *collator);

// The tab "Команды": what each team did over the book, and who played it. A
// click on a column's title orders the records by it, and the order holds
// through later readings until another title is clicked.
class TeamsTab : public HistoryTab {
public:
    TeamsTab(QWidget *page, QTableWidget *table, ConnectionSource connection);

protected:
    Status read() override;

private:
    void orderBy(int column);
    void fill();

    QTableWidget *m_table;
    std::vector<TeamRecord> m_records;
    // The column the records are ordered by; none before a click.
    std::optional<TeamColumn> m_order;
};
