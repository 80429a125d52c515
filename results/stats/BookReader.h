#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class RussianCollator;
class StatsConnection;

// Readings of the tournament book (the tables "tournament", "tournament_player"
// and "tournament_match" of the statistics database) for the history window and
// the export. Each reading is one short operation for the lock wait: its
// statements run in one read transaction that ends before it returns, so that
// nothing stays open while the window waits for the user. A file without the
// book (made before it) reads as an empty book.

// One row of a tournament as the result window wrote it.
struct BookRow {
    int row = 0; // 1 to kPlayers: row i and column i of the cross table are the same participant
    QString player;
    QString team; // empty when the window's titles were never set
    int wins = 0;
    int draws = 0;
    int losses = 0;
    qint64 scored = 0;
    qint64 conceded = 0;
    qint64 difference = 0;
    int points = 0;
    int place = 0;
};

struct BookTournament {
    qint64 id = 0;
    QString written; // local time, "YYYY-MM-DD HH:MM:SS"
    PerPlayer<BookRow> rows;
};

// Every tournament, newest first (in the order they were written).
Result<std::vector<BookTournament>> readTournaments(const StatsConnection &connection);

// One tournament's cross table: cells[r][c] holds row participant r's goals
// against column participant c's (0-based), nothing on the diagonal or where
// the book has no such match.
struct BookCrossTable {
    BookTournament tournament;
    PerPlayer<PerPlayer<std::optional<std::pair<qint64, qint64>>>> cells;
};
// Fails when the tournament is not in the book (any more).
Result<BookCrossTable> readCrossTable(const StatsConnection &connection, qint64 tournamentId);

// Every player name of the book, in the Russian order when the collation is there.
Result<QStringList> readBookPlayers(const StatsConnection &connection);

// One match of two players, from the first player's side.
struct HeadToHeadMatch {
    qint64 tournament = 0;
    QString written;
    QString team;      // the first player's team
    QString otherTeam; // the second player's
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;
    // The match in its tournament: its rows, and whether the first player had the home row.
    int homeRow = 0;
    int awayRow = 0;
    bool firstAtHome = false;
};
struct HeadToHead {
    int played = 0;
    int wins = 0;
    int draws = 0;
    int losses = 0;
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;
    // Oldest first.
    std::vector<HeadToHeadMatch> matches;
};
// The matches between two players: the cells of every tournament where one row
// is the first player's and the column the second's, or the other way round.
// A player against himself has no matches.
Result<HeadToHead> readHeadToHead(const StatsConnection &connection, const QString &first, const QString &second);

// What a team did over the book: every row that had it as its title.
struct TeamRecord {
    QString team;
    int tournaments = 0;
    // Who played it, how often: most often first.
    std::vector<std::pair<QString, int>> players;
    int wins = 0;
    int draws = 0;
    int losses = 0;
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;
};
// Every team the book recorded (rows without a title are left out), the most
// played first, then by name.
Result<std::vector<TeamRecord>> readTeamRecords(const StatsConnection &connection);

// One player's points added up over the book: (n, total) after the n-th
// tournament of the book (1 = the oldest) for every tournament he played.
struct PointsCurve {
    QString player;
    std::vector<std::pair<int, int>> points;
};
struct PointsProgress {
    int tournaments = 0;
    std::vector<PointsCurve> curves; // by player name
};
Result<PointsProgress> readPointsProgress(const StatsConnection &connection);
// Puts the lines in the order of their players' names (Russian when the
// collator is there), the order in which every chart gives out its colours, so
// that a player keeps his colour from chart to chart.
void sortCurvesByName(std::vector<PointsCurve> &curves, const RussianCollator *collator);

// A whole table as text, for the export: the Russian column titles, then the rows.
struct TextTable {
    QStringList header;
    std::vector<QStringList> rows;
};
// The table "stat" in the order of its ids, the tournaments with their three
// rows (one line per row, oldest first) and the matches (one line per match).
// Read in one transaction, so that the three agree.
struct ExportTables {
    TextTable stat;
    TextTable tournaments;
    TextTable matches;
};
Result<ExportTables> readExportTables(const StatsConnection &connection);
