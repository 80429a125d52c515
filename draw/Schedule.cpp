#include "Schedule.h"

#include "CharacterNames.h"
#include "Cp1251.h"
#include "DataFiles.h"
#include "Seams.h"
#include "Tournament.h"

#include <algorithm>

namespace {

// One attempt of the draw as the program has always made it: the labels of the
// three lines are filled from random choices, and the attempt stands only when
// every team is named first once and second once. About one attempt in four
// stands, whatever the teams.
struct Attempt {
    QString label7, label8, label10, label11, label14, label15;

    bool accepted() const { return label8 != label11 && label11 != label15 && label8 != label15; }
};

Attempt drawAttempt(const PerPlayer<QString> &t, Random &random) {
    Attempt a;
    const int p = random.below(kPlayers);
    // The two other teams in player order; Y is one of them, Z the other.
    const std::array<int, 2> others = {p == 0 ? 1 : 0, p == 2 ? 1 : 2};
    const bool yIsFirst = random.below(2) == 0;
    const int y = others[yIsFirst ? 0 : 1];
    const int z = others[yIsFirst ? 1 : 0];
    a.label7 = t[p];
    a.label8 = t[y];
    // Of X and Y, the one that comes first in player order, or the other.
    const bool zLeft = random.below(2) == 0;
    const QString other = random.below(2) == 0 ? t[std::min(p, y)] : t[std::max(p, y)];
    a.label10 = zLeft ? t[z] : other;
    a.label11 = zLeft ? other : t[z];
    a.label14 = (a.label7 != a.label10 && a.label7 != a.label11) ? a.label7 : a.label8;
    a.label15 = (a.label10 != a.label7 && a.label10 != a.label8) ? a.label10 : a.label11;
    return a;
}

// Needing more attempts than this happens with a chance of (3/4)^1000.
constexpr int kMaxAttempts = 1000;

} // namespace

Result<Fixtures> drawFirstRound(const PerPlayer<QString> &teams, Random &random) {
    for (int i = 0; i < kPlayers; ++i) {
        if (teams[i].trimmed().isEmpty()) {
            return Failure{QStringLiteral("Расписание не составлено: у игрока %1 нет команды. Впишите её в поле "
                                          "«Команда %1» или получите кнопкой «Заполнить».")
                               .arg(i + 1)};
        }
    }
    for (int i = 0; i < kPlayers; ++i) {
        for (int j = i + 1; j < kPlayers; ++j) {
            if (teams[i] == teams[j]) {
                return Failure{QStringLiteral("У игроков %1 и %2 одна и та же команда «%3». Расписание составляется "
                                              "только для трёх разных команд: измените команду одного из них.")
                                   .arg(i + 1)
                                   .arg(j + 1)
                                   .arg(teams[i])};
            }
        }
    }
    random.seedFromClock();
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const Attempt a = drawAttempt(teams, random);
        if (a.accepted()) {
            Fixtures fixtures;
            fixtures.matches = {{{a.label7, a.label8}, {a.label10, a.label11}, {a.label14, a.label15}}};
            fixtures.attempts = attempt;
            return fixtures;
        }
    }
    return Failure{QStringLiteral("Не удалось составить расписание первого круга. Нажмите «Расписание» ещё раз.")};
}

Result<PerPlayer<QByteArray>> teamsForFile(const PerPlayer<QString> &teams, const QString &fileName) {
    PerPlayer<QByteArray> bytes;
    for (int k = 0; k < kPlayers; ++k) {
        if (const std::optional<char32_t> bad = unstorableOnALine(teams[k])) {
            return Failure{
                QStringLiteral("Команду игрока %1 «%2» нельзя записать в файл «%3»: в названии есть %4, а такой знак "
                               "в строку файла не записать. Исправьте название команды.")
                    .arg(k + 1)
                    .arg(teams[k], fileName, describeCharacter(*bad))};
        }
        bytes[k] = toCp1251(teams[k]).value();
    }
    return bytes;
}

Status appendToUsedTeamsLog(const PerPlayer<QByteArray> &teams) {
    return appendLines(DataFile::UsedTeamsLog, {teams[0], teams[1], teams[2]});
}
