#include "LeagueExport.h"

#include "Ratings.h"

#include <QLocale>
#include <QSet>

TextTable ratingsExportTable(const LeagueBook &book, const Ratings &ratings) {
    QLocale russian(QLocale::Russian);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    TextTable table;
    table.header = {QStringLiteral("Турнир"), QStringLiteral("Записан"), QStringLiteral("Игрок"),
                    QStringLiteral("Рейтинг после турнира"), QStringLiteral("Изменение")};
    table.rows.reserve(book.size() * kPlayers);
    for (std::size_t t = 0; t < book.size(); ++t) {
        const LeagueTournament &tournament = book[t];
        QStringList listed;
        for (std::size_t k = 0; k < tournament.rows.size(); ++k) {
            const QString &player = tournament.rows[k].player;
            if (listed.contains(player)) {
                continue;
            }
            listed.append(player);
            table.rows.push_back({QString::number(tournament.id), tournament.written, player,
                                  russian.toString(ratings.ratingsAfter[t][k], 'f', 1),
                                  russian.toString(ratings.tournamentChanges[t][k], 'f', 1)});
        }
    }
    return table;
}

bool sameTournaments(const TextTable &exportedRows, const LeagueBook &book) {
    QSet<QString> exported;
    for (const QStringList &row : exportedRows.rows) {
        exported.insert(row.value(0));
    }
    QSet<QString> read;
    for (const LeagueTournament &tournament : book) {
        read.insert(QString::number(tournament.id));
    }
    return exported == read;
}
