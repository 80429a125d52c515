#include "FinalTable.h"

#include "Cp1251.h"
#include "DataFiles.h"
#include "Schedule.h"
#include "Tournament.h"

#include <QDate>
#include <QLocale>
#include <algorithm>

Status recordLastTournament(const PerPlayer<QString> &teams, const QDate &date) {
    const Result<PerPlayer<QByteArray>> teamLines = teamsForFile(teams, DataFile::LastTournament);
    if (!teamLines.ok()) {
        return teamLines.status();
    }
    Lines lines(teamLines.value().begin(), teamLines.value().end());
    lines.append(toCp1251(lastTournamentDate(date)).value_or(QByteArray()));
    return writeLines(DataFile::LastTournament, lines);
}

QString lastTournamentDate(const QDate &date) {
    // The user's short date format; where its text has characters that the file
    // cannot hold (digits of another script), the date is written in digits.
    const QString shortDate = QLocale::system().toString(date, QLocale::ShortFormat);
    return toCp1251(shortDate) ? shortDate : date.toString(QStringLiteral("dd.MM.yyyy"));
}

Result<std::optional<RecordedTournament>> readLastTournament(const PerPlayer<QString> &players) {
    const Result<Lines> last = readLines(DataFile::LastTournament);
    if (!last.ok()) {
        return last.status();
    }
    RecordedTournament recorded;
    recorded.tournament.players = players;
    for (int k = 0; k < kPlayers; ++k) {
        recorded.tournament.teams[static_cast<std::size_t>(k)] = fromCp1251(lineAt(last.value(), k)).trimmed();
    }
    recorded.date = fromCp1251(lineAt(last.value(), kPlayers)).trimmed();
    const PerPlayer<QString> &teams = recorded.tournament.teams;
    if (std::all_of(teams.begin(), teams.end(), [](const QString &team) { return team.isEmpty(); })) {
        return std::optional<RecordedTournament>();
    }
    return std::optional<RecordedTournament>(std::move(recorded));
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
