#include "BookReader.h"

#include "BookReading.h"
#include "RussianCollator.h"
#include "SqliteStatement.h"
#include "StatsConnection.h"
#include "TournamentBook.h"

#include <QHash>
#include <QSqlError>
#include <algorithm>
#include <map>
#include <memory>

namespace {

// Gathers the rows of the statement (ordered by tournament) into tournaments.
std::vector<BookTournament> gatherTournaments(BookReading &reading, sqlite3_stmt *statement) {
    std::vector<BookTournament> tournaments;
    while (reading.next(statement)) {
        const qint64 id = sqlite3_column_int64(statement, 0);
        if (tournaments.empty() || tournaments.back().id != id) {
            tournaments.push_back({id, columnText(statement, 1), {}});
        }
        const BookRow row = readRow(statement);
        if (row.row >= 1 && row.row <= kPlayers) {
            tournaments.back().rows[static_cast<std::size_t>(row.row - 1)] = row;
        }
    }
    return tournaments;
}

} // namespace

// Two plain scans in the order of the tables' keys, merged here: a join would
// look up the rows of every tournament one by one, several times slower on a
// book of thousands.
Result<std::vector<BookTournament>> readTournaments(const StatsConnection &connection) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    if (!reading.hasBook()) {
        return reading.finish(std::vector<BookTournament>{});
    }
    const Statement heads = reading.prepare("SELECT id, written FROM tournament ORDER BY id");
    if (!heads) {
        return reading.failure();
    }
    std::vector<BookTournament> tournaments;
    while (reading.next(heads.get())) {
        tournaments.push_back({sqlite3_column_int64(heads.get(), 0), columnText(heads.get(), 1), {}});
    }
    const Statement rows = reading.prepare(
        "SELECT tournament, NULL, row, player, team, wins, draws, losses, scored, conceded, difference, points, "
        "place FROM tournament_player ORDER BY tournament, row");
    if (reading.failed() || !rows) {
        return reading.failure();
    }
    auto at = tournaments.begin();
    while (reading.next(rows.get())) {
        const qint64 id = sqlite3_column_int64(rows.get(), 0);
        while (at != tournaments.end() && at->id < id) {
            ++at;
        }
        const BookRow row = readRow(rows.get());
        if (at != tournaments.end() && at->id == id && row.row >= 1 && row.row <= kPlayers) {
            at->rows[static_cast<std::size_t>(row.row - 1)] = row;
        }
    }
    if (reading.failed()) {
        return reading.failure();
    }
    std::reverse(tournaments.begin(), tournaments.end());
    return reading.finish(std::move(tournaments));
}

Result<BookCrossTable> readCrossTable(const StatsConnection &connection, qint64 tournamentId) {
    BookReading reading(connection);
    const QString missing =
        QStringLiteral("Турнира %1 нет в истории: его отменили или файл сменили.").arg(tournamentId);
    if (reading.failed()) {
        return reading.failure();
    }
    if (!reading.hasBook()) {
        return reading.failed() ? reading.failure() : Failure{missing};
    }
    const Statement rows =
        reading.prepare((QByteArray(kTournamentRows) + "WHERE t.id = ?1 ORDER BY p.row").constData());
    if (!rows) {
        return reading.failure();
    }
    sqlite3_bind_int64(rows.get(), 1, tournamentId);
    std::vector<BookTournament> found = gatherTournaments(reading, rows.get());
    if (reading.failed()) {
        return reading.failure();
    }
    if (found.empty()) {
        return Failure{missing};
    }
    BookCrossTable table{std::move(found.front()), {}};
    const Statement matches = reading.prepare(
        "SELECT home_row, away_row, home_goals, away_goals FROM tournament_match WHERE tournament = ?1");
    if (!matches) {
        return reading.failure();
    }
    sqlite3_bind_int64(matches.get(), 1, tournamentId);
    while (reading.next(matches.get())) {
        const int home = columnInt(matches.get(), 0);
        const int away = columnInt(matches.get(), 1);
        if (home >= 1 && home <= kPlayers && away >= 1 && away <= kPlayers && home != away) {
            table.cells[static_cast<std::size_t>(home - 1)][static_cast<std::size_t>(away - 1)] =
                std::pair{columnGoals(matches.get(), 2), columnGoals(matches.get(), 3)};
        }
    }
    if (reading.failed()) {
        return reading.failure();
    }
    return reading.finish(std::move(table));
}

