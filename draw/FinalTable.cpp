#include "FinalTable.h"

#include "Cp1251.h"
#include "DataFiles.h"
#include "Schedule.h"
#include "Tournament.h"

#include <QDate>
#include <QLocale>

Status recordLastTournament(const PerPlayer<QString> &teams, const QDate &date) {
    const Result<PerPlayer<QByteArray>> teamLines = teamsForFile(teams, DataFile::LastTournament);
    if (!teamLines.ok()) {
        return teamLines.status();
    }
    Lines lines(teamLines.value().begin(), teamLines.value().end());
    // The user's short date format; where its text has characters that the file
    // cannot hold (digits of another script), the date is written in digits.
    const QString shortDate = QLocale::system().toString(date, QLocale::ShortFormat);
    lines.append(toCp1251(shortDate).value_or(date.toString(QStringLiteral("dd.MM.yyyy")).toLatin1()));
    return writeLines(DataFile::LastTournament, lines);
}

PerPlayer<QString> playersOfTeams(const PerPlayer<QString> &order, const PerPlayer<QString> &teams,
                                  const PerPlayer<QString> &players) {
    PerPlayer<QString> result;
    for (int row = 0; row < kPlayers; ++row) {
        for (int k = 0; k < kPlayers; ++k) {
            if (teams[k] == order[row]) {
                result[row] = players[k];
                break;
            }
        }
    }
    return result;
}

Tournament inResultTableOrder(const Tournament &tournament) {
    const FirstRoundTeams &round = tournament.firstRound;
    const PerPlayer<QString> order = {round[0][0], round[0][1], round[1][0]};
    return {playersOfTeams(order, tournament.teams, tournament.players), order, round, tournament.matches};
}
