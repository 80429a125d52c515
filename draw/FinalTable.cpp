#include "FinalTable.h"

#include "DataFiles.h"
#include "Schedule.h"
#include "Text.h"

#include <QDate>
#include <QLocale>

Status recordLastTournament(const std::array<QString, 3> &teams, const QDate &date) {
    const Result<std::array<QByteArray, 3>> teamLines = teamsForFile(teams, DataFile::LastTournament);
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

std::array<QString, 3> playersOfTeams(const std::array<QString, 3> &order, const std::array<QString, 3> &teams,
                                      const std::array<QString, 3> &players) {
    std::array<QString, 3> result;
    for (int row = 0; row < 3; ++row) {
        for (int k = 0; k < 3; ++k) {
            if (teams[k] == order[row]) {
                result[row] = players[k];
                break;
            }
        }
    }
    return result;
}
