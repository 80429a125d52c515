#include "BookChangeSteps.h"

#include "StatAdditions.h"
#include "StatsConnection.h"

#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

// The place counts and figures of the rows, as "stat" would get them.
Added addedFor(const PerPlayer<BookRow> &rows, const PerPlayer<std::optional<qint64>> &statIds, qint64 statId) {
    Added added;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (statIds[k] != statId) {
            continue;
        }
        const BookRow &r = rows[k];
        added.player = r.player;
        const StatFigures figures =
            figuresOfRow(r.wins, r.draws, r.losses, r.scored, r.conceded, r.difference, r.points, r.place);
        for (std::size_t f = 0; f < figures.size(); ++f) {
            added.figures[f] += figures[f];
        }
    }
    return added;
}

} // namespace

namespace BookSteps {

bool sameRow(const BookRow &a, const BookRow &b) {
    return a.row == b.row && a.player == b.player && a.team == b.team && a.wins == b.wins && a.draws == b.draws &&
           a.losses == b.losses && a.scored == b.scored && a.conceded == b.conceded && a.difference == b.difference &&
           a.points == b.points && a.place == b.place;
}

bool sameMatches(const Matches &a, const Matches &b) {
    return std::equal(a.begin(), a.end(), b.begin(), [](const Match &x, const Match &y) {
        return x.homeRow == y.homeRow && x.awayRow == y.awayRow && x.homeGoals == y.homeGoals &&
               x.awayGoals == y.awayGoals;
    });
}

// The tournament as the book holds it, read in the caller's transaction. A
// missing tournament is a refusal.
std::variant<TournamentToCorrect, Refusal> loadTournament(const QSqlDatabase &db, qint64 id) {
    TournamentToCorrect t;
    t.id = id;
    QSqlQuery head(db);
    head.prepare(QStringLiteral("SELECT written FROM tournament WHERE id=?"));
    head.addBindValue(id);
    if (!head.exec()) {
        return Refusal{{}, head.lastError()};
    }
    if (!head.next()) {
        return Refusal{QStringLiteral("этого турнира больше нет в книге турниров (его отменили)"), {}};
    }
    t.written = head.value(0).toString();
    QSqlQuery rows(db);
    rows.prepare(QStringLiteral("SELECT row, player, team, wins, draws, losses, scored, conceded, difference, points, "
                                "place, stat_id FROM tournament_player WHERE tournament=? ORDER BY row"));
    rows.addBindValue(id);
    if (!rows.exec()) {
        return Refusal{{}, rows.lastError()};
    }
    int count = 0;
    while (rows.next()) {
        const int row = rows.value(0).toInt();
        if (row < 1 || row > kPlayers) {
            continue;
        }
        BookRow &r = t.rows[static_cast<std::size_t>(row - 1)];
        r.row = row;
        r.player = rows.value(1).toString();
        r.team = rows.value(2).toString();
        r.wins = rows.value(3).toInt();
        r.draws = rows.value(4).toInt();
        r.losses = rows.value(5).toInt();
        r.scored = rows.value(6).toLongLong();
        r.conceded = rows.value(7).toLongLong();
        r.difference = rows.value(8).toLongLong();
        r.points = rows.value(9).toInt();
        r.place = rows.value(10).toInt();
        if (!rows.value(11).isNull()) {
            t.statIds[static_cast<std::size_t>(row - 1)] = rows.value(11).toLongLong();
        }
        ++count;
    }
    QSqlQuery matches(db);
    matches.prepare(QStringLiteral("SELECT home_row, away_row, home_goals, away_goals FROM tournament_match "
                                   "WHERE tournament=?"));
    matches.addBindValue(id);
    if (!matches.exec()) {
        return Refusal{{}, matches.lastError()};
    }
    std::array<bool, kMatches> found{};
    while (matches.next()) {
        for (std::size_t k = 0; k < kMatchCells.size(); ++k) {
            if (kMatchCells[k].homeRow == matches.value(0).toInt() &&
                kMatchCells[k].awayRow == matches.value(1).toInt()) {
                t.matches[k] = {kMatchCells[k].homeRow, kMatchCells[k].awayRow, matches.value(2).toLongLong(),
                                matches.value(3).toLongLong()};
                found[k] = true;
            }
        }
    }
    if (count != kPlayers || !std::all_of(found.begin(), found.end(), [](bool f) { return f; })) {
        t.problem = QStringLiteral("в книге у этого турнира не все три строки и шесть матчей, так что пересчитать "
                                   "его нельзя");
    }
    for (const std::optional<qint64> &statId : t.statIds) {
        if (!statId || t.statRows.count(*statId) > 0) {
            continue;
        }
        QSqlError error;
        const std::optional<StatFigures> figures = readStatRow(db, *statId, error);
        if (error.isValid()) {
            return Refusal{{}, error};
        }
        if (figures) {
            t.statRows[*statId] = *figures;
        }
    }
    return t;
}

// Whether every row of "stat" can give back what the rows added.
std::optional<Refusal> checkGivesBack(const QSqlDatabase &db, const PerPlayer<BookRow> &rows,
                                      const PerPlayer<std::optional<qint64>> &statIds) {
    for (const std::optional<qint64> &statId : statIds) {
        if (!statId) {
            continue;
        }
        if (const std::optional<StatRowRefusal> refused =
                checkStatRowGivesBack(db, *statId, addedFor(rows, statIds, *statId))) {
            return Refusal{refused->reason, refused->error, refused->sentences};
        }
    }
    return std::nullopt;
}

std::optional<Refusal> replaceFigures(const QSqlDatabase &db, const TournamentToCorrect &now,
                                      const PerPlayer<BookRow> &to, const Matches &matches) {
    if (std::optional<Refusal> refused = checkGivesBack(db, now.rows, now.statIds)) {
        return refused;
    }
    const qint64 id = now.id;
    const std::map<qint64, StatFigures> before = addedToStat(now.rows, now.statIds);
    const std::map<qint64, StatFigures> after = addedToStat(to, now.statIds);
    for (const auto &[statId, added] : after) {
        StatFigures difference{};
        for (std::size_t f = 0; f < difference.size(); ++f) {
            difference[f] = added[f] - before.at(statId)[f];
        }
        if (std::all_of(difference.begin(), difference.end(), [](qint64 d) { return d == 0; })) {
            continue;
        }
        if (QSqlError error = addToStatRow(db, statId, difference); error.isValid()) {
            return Refusal{{}, error};
        }
    }
    for (const BookRow &r : to) {
        if (QSqlError error = runStatement(
                db,
                QStringLiteral("UPDATE tournament_player SET wins=?, draws=?, losses=?, "
                               "scored=?, conceded=?, difference=?, points=?, place=? "
                               "WHERE tournament=? AND row=?"),
                {r.wins, r.draws, r.losses, r.scored, r.conceded, r.difference, r.points, r.place, id, r.row});
            error.isValid()) {
            return Refusal{{}, error};
        }
    }
    for (const Match &m : matches) {
        if (QSqlError error = runStatement(db,
                                           QStringLiteral("UPDATE tournament_match SET home_goals=?, away_goals=? "
                                                          "WHERE tournament=? AND home_row=? AND away_row=?"),
                                           {m.homeGoals, m.awayGoals, id, m.homeRow, m.awayRow});
            error.isValid()) {
            return Refusal{{}, error};
        }
    }
    return std::nullopt;
}

// What a correction replaced, kept as text: the three rows' figures and place,
// then the six scores in the order of kMatchCells, every number as written.
QString encodePrevious(const PerPlayer<BookRow> &rows, const Matches &matches) {
    QStringList parts;
    for (const BookRow &r : rows) {
        parts.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                         .arg(r.wins)
                         .arg(r.draws)
                         .arg(r.losses)
                         .arg(r.scored)
                         .arg(r.conceded)
                         .arg(r.difference)
                         .arg(r.points)
                         .arg(r.place));
    }
    QStringList scores;
    for (const Match &m : matches) {
        scores.append(QStringLiteral("%1 %2").arg(m.homeGoals).arg(m.awayGoals));
    }
    return parts.join(u';') + u'|' + scores.join(u';');
}