Result<QStringList> readBookPlayers(const StatsConnection &connection) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    if (!reading.hasBook()) {
        return reading.finish(QStringList{});
    }
    const Statement players = reading.prepare(
        reading.russianOrder() ? "SELECT DISTINCT player FROM tournament_player ORDER BY player COLLATE russian"
                               : "SELECT DISTINCT player FROM tournament_player ORDER BY player");
    if (!players) {
        return reading.failure();
    }
    QStringList names;
    while (reading.next(players.get())) {
        names.append(columnText(players.get(), 0));
    }
    if (reading.failed()) {
        return reading.failure();
    }
    return reading.finish(std::move(names));
}

Result<HeadToHead> readHeadToHead(const StatsConnection &connection, const QString &first, const QString &second) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    HeadToHead result;
    if (first == second || !reading.hasBook()) {
        return reading.finish(result);
    }
    // Every match whose two rows are the two players', seen from the first's row.
    const Statement matches =
        reading.prepare("SELECT t.id, t.written, a.team, b.team, "
                        "CASE WHEN m.home_row = a.row THEN m.home_goals ELSE m.away_goals END, "
                        "CASE WHEN m.home_row = a.row THEN m.away_goals ELSE m.home_goals END, "
                        "m.home_row, m.away_row, m.home_row = a.row "
                        "FROM tournament_player a "
                        "JOIN tournament_player b ON b.tournament = a.tournament AND b.row <> a.row "
                        "JOIN tournament_match m ON m.tournament = a.tournament AND "
                        "((m.home_row = a.row AND m.away_row = b.row) OR (m.home_row = b.row AND m.away_row = a.row)) "
                        "JOIN tournament t ON t.id = a.tournament "
                        "WHERE a.player = ?1 AND b.player = ?2 "
                        "ORDER BY t.id, m.home_row, m.away_row");
    if (!matches) {
        return reading.failure();
    }
    const QByteArray firstUtf8 = first.toUtf8();
    const QByteArray secondUtf8 = second.toUtf8();
    sqlite3_bind_text(matches.get(), 1, firstUtf8.constData(), static_cast<int>(firstUtf8.size()), SQLITE_STATIC);
    sqlite3_bind_text(matches.get(), 2, secondUtf8.constData(), static_cast<int>(secondUtf8.size()), SQLITE_STATIC);
    while (reading.next(matches.get())) {
        HeadToHeadMatch match{sqlite3_column_int64(matches.get(), 0),
                              columnText(matches.get(), 1),
                              columnText(matches.get(), 2),
                              columnText(matches.get(), 3),
                              columnGoals(matches.get(), 4),
                              columnGoals(matches.get(), 5),
                              columnInt(matches.get(), 6),
                              columnInt(matches.get(), 7),
                              columnInt(matches.get(), 8) != 0};
        ++result.played;
        result.goalsFor += match.goalsFor;
        result.goalsAgainst += match.goalsAgainst;
        if (match.goalsFor > match.goalsAgainst) {
            ++result.wins;
        } else if (match.goalsFor == match.goalsAgainst) {
            ++result.draws;
        } else {
            ++result.losses;
        }
        result.matches.push_back(std::move(match));
    }
    if (reading.failed()) {
        return reading.failure();
    }
    return reading.finish(std::move(result));
}

