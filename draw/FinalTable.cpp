#include "FinalTable.h"

#include "DataFiles.h"
#include "Text.h"

#include <QDate>
#include <QLocale>

Status recordLastTournament(const std::array<QString, 3> &teams, const QDate &date) {
    Lines lines;
    for (int k = 0; k < 3; ++k) {
        if (const std::optional<char32_t> bad = unstorableOnALine(teams[k])) {
            return Failure{
                QStringLiteral("Команду игрока %1 «%2» нельзя записать в файл «%3»: в названии есть %4, а такой знак "
                               "в строку файла не записать. Исправьте название команды.")
                    .arg(k + 1)
                    .arg(teams[k], DataFile::LastTournament, describeCharacter(*bad))};
        }
        lines.append(toCp1251(teams[k]).value());
    }
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
