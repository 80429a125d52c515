#include "StatTable.h"

#include "Elide.h"
#include "SqliteStatement.h"
#include "StatWrites.h"

#include <QSqlError>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <memory>

namespace {

constexpr int kIdColumn = StatColumn::Id;
constexpr int kPlayerColumn = StatColumn::Player;

// How long the reading of a page for the grid's painting waits for another
// program's lock: a write's commit is over by then, and a longer hold should not
// freeze the window. The rows show blank meanwhile, and the page is read again
// a while later.
constexpr std::chrono::milliseconds kPaintLockWait{100};
constexpr std::chrono::milliseconds kRetryAfter{500};

// The statement that reads the rows of a page: the rowid, then the grid's
// columns, for as many rowids as the page has.
QByteArray pageStatement(std::size_t rows) {
    QStringList columns{QStringLiteral("rowid")};
    for (const QString &name : StatColumn::names()) {
        columns.append(u'"' + name + u'"');
    }
    QString marks = QStringLiteral("?");
    marks += QStringLiteral(",?").repeated(static_cast<qsizetype>(rows) - 1);
    return QStringLiteral("SELECT %1 FROM stat WHERE rowid IN (%2)").arg(columns.join(u','), marks).toUtf8();
}

// A cell as SQLite stored it, for the cells that a row does not hold.
QVariant columnValue(sqlite3_stmt *statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return static_cast<qint64>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return columnText(statement, column);
    }
}

// Puts one cell of the grid's column into the row, from the statement's column
// after the rowid; false when it does not fit there.
bool store(StatTable::Row &row, sqlite3_stmt *statement, int column) {
    const int at = column + 1;
    const int type = sqlite3_column_type(statement, at);
    if (column == kPlayerColumn) {
        if (type == SQLITE_TEXT) {
            row.player = columnText(statement, at);
        }
        return type == SQLITE_TEXT || type == SQLITE_NULL;
    }
    if (type != SQLITE_INTEGER) {
        return false;
    }
    const qint64 number = sqlite3_column_int64(statement, at);
    if (column == kIdColumn) {
        row.id = number;
        return true;
    }
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max()) {
        return false;
    }
    row.counters[static_cast<std::size_t>(column - 2)] = static_cast<qint32>(number);
    return true;
}

// The failure of the connection's last SQLite call, in the words of the rest of
// the database code.
QString readFailureText(const StatsConnection &connection) {
    sqlite3 *const handle = connection.handle();
    const QSqlError error(QStringLiteral("Unable to read the table"), QString::fromUtf8(sqlite3_errmsg(handle)),
                          QSqlError::StatementError, QString::number(sqlite3_extended_errcode(handle)));
    return databaseErrorText(connection.filePath(), error);
}

} // namespace

StatTable::StatTable(const StatsConnection &connection, QObject *parent)
    : QAbstractTableModel(parent), m_connection(connection) {
    // The pages never move in memory while the grid reads a row.
    m_pages.reserve(kKeptPages);
}

Status StatTable::orderBy(int column) {
    if (column < 0 || column >= kColumns) {
        return Failure{QStringLiteral("В таблице статистики нет графы %1.").arg(column)};
    }
    if (column == m_orderColumn) {
        return {};
    }
    return read(column);
}

Status StatTable::reload() {
    return read(m_orderColumn);
}

Status StatTable::read(int orderColumn) {
    sqlite3 *const handle = m_connection.handle();
    if (!handle) {
        return Failure{QStringLiteral("Файл базы статистики «%1»: нет доступа к SQLite.").arg(m_connection.filePath())};
    }
    const StatsConnection::LockWaitScope wait(m_connection);
    std::vector<qint64> rowids;
    Page first;
    {
        // The order and the first page are read from one state of the file.
        ReadTransaction transaction(m_connection);
        if (!transaction.begun().ok()) {
            return transaction.begun();
        }
        if (readStatOrder(handle, orderColumn, m_connection.russianCollator(), m_rowids.size(), rowids) != SQLITE_OK) {
            return Failure{readFailureText(m_connection)};
        }
        const std::size_t firstRows = std::min<std::size_t>(rowids.size(), kPageRows);
        if (firstRows > 0 && readPage(0, std::span(rowids).first(firstRows), first) != SQLITE_OK) {
            return Failure{readFailureText(m_connection)};
        }
        if (Status ended = transaction.end(); !ended.ok()) {
            return ended;
        }
    }
    beginResetModel();
    m_rowids = std::move(rowids);
    m_pages.clear();
    if (first.number == 0) {
        first.lastUse = ++m_useCount;
        m_pages.push_back(std::move(first));
    }
    m_orderColumn = orderColumn;
    endResetModel();
    return {};
}

int StatTable::readPage(int number, std::span<const qint64> rowids, Page &page) const {
    sqlite3 *const handle = m_connection.handle();
    const QByteArray sql = pageStatement(rowids.size());
    sqlite3_stmt *prepared = nullptr;
    if (const int code = sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &prepared, nullptr);
        code != SQLITE_OK) {
        return code;
    }
    const Statement statement(prepared);
    // Where each rowid stands in the page; the rows come in an order of SQLite's.
    std::vector<std::pair<qint64, int>> places;
    places.reserve(rowids.size());
    for (std::size_t k = 0; k < rowids.size(); ++k) {
        sqlite3_bind_int64(statement.get(), static_cast<int>(k + 1), rowids[k]);
        places.emplace_back(rowids[k], static_cast<int>(k));
    }
    std::sort(places.begin(), places.end());
    Page read;
    read.number = number;
    read.rows.resize(rowids.size());
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const qint64 rowid = sqlite3_column_int64(statement.get(), 0);
        const auto place = std::lower_bound(places.begin(), places.end(), std::pair(rowid, 0));
        if (place == places.end() || place->first != rowid) {
            continue;
        }
        Row &row = read.rows[static_cast<std::size_t>(place->second)];
        row.found = true;
        for (int column = 0; column < kColumns; ++column) {
            if (!store(row, statement.get(), column)) {
                row.oddCells |= static_cast<std::uint16_t>(1u << column);
                read.oddCells.insert({place->second, column}, columnValue(statement.get(), column + 1));
            }
        }
    }
    if (step != SQLITE_DONE) {
        return step;
    }
    page = std::move(read);
    return SQLITE_OK;
}

