#include "LeagueBook.h"

#include "BookReading.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>

Result<LeagueBook> readLeagueBook(const StatsConnection &connection) {
    BookReading reading(connection);
    if (reading.failed()) {
        return reading.failure();
    }
    LeagueBook book;
    if (!reading.hasBook()) {
        return reading.finish(std::move(book));
    }
    // Both in the order of the tables' keys, which SQLite walks without sorting;
    // the date order is made afterwards.
    const std::string rowsSql = std::string(kTournamentRows) + "ORDER BY p.tournament, p.row";
    const Statement rows = reading.prepare(rowsSql.c_str());
    const Statement matches =
        reading.prepare("SELECT tournament, home_row, away_row, home_goals, away_goals FROM tournament_match "
                        "ORDER BY tournament, home_row, away_row");
    if (!rows || !matches) {
        return reading.failure();
    }
    while (reading.next(rows.get())) {
        const qint64 id = sqlite3_column_int64(rows.get(), 0);
        if (book.empty() || book.back().id != id) {
            book.push_back({id, columnText(rows.get(), 1), {}, {}});
        }
        const BookRow row = readRow(rows.get());
        if (row.row >= 1 && row.row <= kPlayers) {
            book.back().rows[static_cast<std::size_t>(row.row - 1)] = row;
        }
    }
    QHash<qint64, std::size_t> position;
    position.reserve(static_cast<qsizetype>(book.size()));
    for (std::size_t k = 0; k < book.size(); ++k) {
        position.insert(book[k].id, k);
    }
    while (reading.next(matches.get())) {
        // A match of a tournament without rows has no players to rate: left out.
        const auto found = position.constFind(sqlite3_column_int64(matches.get(), 0));
        if (found != position.cend()) {
            book[*found].matches.push_back({columnInt(matches.get(), 1), columnInt(matches.get(), 2),
                                            columnGoals(matches.get(), 3), columnGoals(matches.get(), 4)});
        }
    }
    std::stable_sort(book.begin(), book.end(),
                     [](const LeagueTournament &a, const LeagueTournament &b) { return a.written < b.written; });
    return reading.finish(std::move(book));
}

QString leagueDate(const QString &written) {
    const QDateTime time = QDateTime::fromString(written, Book::WrittenFormat);
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy")) : written;
}
