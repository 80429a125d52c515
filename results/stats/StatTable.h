#pragma once

#include "Result.h"
#include "StatOrder.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

class StatsConnection;

// The table "stat" as the grid of the result window shows it: read-only cells,
// ordered by the index "user" (the player name) until a column is chosen, then by
// that column, ascending.
//
// A read takes the order of the rows, as their rowids, and the contents of the
// first page of rows; the grid's other rows are read a page at a time as it
// shows them, and only the pages used last are kept. So memory holds the order
// (fixed by the size of the table) and a few pages, however far the grid is
// scrolled. Every read finishes its statements, so that the grid never keeps the
// file locked while the program waits for the user. A read that fails leaves
// the rows shown before. A row that another program deleted after the order was
// read shows blank.
class StatTable : public QAbstractTableModel {
    Q_OBJECT

public:
    // The order of the index "user".
    static constexpr int kIndexOrder = StatColumn::IndexOrder;
    static constexpr int kColumns = StatColumn::Count;
    // The rows read at a time, and how many such pages are kept.
    static constexpr int kPageRows = 128;
    static constexpr int kKeptPages = 16;

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

    // The rows whose contents are in memory now: at most kPageRows * kKeptPages.
    int heldRows() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // One row as read. The ten counters are 32-bit; a cell that does not fit (a
    // file edited by hand may hold a text, a fraction or NULL there, or in the id)
    // is kept as it was read among the odd cells of its page, and its bit in
    // oddCells is set. A row that was no longer in the file is not `found`.
    struct Row {
        qint64 id = 0;
        QString player;
        std::array<qint32, kColumns - 2> counters{};
        std::uint16_t oddCells = 0;
        bool found = false;
    };

    // kPageRows rows in a row of the order (fewer at its end).
    struct Page {
        int number = -1;
        std::vector<Row> rows;
        // The cells that a Row does not hold, by row within the page and column.
        QHash<std::pair<int, int>, QVariant> oddCells;
        // A page whose reading failed: its rows show blank until it is read again.
        bool failed = false;
        quint64 lastUse = 0;
    };

private:
    Status read(int orderColumn);
    // The page of the row, read now when it is not kept; nullptr only for a row
    // outside the table.
    const Page *pageOf(int row) const;
    // Reads the contents of a page of the order: SQLite's result code.
    int readPage(int number, std::span<const qint64> rowids, Page &page) const;
    // Reads again, a while after, the pages whose reading failed (another
    // program held the file), and has the grid show them.
    void retryFailedPages();

    const StatsConnection &m_connection;
    // The rowids of every row in the grid's order.
    std::vector<qint64> m_rowids;
    mutable std::vector<Page> m_pages;
    mutable quint64 m_useCount = 0;
    mutable bool m_retryPlanned = false;
    int m_orderColumn = kIndexOrder;
};
