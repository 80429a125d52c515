#include "BookCorrection.h"

#include "Standings.h"
#include "StatWrites.h"
#include "StatsConnection.h"
#include "TournamentBook.h"

#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <variant>

namespace {

const QString &notCorrected() {
    static const QString text = QStringLiteral("Турнир не исправлен");
    return text;
}

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

// Why a change stops: a reason in the user's words (a clause, or whole
// sentences), or the statement that failed.
struct Refusal {
    QString reason;
    QSqlError error;
    bool sentences = false;
};

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

// Replaces the tournament's figures and scores, and changes "stat" by the
// difference; runs in the caller's transaction after the checks.
QSqlError replaceFigures(const QSqlDatabase &db, qint64 id, const PerPlayer<std::optional<qint64>> &statIds,
                         const PerPlayer<BookRow> &from, const PerPlayer<BookRow> &to, const Matches &matches) {
    const std::map<qint64, StatFigures> before = addedToStat(from, statIds);
    const std::map<qint64, StatFigures> after = addedToStat(to, statIds);
    for (const auto &[statId, added] : after) {
        StatFigures difference{};
        for (std::size_t f = 0; f < difference.size(); ++f) {
            difference[f] = added[f] - before.at(statId)[f];
        }
        if (std::all_of(difference.begin(), difference.end(), [](qint64 d) { return d == 0; })) {
            continue;
        }
        if (QSqlError error = addToStatRow(db, statId, difference); error.isValid()) {
            return error;
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
            return error;
        }
    }
    for (const Match &m : matches) {
        if (QSqlError error = runStatement(db,
                                           QStringLiteral("UPDATE tournament_match SET home_goals=?, away_goals=? "
                                                          "WHERE tournament=? AND home_row=? AND away_row=?"),
                                           {m.homeGoals, m.awayGoals, id, m.homeRow, m.awayRow});
            error.isValid()) {
            return error;
        }
    }
    return {};
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

} // namespace

PerPlayer<BookRow> correctedRows(const PerPlayer<BookRow> &rows, const Matches &matches) {
    const StandingsTable table = standingsOf(matches);
    PerPlayer<BookRow> corrected = rows;
    for (std::size_t k = 0; k < corrected.size(); ++k) {
        BookRow &r = corrected[k];
        const RowFigures &f = table.rows[k];
        r.row = static_cast<int>(k) + 1;
        r.wins = f.wins;
        r.draws = f.draws;
        r.losses = f.losses;
        r.scored = f.scored;
        r.conceded = f.conceded;
        r.difference = f.difference;
        r.points = f.points;
        r.place = table.places[k].toInt();
    }
    return corrected;
}

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

bool changesScores(const TournamentToCorrect &tournament, const Matches &matches) {
    return !sameMatches(tournament.matches, matches);
}

Result<TournamentToCorrect> readTournamentToCorrect(const StatsConnection &connection, qint64 id) {
    const StatsConnection::LockWaitScope wait(connection);
    ReadTransaction transaction(connection);
    if (!transaction.begun().ok()) {
        return transaction.begun();
    }
    const QSqlDatabase db = connection.database();
    const BookState book = inspectBook(db);
    if (const std::optional<Refusal> refused = bookRefusal(connection, book)) {
        return Failure{refusalText(connection, *refused, QStringLiteral("Турнир не прочитан"))};
    }
    if (!book.present) {
        return Failure{QStringLiteral("В файле базы статистики нет книги турниров.")};
    }
    std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, id);
    if (const Refusal *refused = std::get_if<Refusal>(&loaded)) {
        return Failure{refusalText(connection, *refused, QStringLiteral("Турнир не прочитан"))};
    }
    TournamentToCorrect &t = std::get<TournamentToCorrect>(loaded);
    if (t.problem.isEmpty()) {
        if (const std::optional<Refusal> refused = checkGivesBack(db, t.rows, t.statIds)) {
            if (refused->error.isValid()) {
                return Failure{refusalText(connection, *refused, QStringLiteral("Турнир не прочитан"))};
            }
            t.problem = refused->reason;
        }
    }
    if (const Status ended = transaction.end(); !ended.ok()) {
        return ended;
    }
    return std::move(t);
}

