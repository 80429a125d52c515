#pragma once

#include "Result.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class StatsConnection;

// The table "stat" as the grid of the result window shows it: read-only cells,
// ordered by the index "user" (the player name) until a column is chosen, then by
// that column, ascending.
//
// Every read takes all the rows at once and finishes its statement, so that the
// grid never keeps the file locked while the program waits for the user. A read
// that fails leaves the rows shown before.
class StatTable : public QAbstractTableModel {
    Q_OBJECT

public:
    // The order of the index "user".
    static constexpr int kIndexOrder = -1;
    static constexpr int kColumns = 12;

    explicit StatTable(const StatsConnection &connection, QObject *parent = nullptr);

    // Orders the rows by a column, ascending, and reads them afresh; the player
    // column follows the Russian alphabet. Choosing the column that already gives
    // the order changes nothing: there is no descending order. On a failure the
    // rows and the order stay as they were.
    Status orderBy(int column);
    int orderColumn() const { return m_orderColumn; }
    // Reads the current contents afresh in the order last chosen.
    Status reload();
    // Deletes the row from the database by its id and from the grid. Only a
    // deletion that succeeded removes the row from the grid.
    Status deleteRow(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // One row as read. The ten counters are 32-bit; a cell that does not fit (a
    // file edited by hand may hold a text, a fraction or NULL there, or in the id)
    // is kept as it was read among the odd cells, and its bit in oddCells is set.
    struct Row {
        qint64 id = 0;
        QString player;
        std::array<qint32, kColumns - 2> counters{};
        std::uint16_t oddCells = 0;
    };

private:
    Status read(int orderColumn);
    QString selectStatement(int orderColumn) const;

    const StatsConnection &m_connection;
    std::vector<Row> m_rows;
    // The cells that a Row does not hold, by row and column.
    QHash<std::pair<int, int>, QVariant> m_oddCells;
    int m_orderColumn = kIndexOrder;
};