// The rows and scores a correction replaced; nothing when the text is not what
// encodePrevious() writes.
std::optional<std::pair<PerPlayer<BookRow>, Matches>> decodePrevious(const QString &text,
                                                                     const PerPlayer<BookRow> &current) {
    const QStringList halves = text.split(u'|');
    if (halves.size() != 2) {
        return std::nullopt;
    }
    const QStringList rowTexts = halves[0].split(u';');
    const QStringList scoreTexts = halves[1].split(u';');
    if (rowTexts.size() != kPlayers || scoreTexts.size() != kMatches) {
        return std::nullopt;
    }
    auto numbers = [](const QString &part, int count) -> std::optional<std::vector<qint64>> {
        const QStringList words = part.split(u' ');
        if (words.size() != count) {
            return std::nullopt;
        }
        std::vector<qint64> values;
        for (const QString &word : words) {
            bool ok = false;
            values.push_back(word.toLongLong(&ok));
            if (!ok) {
                return std::nullopt;
            }
        }
        return values;
    };
    std::pair<PerPlayer<BookRow>, Matches> previous{current, {}};
    for (int k = 0; k < kPlayers; ++k) {
        const std::optional<std::vector<qint64>> v = numbers(rowTexts[k], 8);
        if (!v || (*v)[7] < 1 || (*v)[7] > kPlayers) {
            return std::nullopt;
        }
        BookRow &r = previous.first[static_cast<std::size_t>(k)];
        r.wins = static_cast<int>((*v)[0]);
        r.draws = static_cast<int>((*v)[1]);
        r.losses = static_cast<int>((*v)[2]);
        r.scored = (*v)[3];
        r.conceded = (*v)[4];
        r.difference = (*v)[5];
        r.points = static_cast<int>((*v)[6]);
        r.place = static_cast<int>((*v)[7]);
    }
    for (int k = 0; k < kMatches; ++k) {
        const std::optional<std::vector<qint64>> v = numbers(scoreTexts[k], 2);
        if (!v) {
            return std::nullopt;
        }
        const MatchCell &cell = kMatchCells[static_cast<std::size_t>(k)];
        previous.second[static_cast<std::size_t>(k)] = {cell.homeRow, cell.awayRow, (*v)[0], (*v)[1]};
    }
    return previous;
}