Status correctTournament(const StatsConnection &connection, const TournamentToCorrect &read, const Matches &matches,
                         const QDateTime &made) {
    if (!changesScores(read, matches)) {
        return Failure{QStringLiteral("%1: счёт ни одного матча не изменился.").arg(notCorrected())};
    }
    for (const Match &m : matches) {
        if (m.homeGoals < 0 || m.awayGoals < 0) {
            return Failure{QStringLiteral("%1: голов не может быть меньше нуля.").arg(notCorrected())};
        }
    }
    return inWriteTransaction(connection, notCorrected(), [&](const QSqlDatabase &db) -> std::optional<Refusal> {
        if (const Status schema = ensureBookSchema(db); !schema.ok()) {
            return Refusal{QStringLiteral("файл базы статистики «%1»: %2").arg(connection.filePath(), schema.error()),
                           {}};
        }
        std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, read.id);
        if (Refusal *refused = std::get_if<Refusal>(&loaded)) {
            return *refused;
        }
        const TournamentToCorrect &now = std::get<TournamentToCorrect>(loaded);
        if (!now.problem.isEmpty()) {
            return Refusal{now.problem, {}};
        }
        const bool sameTournament = now.written == read.written && now.statIds == read.statIds &&
                                    sameMatches(now.matches, read.matches) &&
                                    std::equal(now.rows.begin(), now.rows.end(), read.rows.begin(), sameRow);
        if (!sameTournament) {
            return Refusal{QStringLiteral("пока окно было открыто, турнир в книге изменила другая программа; "
                                          "откройте исправление заново"),
                           {}};
        }
        if (now.statRows != read.statRows) {
            return Refusal{QStringLiteral("пока окно было открыто, строки игроков этого турнира в таблице статистики "
                                          "изменила другая программа; откройте исправление заново"),
                           {}};
        }
        if (std::optional<Refusal> refused = checkGivesBack(db, now.rows, now.statIds)) {
            return refused;
        }
        const PerPlayer<BookRow> corrected = correctedRows(now.rows, matches);
        if (QSqlError error = replaceFigures(db, now.id, now.statIds, now.rows, corrected, matches); error.isValid()) {
            return Refusal{{}, error};
        }
        QSqlQuery newest(db);
        if (!newest.exec(QStringLiteral("SELECT max(id) FROM tournament")) || !newest.next()) {
            return Refusal{{}, newest.lastError()};
        }
        const QDateTime when = made.isValid() ? made : QDateTime::currentDateTime();
        if (QSqlError error = runStatement(db,
                                           QStringLiteral("INSERT INTO tournament_correction (tournament, newest, "
                                                          "made, previous) VALUES (?,?,?,?)"),
                                           {now.id, newest.value(0).toLongLong(), when.toString(Book::WrittenFormat),
                                            encodePrevious(now.rows, now.matches)});
            error.isValid()) {
            return Refusal{{}, error};
        }
        return std::nullopt;
    });
}

namespace {

// The newest correction of the book when it is newer than the newest write, in
// the caller's transaction; nothing when the newest change is a write.
struct NewestCorrection {
    qint64 id = 0;
    qint64 tournament = 0;
    QString made;
    QString previous;
};
std::variant<std::optional<NewestCorrection>, QSqlError> newestCorrection(const QSqlDatabase &db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT c.id, c.tournament, c.made, c.previous FROM tournament_correction c "
                                   "WHERE c.id = (SELECT max(id) FROM tournament_correction) "
                                   "AND c.newest >= (SELECT coalesce(max(id), 0) FROM tournament)"))) {
        return query.lastError();
    }
    if (!query.next()) {
        return std::optional<NewestCorrection>{};
    }
    return std::optional<NewestCorrection>{NewestCorrection{query.value(0).toLongLong(), query.value(1).toLongLong(),
                                                            query.value(2).toString(), query.value(3).toString()}};
}

std::optional<Refusal> takeBackCorrection(const QSqlDatabase &db, const NewestCorrection &correction) {
    std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, correction.tournament);
    if (Refusal *refused = std::get_if<Refusal>(&loaded)) {
        return *refused;
    }
    const TournamentToCorrect &now = std::get<TournamentToCorrect>(loaded);
    if (!now.problem.isEmpty()) {
        return Refusal{now.problem, {}};
    }
    const std::optional<std::pair<PerPlayer<BookRow>, Matches>> previous =
        decodePrevious(correction.previous, now.rows);
    if (!previous) {
        return Refusal{QStringLiteral("запись о том, что было до исправления, повреждена"), {}};
    }
    if (std::optional<Refusal> refused = checkGivesBack(db, now.rows, now.statIds)) {
        return refused;
    }
    if (QSqlError error = replaceFigures(db, now.id, now.statIds, now.rows, previous->first, previous->second);
        error.isValid()) {
        return Refusal{{}, error};
    }
    if (QSqlError error =
            runStatement(db, QStringLiteral("DELETE FROM tournament_correction WHERE id=?"), {correction.id});
        error.isValid()) {
        return Refusal{{}, error};
    }
    return std::nullopt;
}

