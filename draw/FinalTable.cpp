#include "FinalTable.h"

#include "DataFiles.h"
#include "Text.h"

Status recordLastTournament(const std::array<QString, 3> &teams, const QString &date) {
    Lines lines;
    for (int k = 0; k < 3; ++k) {
        const std::optional<QByteArray> team = toCp1251(teams[k]);
        if (!team) {
            return Failure{QStringLiteral("Команду «%1» игрока %2 нельзя записать в файл «%3»: в ней есть знак, "
                                          "которого нет в кодировке Windows-1251. Исправьте название команды.")
                               .arg(teams[k])
                               .arg(k + 1)
                               .arg(DataFile::LastTournament)};
        }
        lines.append(*team);
    }
    // The system's short date holds digits and separators only.
    lines.append(toCp1251(date).value_or(QByteArray()));
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