// Summed here over one scan of the rows: SQL's grouping and ordering by team
// and player cost several times as much on a book of thousands.
Result<std::vector<TeamRecord>> readTeamRecords(const StatsConnection &connection) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    if (!reading.hasBook()) {
        return reading.finish(std::vector<TeamRecord>{});
    }
    const Statement lines = reading.prepare("SELECT team, player, wins, draws, losses, scored, conceded "
                                            "FROM tournament_player WHERE team IS NOT NULL AND team <> ''");
    if (!lines) {
        return reading.failure();
    }
    std::vector<TeamRecord> records;
    QHash<QString, std::size_t> recordOf;
    while (reading.next(lines.get())) {
        sqlite3_stmt *const line = lines.get();
        const QString team = columnText(line, 0);
        auto found = recordOf.constFind(team);
        if (found == recordOf.cend()) {
            found = recordOf.insert(team, records.size());
            records.push_back(TeamRecord{team, 0, {}, 0, 0, 0, 0, 0});
        }
        TeamRecord &record = records[*found];
        ++record.tournaments;
        const QString player = columnText(line, 1);
        const auto played = std::find_if(record.players.begin(), record.players.end(),
                                         [&player](const std::pair<QString, int> &p) { return p.first == player; });
        if (played == record.players.end()) {
            record.players.emplace_back(player, 1);
        } else {
            ++played->second;
        }
        record.wins += columnInt(line, 2);
        record.draws += columnInt(line, 3);
        record.losses += columnInt(line, 4);
        record.goalsFor += columnGoals(line, 5);
        record.goalsAgainst += columnGoals(line, 6);
    }
    if (reading.failed()) {
        return reading.failure();
    }
    const RussianCollator *const collator = connection.russianCollator();
    const auto before = [collator](const QString &a, const QString &b) {
        return collator != nullptr ? collator->compare(a.toStdString(), b.toStdString()) < 0 : a < b;
    };
    // The most played first, then by name; the players of a team likewise.
    for (TeamRecord &record : records) {
        std::sort(record.players.begin(), record.players.end(), [&before](const auto &a, const auto &b) {
            return a.second != b.second ? a.second > b.second : before(a.first, b.first);
        });
    }
    std::sort(records.begin(), records.end(), [&before](const TeamRecord &a, const TeamRecord &b) {
        return a.tournaments != b.tournaments ? a.tournaments > b.tournaments : before(a.team, b.team);
    });
    return reading.finish(std::move(records));
}

Result<PointsProgress> readPointsProgress(const StatsConnection &connection) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    PointsProgress progress;
    if (!reading.hasBook()) {
        return reading.finish(progress);
    }
    const Statement rows = reading.prepare(
        "SELECT p.tournament, p.player, p.points FROM tournament_player p ORDER BY p.tournament, p.row");
    if (!rows) {
        return reading.failure();
    }
    QHash<QString, std::size_t> curveOf;
    qint64 lastTournament = 0;
    while (reading.next(rows.get())) {
        const qint64 tournament = sqlite3_column_int64(rows.get(), 0);
        if (progress.tournaments == 0 || tournament != lastTournament) {
            ++progress.tournaments;
            lastTournament = tournament;
        }
        const QString player = columnText(rows.get(), 1);
        auto found = curveOf.constFind(player);
        if (found == curveOf.cend()) {
            found = curveOf.insert(player, progress.curves.size());
            progress.curves.push_back({player, {}});
        }
        std::vector<std::pair<int, int>> &points = progress.curves[*found].points;
        const int total = (points.empty() ? 0 : points.back().second) + columnInt(rows.get(), 2);
        // A name on two rows of one tournament makes one point of both.
        if (!points.empty() && points.back().first == progress.tournaments) {
            points.back().second = total;
        } else {
            points.emplace_back(progress.tournaments, total);
        }
    }
    if (reading.failed()) {
        return reading.failure();
    }
    sortCurvesByName(progress.curves, connection.russianCollator());
    return reading.finish(std::move(progress));
}

