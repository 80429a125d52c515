#pragma once

#include "Result.h"

#include <QSqlDatabase>
#include <QString>
#include <array>
#include <functional>
#include <memory>

// The statistics database: the table "stat" of the SQLite file
// "base.mdb" in the working directory. The name is the one the data folder always
// had; the file is SQLite, which any SQLite tool opens.

namespace StatsDb {
inline const QString FileName = QStringLiteral("base.mdb");
// The collation that orders the player column as a Russian reader expects.
inline const QString RussianCollation = QStringLiteral("russian");
} // namespace StatsDb

// One open connection to the database, on a connection name of its own, so that
// several windows (in tests) can each have one. Destroying it removes the
// connection; every model and query on it must be gone by then.
class StatsConnection {
public:
    // Opens an existing file read-write; the program never creates it. Checks that
    // the file is SQLite with the table "stat" and its twelve columns, and says so
    // when it is a Microsoft Access database. The failure names the file.
    static Result<std::unique_ptr<StatsConnection>> open(const QString &fileName);
    ~StatsConnection();
    StatsConnection(const StatsConnection &) = delete;
    StatsConnection &operator=(const StatsConnection &) = delete;

    QSqlDatabase database() const;
    // False when the collation "russian" could not be registered on the SQLite
    // handle; the player column is then ordered by code point.
    bool hasRussianCollation() const { return m_russianCollation; }

private:
    explicit StatsConnection(QString name) : m_name(std::move(name)) {}

    QString m_name;
    bool m_russianCollation = false;
};

// One row of the result window as the write takes it: the texts of its labels.
struct PlayerFigures {
    QString name;
    QString wins;
    QString draws;
    QString losses;
    QString scored;
    QString conceded;
    QString difference;
    QString points;
    QString place;
};

// Checks before anything is written: every figure an integer, the place "1", "2"
// or "3". The failure says what to do.
Status checkPlayerFigures(const PlayerFigures &figures);

// Adds one player's tournament figures to "stat": the update of the player's row
// when the lookup finds it, else the insert of a new row. Figures are
// passed on as the texts they are. Checks the figures first; runs in whatever
// transaction the caller holds.
Status WritePlayerStats(const QSqlDatabase &db, const QString &name, const QString &wins, const QString &draws,
                        const QString &losses, const QString &scored, const QString &conceded,
                        const QString &difference, const QString &points, const QString &place);

// Writes the three rows of one tournament in one transaction: all three players or
// none. Nothing starts unless every row passes checkPlayerFigures. afterRow(k) runs
// once the k-th row (1-based) is written.
Status writeTournament(const QSqlDatabase &db, const std::array<PlayerFigures, 3> &rows,
                       const std::function<void(int)> &afterRow = {});

// Makes a new database file from the schema text (data/base.sql): the build makes
// the empty database that ships with it, and tests make theirs. Fails when the
// file exists.
Status createStatsDatabase(const QString &fileName, const QString &schemaSql);