const StatTable::Page *StatTable::pageOf(int row) const {
    if (row < 0 || row >= rowCount()) {
        return nullptr;
    }
    const int number = row / kPageRows;
    const auto kept =
        std::find_if(m_pages.begin(), m_pages.end(), [number](const Page &page) { return page.number == number; });
    if (kept != m_pages.end()) {
        kept->lastUse = ++m_useCount;
        return &*kept;
    }
    const std::size_t first = static_cast<std::size_t>(number) * kPageRows;
    const std::span<const qint64> rowids =
        std::span(m_rowids).subspan(first, std::min<std::size_t>(kPageRows, m_rowids.size() - first));
    Page page;
    {
        const StatsConnection::LockWaitScope wait(m_connection, kPaintLockWait);
        if (readPage(number, rowids, page) != SQLITE_OK) {
            page = Page{};
            page.number = number;
            page.rows.resize(rowids.size());
            page.failed = true;
        }
    }
    if (page.failed && !m_retryPlanned) {
        m_retryPlanned = true;
        auto *self = const_cast<StatTable *>(this);
        QTimer::singleShot(kRetryAfter, self, [self] { self->retryFailedPages(); });
    }
    page.lastUse = ++m_useCount;
    if (m_pages.size() < static_cast<std::size_t>(kKeptPages)) {
        m_pages.push_back(std::move(page));
        return &m_pages.back();
    }
    const auto oldest = std::min_element(m_pages.begin(), m_pages.end(),
                                         [](const Page &a, const Page &b) { return a.lastUse < b.lastUse; });
    *oldest = std::move(page);
    return &*oldest;
}

void StatTable::retryFailedPages() {
    m_retryPlanned = false;
    std::vector<int> failed;
    for (const Page &page : m_pages) {
        if (page.failed) {
            failed.push_back(page.number);
        }
    }
    std::erase_if(m_pages, [](const Page &page) { return page.failed; });
    for (const int number : failed) {
        const int first = number * kPageRows;
        const int last = std::min(first + kPageRows, rowCount()) - 1;
        if (first <= last) {
            emit dataChanged(index(first, 0), index(last, kColumns - 1));
        }
    }
}

Status StatTable::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return Failure{QStringLiteral("В таблице статистики нет строки %1.").arg(row + 1)};
    }
    const StatsConnection::LockWaitScope wait(m_connection);
    // The id as the row shows it, from a page read afresh when the last reading
    // of it failed.
    const int number = row / kPageRows;
    std::erase_if(m_pages, [number](const Page &page) { return page.number == number && page.failed; });
    const Page *page = pageOf(row);
    if (page->failed) {
        return Failure{QStringLiteral("Строка не удалена из базы.\n") + readFailureText(m_connection)};
    }
    // A row that another program deleted already only leaves the grid.
    if (page->rows[static_cast<std::size_t>(row % kPageRows)].found) {
        if (Status deleted = deleteStatRow(m_connection, data(index(row, kIdColumn), Qt::EditRole)); !deleted.ok()) {
            return deleted;
        }
    }
    beginRemoveRows({}, row, row);
    m_rowids.erase(m_rowids.begin() + row);
    // The rows after it move up a place: the pages from its own on are read again.
    std::erase_if(m_pages, [number](const Page &kept) { return kept.number >= number; });
    endRemoveRows();
    return {};
}

int StatTable::heldRows() const {
    std::size_t rows = 0;
    for (const Page &page : m_pages) {
        rows += page.rows.size();
    }
    return static_cast<int>(rows);
}

int StatTable::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rowids.size());
}

int StatTable::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant StatTable::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)) {
        return {};
    }
    if (role != Qt::EditRole) {
        // The grid lays out a name cut for showing; a cut one is whole in the tooltip.
        const QVariant whole = data(index, Qt::EditRole);
        if (whole.typeId() != QMetaType::QString) {
            return role == Qt::DisplayRole ? whole : QVariant();
        }
        const QString shown = elided(whole.toString());
        if (role == Qt::DisplayRole) {
            return shown;
        }
        return shown.size() == whole.toString().size() ? QVariant() : whole;
    }
    const Page *page = pageOf(index.row());
    if (!page) {
        return {};
    }
    const int offset = index.row() % kPageRows;
    const Row &row = page->rows[static_cast<std::size_t>(offset)];
    const int column = index.column();
    if (!row.found) {
        return {};
    }
    if (row.oddCells & (1u << column)) {
        return page->oddCells.value({offset, column});
    }
    switch (column) {
    case kIdColumn:
        return row.id;
    case kPlayerColumn:
        return row.player;
    default:
        return row.counters[static_cast<std::size_t>(column - 2)];
    }
}

QVariant StatTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumns) {
        return StatColumn::names()[static_cast<std::size_t>(section)];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags StatTable::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