void sortCurvesByName(std::vector<PointsCurve> &curves, const RussianCollator *collator) {
    std::sort(curves.begin(), curves.end(), [collator](const PointsCurve &a, const PointsCurve &b) {
        if (collator != nullptr) {
            return collator->compare(a.player.toStdString(), b.player.toStdString()) < 0;
        }
        return a.player < b.player;
    });
}

namespace {

// The three tables of the export with their Russian headers and no rows yet.
ExportTables exportHeaders() {
    ExportTables tables;
    tables.stat.header = {QStringLiteral("Номер"),     QStringLiteral("Игрок"),     QStringLiteral("Побед"),
                          QStringLiteral("Ничьих"),    QStringLiteral("Поражений"), QStringLiteral("Забито"),
                          QStringLiteral("Пропущено"), QStringLiteral("Разница"),   QStringLiteral("Очки"),
                          QStringLiteral("Первый"),    QStringLiteral("Второй"),    QStringLiteral("Третий")};
    tables.tournaments.header = {QStringLiteral("Турнир"),    QStringLiteral("Записан"),   QStringLiteral("Строка"),
                                 QStringLiteral("Игрок"),     QStringLiteral("Команда"),   QStringLiteral("Побед"),
                                 QStringLiteral("Ничьих"),    QStringLiteral("Поражений"), QStringLiteral("Забито"),
                                 QStringLiteral("Пропущено"), QStringLiteral("Разница"),   QStringLiteral("Очки"),
                                 QStringLiteral("Место")};
    tables.matches.header = {QStringLiteral("Турнир"),   QStringLiteral("Записан"),
                             QStringLiteral("Игрок"),    QStringLiteral("Команда"),
                             QStringLiteral("Забил"),    QStringLiteral("Пропустил"),
                             QStringLiteral("Соперник"), QStringLiteral("Команда соперника")};
    return tables;
}

} // namespace

Result<ExportTables> readExportTables(const StatsConnection &connection) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    ExportTables tables = exportHeaders();
    // Every cell as it is stored, so that nothing the file holds is lost.
    const auto readAll = [&reading](const char *sql, int columns, TextTable &table) {
        const Statement statement = reading.prepare(sql);
        if (!statement) {
            return false;
        }
        while (reading.next(statement.get())) {
            QStringList row;
            row.reserve(columns);
            for (int column = 0; column < columns; ++column) {
                row.append(columnText(statement.get(), column));
            }
            table.rows.push_back(std::move(row));
        }
        return !reading.failed();
    };
    if (!readAll("SELECT id, \"Игрок\", \"Побед\", \"Ничьих\", \"Поражений\", \"Забито\", \"Пропущено\", "
                 "\"Разница\", \"Очки\", \"Первый\", \"Второй\", \"Третий\" FROM stat ORDER BY id",
                 12, tables.stat)) {
        return reading.failure();
    }
    if (!reading.hasBook()) {
        return reading.finish(std::move(tables));
    }
    if (!readAll("SELECT t.id, t.written, p.row, p.player, p.team, p.wins, p.draws, p.losses, p.scored, "
                 "p.conceded, p.difference, p.points, p.place FROM tournament t "
                 "JOIN tournament_player p ON p.tournament = t.id ORDER BY t.id, p.row",
                 13, tables.tournaments)) {
        return reading.failure();
    }
    // The participants of a match are the rows of its cell, joined by row.
    if (!readAll("SELECT t.id, t.written, h.player, h.team, m.home_goals, m.away_goals, a.player, a.team "
                 "FROM tournament_match m JOIN tournament t ON t.id = m.tournament "
                 "JOIN tournament_player h ON h.tournament = m.tournament AND h.row = m.home_row "
                 "JOIN tournament_player a ON a.tournament = m.tournament AND a.row = m.away_row "
                 "ORDER BY t.id, m.home_row, m.away_row",
                 8, tables.matches)) {
        return reading.failure();
    }
    return reading.finish(std::move(tables));
}
