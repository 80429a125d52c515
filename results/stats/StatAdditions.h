#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <array>
#include <map>
#include <optional>

// What a tournament of the book added to the rows of "stat", and the
// arithmetic on those rows that the undo and the correction share.

// The ten figures of a row of "stat" that a tournament adds to, in the order
// of statFigureColumns(): seven figures, then the three place counts.
using StatFigures = std::array<qint64, 10>;
inline constexpr int kStatDifference = 5;
inline constexpr int kStatFirstPlace = 7;

// What one tournament added to one row of "stat", over all its rows that went
// there (one player may stand in two rows).
struct Added {
    QString player;
    bool created = false;
    StatFigures figures{};
};

// The figures that one row of a tournament adds: place 1 to 3 counts once.
StatFigures figuresOfRow(qint64 wins, qint64 draws, qint64 losses, qint64 scored, qint64 conceded, qint64 difference,
                         qint64 points, int place);

// Runs one statement with its values bound in order; an invalid error on success.
QSqlError runStatement(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {});

// What the book's tournament added, row of "stat" by row; rows that left "stat"
// alone (no stat_id) are not in it. The rows are read from `table`, where
// `key` picks them: the book's own rows, or a tournament taken back.
std::optional<std::map<qint64, Added>> addedByTournament(const QSqlDatabase &db, qint64 id, QSqlError &error,
                                                         const QString &table = QStringLiteral("tournament_player"),
                                                         const QString &key = QStringLiteral("tournament"));

// Why a row of "stat" cannot give back what a tournament added: a reason in the
// user's words, or the statement that failed.
struct StatRowRefusal {
    QString reason;
    QSqlError error;
    // The reason is whole sentences to show under the operation's first line;
    // otherwise it is a clause to follow "...: ".
    bool sentences = false;
};
// Whether the row of "stat" is still there, under the same name, holds whole
// numbers, and holds at least what the tournament added (the difference may be
// anything).
std::optional<StatRowRefusal> checkStatRowGivesBack(const QSqlDatabase &db, qint64 statId, const Added &added);

// Adds the figures to the row (negative figures subtract).
QSqlError addToStatRow(const QSqlDatabase &db, qint64 statId, const StatFigures &figures);

// The ten figures of the row as they stand now; no value when the row is gone.
std::optional<StatFigures> readStatRow(const QSqlDatabase &db, qint64 statId, QSqlError &error);
