#pragma once

#include <QSqlTableModel>

class StatsConnection;

// The table "stat" as the grid of the result window shows it: read-only cells,
// rows fetched as the grid scrolls, ordered by the index "user" (the player name)
// until a column is chosen, then by that column, ascending.
class StatTable : public QSqlTableModel {
    Q_OBJECT

public:
    // The order of the index "user".
    static constexpr int kIndexOrder = -1;

    StatTable(const StatsConnection &connection, QObject *parent = nullptr);

    // Orders the rows by a column, ascending, and reads them afresh; the player
    // column follows the Russian alphabet. Choosing the column that already gives
    // the order changes nothing: there is no descending order.
    bool orderBy(int column);
    int orderColumn() const { return m_orderColumn; }
    // Closes and opens the table: the current contents in the order last chosen.
    bool reopen() { return select(); }

    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    QString orderByClause() const override;

private:
    int m_orderColumn = kIndexOrder;
    bool m_russianCollation = false;
};
