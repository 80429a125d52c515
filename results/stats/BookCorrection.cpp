#include "BookCorrection.h"

#include "BookChangeSteps.h"
#include "Standings.h"
#include "StatsConnection.h"
#include "TournamentBook.h"

#include <QSqlQuery>

using namespace BookSteps;

namespace {

const QString &notCorrected() {
    static const QString text = QStringLiteral("Турнир не исправлен");
    return text;
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

bool changesScores(const TournamentToCorrect &tournament, const Matches &matches) {
    return !sameMatches(tournament.matches, matches);
}

Result<TournamentToCorrect> readTournamentToCorrect(const StatsConnection &connection, qint64 id) {
    const StatsConnection::LockWaitScope wait(connection);
    ReadTransaction transaction(connection);
    const Result<BookState> book = beginBookReading(connection, transaction, QStringLiteral("Турнир не прочитан"));
    if (!book.ok()) {
        return book.status();
    }
    const QSqlDatabase db = connection.database();
    if (!book.value().present) {
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
        if (QSqlError error = forgetUndoneChanges(db); error.isValid()) {
            return Refusal{{}, error};
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
        const PerPlayer<BookRow> corrected = correctedRows(now.rows, matches);
        if (std::optional<Refusal> refused = replaceFigures(db, now, corrected, matches)) {
            return refused;
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
