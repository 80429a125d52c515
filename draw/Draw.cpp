#include "Draw.h"

#include "DataFiles.h"
#include "Pool.h"
#include "Seams.h"
#include "Tournament.h"

#include <limits>
#include <optional>

namespace {

// A control's text that stands in the file as the line; an unencodable text equals no line.
bool isLine(const TeamText &text, QByteArrayView line) {
    return text && *text == line;
}

// The rules of one player's draw that do not depend on the log.
class PlayerRules {
public:
    PlayerRules(const FillRequest &request, const PerPlayer<TeamText> &teams, int player)
        : m_teams(teams), m_player(player), m_exclude(request.exclude[player]),
          m_previous(request.skipPrevious ? request.previous[player] : TeamText()) {}

    // Another player holds the line (an empty field holds the empty line).
    bool heldByOther(QByteArrayView line) const {
        for (int other = 0; other < kPlayers; ++other) {
            if (other != m_player && isLine(m_teams[other], line)) {
                return true;
            }
        }
        return false;
    }
    bool acceptable(QByteArrayView line) const {
        return !heldByOther(line) && !isLine(m_exclude, line) && !isLine(m_previous, line);
    }

private:
    const PerPlayer<TeamText> &m_teams;
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

// One player's draw, decided by the lines rather than by luck: every line that
// passes every rule has the same chance, as drawing again until one passes would
// give it. Without such a line, the list has run dry when some line fails only
// because the log holds it, and cannot serve the player otherwise.
struct PlayerDraw {
    FillOutcome::End end = FillOutcome::End::Filled;
    QByteArrayView team;
};

PlayerDraw drawForPlayer(const LineFile &lines, const PlayerRules &rules, const UsedTeams *used, Random &random) {
    qsizetype passing = 0;
    bool usedOnly = false;
    const auto passes = [&](QByteArrayView line) {
        if (!rules.acceptable(line)) {
            return false;
        }
        if (used && used->contains(line)) {
            usedOnly = true;
            return false;
        }
        return true;
    };
    for (const QByteArrayView line : lines) {
        passing += passes(line) ? 1 : 0;
    }
    if (passing == 0) {
        return {usedOnly ? FillOutcome::End::Exhausted : FillOutcome::End::NoCandidate, {}};
    }
    qsizetype chosen = random.below(static_cast<int>(qMin<qsizetype>(passing, std::numeric_limits<int>::max())));
    for (const QByteArrayView line : lines) {
        if (passes(line) && chosen-- == 0) {
            return {FillOutcome::End::Filled, line};
        }
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace

Result<FillOutcome> fillTeams(const FillRequest &request, Random &random) {
    FillOutcome outcome;
    outcome.teams = request.teams;
    // A field to fill: empty. A text that Windows-1251 cannot hold is a team typed by hand.
    const auto wantsTeam = [](const TeamText &team) { return team && team->isEmpty(); };
    if (!wantsTeam(outcome.teams[0]) && !wantsTeam(outcome.teams[1]) && !wantsTeam(outcome.teams[2])) {
        return outcome;
    }

    random.seedFromClock();
    Result<LineFile> pool = readLineFile(request.poolFile);
    if (!pool.ok()) {
        return pool.status();
    }
    std::optional<UsedTeams> used;
    if (request.skipAllUsed) {
        Result<QByteArray> log = readFileBytes(DataFile::UsedTeamsLog);
        if (!log.ok()) {
            return log.status();
        }
        used.emplace(std::move(log).value());
    }

    for (int player = 0; player < kPlayers; ++player) {
        if (!wantsTeam(outcome.teams[player])) {
            continue;
        }
        const PlayerRules rules(request, outcome.teams, player);
        const PlayerDraw drawn = drawForPlayer(pool.value(), rules, used ? &*used : nullptr, random);
        if (drawn.end == FillOutcome::End::Filled) {
            outcome.teams[player] = drawn.team.toByteArray();
            continue;
        }
        outcome.end = drawn.end;
        outcome.player = player;
        if (drawn.end == FillOutcome::End::Exhausted) {
            outcome.message = ExhaustedMessage(request.poolFile);
        } else {
            // Nothing is drawn: the user can change the exclusions or the list and fill again.
            outcome.teams = request.teams;
            const QString name =
                request.players[player].isEmpty() ? QString::number(player + 1) : request.players[player];
            outcome.message = playerCannotDrawMessage(name, request.poolFile);
        }
        return outcome;
    }
    return outcome;
}