QString shortDate(const QDateTime &when) {
    return when.isValid() ? when.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("(дата не записана)");
}

} // namespace

Result<NewestChange> newestChange(const StatsConnection &connection) {
    const Result<NewestTournament> newest = newestTournament(connection);
    if (!newest.ok()) {
        return newest.status();
    }
    NewestChange change;
    change.tournament = newest.value().id;
    change.written = newest.value().written;
    change.players = newest.value().players;
    const StatsConnection::LockWaitScope wait(connection);
    ReadTransaction transaction(connection);
    if (!transaction.begun().ok()) {
        return transaction.begun();
    }
    const QSqlDatabase db = connection.database();
    const BookState book = inspectBook(db);
    if (const std::optional<Refusal> refused = bookRefusal(connection, book)) {
        return Failure{refusalText(connection, *refused, QStringLiteral("Книга турниров не прочитана"))};
    }
    if (book.corrections) {
        auto found = newestCorrection(db);
        if (const QSqlError *error = std::get_if<QSqlError>(&found)) {
            return Failure{databaseErrorText(connection.filePath(), *error)};
        }
        if (const std::optional<NewestCorrection> &correction = std::get<std::optional<NewestCorrection>>(found)) {
            std::variant<TournamentToCorrect, Refusal> loaded = loadTournament(db, correction->tournament);
            if (const Refusal *refused = std::get_if<Refusal>(&loaded)) {
                return Failure{refusalText(connection, *refused, QStringLiteral("Книга турниров не прочитана"))};
            }
            const TournamentToCorrect &t = std::get<TournamentToCorrect>(loaded);
            change.kind = NewestChange::Kind::Correction;
            change.tournament = t.id;
            change.correction = correction->id;
            change.written = QDateTime::fromString(t.written, Book::WrittenFormat);
            change.made = QDateTime::fromString(correction->made, Book::WrittenFormat);
            for (std::size_t k = 0; k < t.rows.size(); ++k) {
                change.players[k] = t.rows[k].player;
            }
        }
    }
    if (const Status ended = transaction.end(); !ended.ok()) {
        return ended;
    }
    return change;
}

QString describeChange(const NewestChange &change) {
    const QString players = QStringList{change.players.begin(), change.players.end()}.join(QStringLiteral(", "));
    if (change.kind == NewestChange::Kind::Write) {
        const QString when = change.written.isValid() ? change.written.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                                                      : QStringLiteral("(дата не записана)");
        return QStringLiteral("запись турнира %1: %2").arg(when, players);
    }
    return QStringLiteral("исправление турнира от %1 (%2), сделанное %3")
        .arg(shortDate(change.written), players,
             change.made.isValid() ? change.made.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                                   : QStringLiteral("(когда — не записано)"));
}

Status undoNewestChange(const StatsConnection &connection, const NewestChange &expected) {
    if (expected.kind == NewestChange::Kind::Write) {
        return undoNewestTournament(connection, expected.tournament);
    }
    return inWriteTransaction(
        connection, QStringLiteral("Исправление не отменено"), [&](const QSqlDatabase &db) -> std::optional<Refusal> {
            const BookState book = inspectBook(db);
            if (std::optional<Refusal> refused = bookRefusal(connection, book)) {
                return refused;
            }
            std::variant<std::optional<NewestCorrection>, QSqlError> found =
                book.corrections ? newestCorrection(db) : std::optional<NewestCorrection>{};
            if (const QSqlError *error = std::get_if<QSqlError>(&found)) {
                return Refusal{{}, *error};
            }
            const std::optional<NewestCorrection> &correction = std::get<std::optional<NewestCorrection>>(found);
            if (!correction || correction->id != expected.correction) {
                return Refusal{QStringLiteral("с тех пор книгу турниров изменила другая программа, и это исправление "
                                              "уже не последнее изменение; откройте книгу заново"),
                               {}};
            }
            return takeBackCorrection(db, *correction);
        });
}
