#include "RandomForTwo.h"

#include "DataFiles.h"
#include "Seams.h"

#include <QList>
#include <array>

namespace {

int randomIndex(Random &random, qsizetype size) {
    return random.below(static_cast<int>(size));
}

} // namespace

Result<TwoTeams> drawTwoTeams(TwoPlayerKind kind, Random &random) {
    random.seedFromClock();
    TwoTeams teams;
    if (kind == TwoPlayerKind::Clubs) {
        const std::array<QString, 3> clubLists = {DataFile::Teams4, DataFile::Teams45, DataFile::Teams5};
        teams.list = clubLists[static_cast<std::size_t>(random.below(3))];
    } else {
        teams.list = DataFile::NatTeams;
    }

    Result<LineFile> read = readLineFile(teams.list);
    if (!read.ok()) {
        return read.status();
    }
    const LineFile &lines = read.value();
    const auto cannotServe = [&teams] {
        return Failure{QStringLiteral("В списке «%1» нет двух разных команд, поэтому двум игрокам выбрать не из "
                                      "чего. Добавьте команды в список (Меню → Команды...).")
                           .arg(teams.list)};
    };
    if (lines.size() < 2) {
        return cannotServe();
    }

    const QByteArrayView first = lines[randomIndex(random, lines.size())];
    // Drawing again until the text differs picks every differing line with the
    // same chance; choosing among them at once does so without waiting on luck.
    QList<qsizetype> others;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != first) {
            others.append(i);
        }
    }
    if (others.isEmpty()) {
        return cannotServe();
    }
    teams.first = first.toByteArray();
    teams.second = lines[others[randomIndex(random, others.size())]].toByteArray();
    return teams;
}
