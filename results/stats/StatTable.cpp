#include "StatTable.h"

#include "StatsDatabase.h"

#include <QSqlDriver>
#include <QSqlError>
#include <limits>
#include <memory>
#include <sqlite3.h>

namespace {

// The columns of "stat" in the grid's order; the header shows their names.
const std::array<QString, StatTable::kColumns> kColumnNames = {
    QStringLiteral("id"),        QStringLiteral("Игрок"),  QStringLiteral("Побед"),     QStringLiteral("Ничьих"),
    QStringLiteral("Поражений"), QStringLiteral("Забито"), QStringLiteral("Пропущено"), QStringLiteral("Разница"),
    QStringLiteral("Очки"),      QStringLiteral("Первый"), QStringLiteral("Второй"),    QStringLiteral("Третий"),
};
constexpr int kIdColumn = 0;
constexpr int kPlayerColumn = 1;

using OddCells = QHash<std::pair<int, int>, QVariant>;

struct FinalizeStatement {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

QString columnText(sqlite3_stmt *statement, int column) {
    // SQLite hands over native UTF-16, its length in bytes.
    const auto *characters = static_cast<const QChar *>(sqlite3_column_text16(statement, column));
    return QString(characters, sqlite3_column_bytes16(statement, column) / 2);
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

// Puts one cell of the current result row into the row; false when it does not
// fit there.
bool store(StatTable::Row &row, sqlite3_stmt *statement, int column) {
    const int type = sqlite3_column_type(statement, column);
    if (column == kPlayerColumn) {
        if (type == SQLITE_TEXT) {
            row.player = columnText(statement, column);
        }
        return type == SQLITE_TEXT || type == SQLITE_NULL;
    }
    if (type != SQLITE_INTEGER) {
        return false;
    }
    const qint64 number = sqlite3_column_int64(statement, column);
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

void appendRow(sqlite3_stmt *statement, std::vector<StatTable::Row> &rows, OddCells &oddCells) {
    StatTable::Row &row = rows.emplace_back();
    for (int column = 0; column < StatTable::kColumns; ++column) {
        if (!store(row, statement, column)) {
            row.oddCells |= static_cast<std::uint16_t>(1u << column);
            oddCells.insert({static_cast<int>(rows.size() - 1), column}, columnValue(statement, column));
        }
    }
}

// The failure of the connection's last SQLite call, in the words of the rest of
// the database code.
Failure readFailure(const StatsConnection &connection) {
    sqlite3 *const handle = connection.handle();
    const QSqlError error(QStringLiteral("Unable to read the table"), QString::fromUtf8(sqlite3_errmsg(handle)),
                          QSqlError::StatementError, QString::number(sqlite3_extended_errcode(handle)));
    return Failure{databaseErrorText(connection.filePath(), error)};
}

} // namespace

StatTable::StatTable(const StatsConnection &connection, QObject *parent)
    : QAbstractTableModel(parent), m_connection(connection) {}

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

QString StatTable::selectStatement(int orderColumn) const {
    const QSqlDriver *driver = m_connection.database().driver();
    const auto field = [driver](const QString &name) { return driver->escapeIdentifier(name, QSqlDriver::FieldName); };
    QStringList columns;
    for (const QString &name : kColumnNames) {
        columns.append(field(name));
    }
    // Rows that are level in the ordering column keep the order of their ids, so
    // that the order does not change from one reading to the next.
    QString order = field(kColumnNames[kPlayerColumn]);
    if (orderColumn != kIndexOrder) {
        order = field(kColumnNames[orderColumn]);
        if (orderColumn == kPlayerColumn && m_connection.hasRussianCollation()) {
            order += QStringLiteral(" COLLATE ") + StatsDb::RussianCollation;
        }
    }
    return QStringLiteral("SELECT %1 FROM stat ORDER BY %2, %3")
        .arg(columns.join(u','), order, field(kColumnNames[kIdColumn]));
}

Status StatTable::read(int orderColumn) {
    sqlite3 *const handle = m_connection.handle();
    if (!handle) {
        return Failure{QStringLiteral("Файл базы статистики «%1»: нет доступа к SQLite.").arg(m_connection.filePath())};
    }
    const StatsConnection::LockWaitScope wait(m_connection);
    const QByteArray sql = selectStatement(orderColumn).toUtf8();
    sqlite3_stmt *prepared = nullptr;
    const int code = sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &prepared, nullptr);
    Statement statement(prepared);
    if (code != SQLITE_OK) {
        return readFailure(m_connection);
    }
    std::vector<Row> rows;
    OddCells oddCells;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        appendRow(statement.get(), rows, oddCells);
    }
    if (step != SQLITE_DONE) {
        return readFailure(m_connection);
    }
    // Finished: the statement keeps no lock on the file from here on.
    statement.reset();
    beginResetModel();
    m_rows = std::move(rows);
    m_oddCells = std::move(oddCells);
    m_orderColumn = orderColumn;
    endResetModel();
    return {};
}

Status StatTable::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return Failure{QStringLiteral("В таблице статистики нет строки %1.").arg(row + 1)};
    }
    if (Status deleted = deleteStatRow(m_connection, data(index(row, kIdColumn), Qt::EditRole)); !deleted.ok()) {
        return deleted;
    }
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    if (!m_oddCells.isEmpty()) {
        QHash<std::pair<int, int>, QVariant> shifted;
        for (auto cell = m_oddCells.cbegin(); cell != m_oddCells.cend(); ++cell) {
            if (cell.key().first != row) {
                const int at = cell.key().first > row ? cell.key().first - 1 : cell.key().first;
                shifted.insert({at, cell.key().second}, cell.value());
            }
        }
        m_oddCells = std::move(shifted);
    }
    endRemoveRows();
    return {};
}

int StatTable::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StatTable::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant StatTable::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const Row &row = m_rows[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (row.oddCells & (1u << column)) {
        return m_oddCells.value({index.row(), column});
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
        return kColumnNames[static_cast<std::size_t>(section)];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags StatTable::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
