#include "StatTable.h"

#include "StatsDatabase.h"

#include <QSqlDriver>
#include <QSqlRecord>

namespace {

const QString kPlayerColumn = QStringLiteral("Игрок");

} // namespace

StatTable::StatTable(const StatsConnection &connection, QObject *parent)
    : QSqlTableModel(parent, connection.database()), m_russianCollation(connection.hasRussianCollation()) {
    setEditStrategy(QSqlTableModel::OnManualSubmit);
    setTable(QStringLiteral("stat"));
}

bool StatTable::orderBy(int column) {
    if (column < 0 || column >= record().count()) {
        return false;
    }
    if (column == m_orderColumn) {
        return true;
    }
    m_orderColumn = column;
    return select();
}

Qt::ItemFlags StatTable::flags(const QModelIndex &index) const {
    return QSqlTableModel::flags(index) & ~Qt::ItemIsEditable;
}

QString StatTable::orderByClause() const {
    const QSqlDriver *driver = database().driver();
    const auto field = [driver](const QString &name) { return driver->escapeIdentifier(name, QSqlDriver::FieldName); };
    // Rows that are level in the ordering column keep the order of their ids, so
    // that the order does not change from one reopening to the next.
    QString column = field(kPlayerColumn);
    if (m_orderColumn != kIndexOrder) {
        const QString name = record().fieldName(m_orderColumn);
        column = field(name);
        if (name == kPlayerColumn && m_russianCollation) {
            column += QStringLiteral(" COLLATE ") + StatsDb::RussianCollation;
        }
    }
    return QStringLiteral("ORDER BY %1, %2").arg(column, field(QStringLiteral("id")));
}