QString refusalText(const StatsConnection &connection, const Refusal &refusal, const QString &firstLine) {
    if (refusal.error.isValid()) {
        return firstLine + QStringLiteral(".\n") + databaseErrorText(connection.filePath(), refusal.error);
    }
    if (refusal.sentences) {
        return firstLine + QStringLiteral(".\n") + refusal.reason;
    }
    return QStringLiteral("%1: %2.").arg(firstLine, refusal.reason);
}

// Runs `change` in a transaction that takes the file for writing at once, and
// commits it; a refusal or a failure rolls everything back.
Status inWriteTransaction(const StatsConnection &connection, const QString &firstLine,
                          const std::function<std::optional<Refusal>(const QSqlDatabase &)> &change) {
    const StatsConnection::LockWaitScope wait(connection);
    const QSqlDatabase db = connection.database();
    const RollbackWords &words = undoRollbackWords();
    if (const Status ended = endLeftoverTransaction(connection); !ended.ok()) {
        return Failure{firstLine + QStringLiteral(".\n") + ended.error() + words.nothingChanged};
    }
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return Failure{firstLine + QStringLiteral(".\n") + databaseErrorText(connection.filePath(), begin.lastError()) +
                       words.nothingChanged};
    }
    if (const std::optional<Refusal> refused = change(db)) {
        return Failure{rolledBack(db, words, refusalText(connection, *refused, firstLine))};
    }
    QSqlQuery commit(db);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        return Failure{rolledBack(db, words,
                                  firstLine + QStringLiteral(".\n") +
                                      databaseErrorText(connection.filePath(), commit.lastError()))};
    }
    return {};
}

std::optional<Refusal> bookRefusal(const StatsConnection &connection, const BookState &book) {
    if (book.error.isValid()) {
        return Refusal{{}, book.error};
    }
    if (book.version > Book::SchemaVersion) {
        return Refusal{QStringLiteral("файл базы статистики записан более новой версией программы (книга турниров "
                                      "версии %1); пользуйтесь ею")
                           .arg(book.version),
                       {}};
    }
    if (!book.damage.isEmpty()) {
        return Refusal{damagedBookText(connection.filePath(), book.damage), {}, true};
    }
    return std::nullopt;
}

// Begins a reading of the book: the read transaction begun and the book
// inspected; a book the program cannot read is a failure that starts with firstLine.
Result<BookState> beginBookReading(const StatsConnection &connection, const ReadTransaction &transaction,
                                   const QString &firstLine) {
    if (!transaction.begun().ok()) {
        return transaction.begun();
    }
    const BookState book = inspectBook(connection.database());
    if (const std::optional<Refusal> refused = bookRefusal(connection, book)) {
        return Failure{refusalText(connection, *refused, firstLine)};
    }
    return book;
}

} // namespace BookSteps

std::map<qint64, StatFigures> addedToStat(const PerPlayer<BookRow> &rows,
                                          const PerPlayer<std::optional<qint64>> &statIds) {
    std::map<qint64, StatFigures> added;
    for (const std::optional<qint64> &statId : statIds) {
        if (statId) {
            added[*statId] = addedFor(rows, statIds, *statId).figures;
        }
    }
    return added;
}
