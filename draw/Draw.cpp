#include "Draw.h"

#include "DataFiles.h"
#include "Pool.h"
#include "Seams.h"

#include <limits>
#include <optional>

namespace {

bool same(const TeamText &a, QByteArrayView line) {
    return a && *a == line;
}

// The rules of one player's draw that do not depend on the log.
class Candidates {
public:
    Candidates(const FillRequest &request, const std::array<TeamText, 3> &teams, int player)
        : m_teams(teams), m_player(player), m_exclude(request.exclude[player]),
          m_previous(request.skipPrevious ? request.previous[player] : TeamText()) {}

    // Another player holds the line (an empty field holds the empty line).
    bool heldByOther(QByteArrayView line) const {
        for (int other = 0; other < 3; ++other) {
            if (other != m_player && same(m_teams[other], line)) {
                return true;
            }
        }
        return false;
    }
    bool acceptable(QByteArrayView line) const {
        return !heldByOther(line) && !same(m_exclude, line) && !same(m_previous, line);
    }

private:
    const std::array<TeamText, 3> &m_teams;
    int m_player;
    TeamText m_exclude;
    TeamText m_previous;
};

QString playerCannotDrawMessage(const QString &player, const QString &poolFile) {
    return QStringLiteral("Игроку «%1» не из чего выбрать команду: в списке «%2» нет ни одной команды, которая не "
                          "занята другим игроком, не исключена в «Кроме:» и не была его командой в прошлом "
                          "турнире. Добавьте команды в список или выберите другие исключения.")
        .arg(player, poolFile);
}

} // namespace

Result<FillOutcome> fillTeams(const FillRequest &request, Random &random) {
    FillOutcome outcome;
    outcome.teams = request.teams;
    const auto isEmpty = [](const TeamText &team) { return team && team->isEmpty(); };
    if (!isEmpty(outcome.teams[0]) && !isEmpty(outcome.teams[1]) && !isEmpty(outcome.teams[2])) {
        return outcome;
    }

    random.seedFromClock();
    Result<LineFile> pool = readLineFile(request.poolFile);
    if (!pool.ok()) {
        return Failure{pool.error()};
    }
    std::optional<UsedTeams> used;
    if (request.skipAllUsed) {
        Result<LineFile> log = readLineFile(DataFile::UsedTeamsLog);
        if (!log.ok()) {
            return Failure{log.error()};
        }
        used.emplace(std::move(log).value());
    }

    const LineFile &lines = pool.value();
    const qsizetype n = lines.size();
    for (int player = 0; player < 3; ++player) {
        if (!isEmpty(outcome.teams[player])) {
            continue;
        }
        const Candidates candidates(request, outcome.teams, player);
        for (qsizetype attempt = 1;; ++attempt) {
            // An empty list reads as one empty line, the line that reading past
            // its end gives.
            const QByteArrayView candidate =
                n > 0 ? lines[random.below(static_cast<int>(qMin<qsizetype>(n, std::numeric_limits<int>::max())))]
                      : QByteArrayView("");
            const bool acceptable = candidates.acceptable(candidate);
            if (attempt > request.totalListLines) {
                // From here on the fill cannot succeed: the next acceptable
                // candidate ends it. Whether there is one at all decides how.
                bool anyAcceptable = acceptable;
                for (qsizetype i = 0; i < n && !anyAcceptable; ++i) {
                    anyAcceptable = candidates.acceptable(lines[i]);
                }
                if (!anyAcceptable) {
                    outcome.end = FillOutcome::End::NoCandidate;
                    outcome.player = player;
                    outcome.teams = request.teams;
                    const QString name =
                        request.players[player].isEmpty() ? QString::number(player + 1) : request.players[player];
                    outcome.message = playerCannotDrawMessage(name, request.poolFile);
                    return outcome;
                }
                outcome.end = FillOutcome::End::Exhausted;
                outcome.player = player;
                outcome.message = ExhaustedMessage(request.poolFile);
                if (acceptable) {
                    outcome.teams[player] = candidate.toByteArray();
                }
                return outcome;
            }
            if (!acceptable) {
                continue;
            }
            if (used && used->contains(candidate)) {
                continue;
            }
            outcome.teams[player] = candidate.toByteArray();
            break;
        }
    }
    return outcome;
}
