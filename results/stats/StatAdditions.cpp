#include "StatAdditions.h"

#include "Elide.h"
#include "StatWrites.h"
#include "Tournament.h"

#include <QSqlQuery>
#include <QStringList>

StatFigures figuresOfRow(qint64 wins, qint64 draws, qint64 losses, qint64 scored, qint64 conceded, qint64 difference,
                         qint64 points, int place) {
    StatFigures figures{wins, draws, losses, scored, conceded, difference, points, 0, 0, 0};
    if (place >= 1 && place <= kPlayers) {
        figures[static_cast<std::size_t>(kStatFirstPlace + place - 1)] = 1;
    }
    return figures;
}

QSqlError runStatement(const QSqlDatabase &db, const QString &statement, const QVariantList &values) {
    QSqlQuery query(db);
    if (!query.prepare(statement)) {
        return query.lastError();
    }
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return query.lastError();
    }
    return {};
}

std::optional<std::map<qint64, Added>> addedByTournament(const QSqlDatabase &db, qint64 id, QSqlError &error,
                                                         const QString &table, const QString &key) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT stat_id, stat_created, player, wins, draws, losses, scored, conceded, "
                                 "difference, points, place FROM %1 WHERE %2=? AND stat_id IS NOT NULL")
                      .arg(table, key));
    query.addBindValue(id);
    if (!query.exec()) {
        error = query.lastError();
        return std::nullopt;
    }
    std::map<qint64, Added> added;
    while (query.next()) {
        Added &row = added[query.value(0).toLongLong()];
        row.created = row.created || query.value(1).toBool();
        row.player = query.value(2).toString();
        const StatFigures figures =
            figuresOfRow(query.value(3).toLongLong(), query.value(4).toLongLong(), query.value(5).toLongLong(),
                         query.value(6).toLongLong(), query.value(7).toLongLong(), query.value(8).toLongLong(),
                         query.value(9).toLongLong(), query.value(10).toInt());
        for (std::size_t k = 0; k < figures.size(); ++k) {
            row.figures[k] += figures[k];
        }
    }
    return added;
}

std::optional<StatRowRefusal> checkStatRowGivesBack(const QSqlDatabase &db, qint64 statId, const Added &added) {
    if (const StatRowCheck checked = checkStatRowFigures(db, statId); !checked.ok()) {
        return StatRowRefusal{checked.problem, checked.error, true};
    }
    QStringList conditions{QStringLiteral("Игрок IS ?")};
    QVariantList values{added.player};
    for (std::size_t k = 0; k < added.figures.size(); ++k) {
        if (k != kStatDifference) {
            // A figure stored as the text of a number compares as the number.
            conditions.append(QStringLiteral("CAST(%1 AS INTEGER) >= ?").arg(statFigureColumns()[k]));
            values.append(added.figures[k]);
        }
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT %1 FROM stat WHERE id=?").arg(conditions.join(QStringLiteral(" AND "))));
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
    query.addBindValue(statId);
    if (!query.exec()) {
        return StatRowRefusal{{}, query.lastError()};
    }
    if (!query.next()) {
        return StatRowRefusal{QStringLiteral("строки игрока «%1» (id %2) больше нет в таблице статистики")
                                  .arg(elided(added.player), QString::number(statId)),
                              {}};
    }
    if (!query.value(0).toBool()) {
        return StatRowRefusal{QStringLiteral("строку игрока «%1» (id %2) в таблице статистики с тех пор меняли, и в "
                                             "ней нет того, что добавил турнир")
                                  .arg(elided(added.player), QString::number(statId)),
                              {}};
    }
    return std::nullopt;
}

QSqlError addToStatRow(const QSqlDatabase &db, qint64 statId, const StatFigures &figures) {
    QStringList assignments;
    QVariantList values;
    for (std::size_t k = 0; k < figures.size(); ++k) {
        assignments.append(QStringLiteral("%1=%1+?").arg(statFigureColumns()[k]));
        values.append(figures[k]);
    }
    values.append(statId);
    return runStatement(db, QStringLiteral("UPDATE stat SET %1 WHERE id=?").arg(assignments.join(u',')), values);
}

std::optional<StatFigures> readStatRow(const QSqlDatabase &db, qint64 statId, QSqlError &error) {
    QStringList columns;
    for (const QString &column : statFigureColumns()) {
        columns.append(QStringLiteral("CAST(%1 AS INTEGER)").arg(column));
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT %1 FROM stat WHERE id=?").arg(columns.join(u',')));
    query.addBindValue(statId);
    if (!query.exec()) {
        error = query.lastError();
        return std::nullopt;
    }
    if (!query.next()) {
        return std::nullopt;
    }
    StatFigures figures{};
    for (std::size_t k = 0; k < figures.size(); ++k) {
        figures[k] = query.value(static_cast<int>(k)).toLongLong();
    }
    return figures;
}
