#include "Records.h"

#include "Ratings.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

// One record as the book is walked: the best key so far and its history, the
// newest holding last until the end.
template <typename Key> class RecordTrack {
public:
    RecordTrack(RecordKind kind, QString title) : m_record{kind, std::move(title), {}} {}

    // Whether a key would take the record: the first key, or one that beats the best.
    bool beats(const Key &key) const { return m_record.history.empty() || m_best < key; }

    // Takes the record (the caller asked beats() first). A feat that continues
    // the newest holding (the same run, the same climb) replaces it instead of
    // adding one.
    void take(const Key &key, RecordHolding holding, const QString &feat) {
        m_best = key;
        if (!m_record.history.empty() && m_lastFeat == feat && m_record.history.back().holder == holding.holder) {
            m_record.history.back() = std::move(holding);
        } else {
            m_record.history.push_back(std::move(holding));
        }
        m_lastFeat = feat;
    }

    LeagueRecord finish() && {
        std::reverse(m_record.history.begin(), m_record.history.end());
        return std::move(m_record);
    }

private:
    LeagueRecord m_record;
    Key m_best{};
    QString m_lastFeat;
};

QString withTeam(const BookRow &row) {
    return row.team.isEmpty() ? row.player : QStringLiteral("%1 («%2»)").arg(row.player, row.team);
}

QString ratingText(double rating) {
    return QLocale(QLocale::Russian).toString(std::lround(rating));
}

// A player's run as the book is walked: its length and where it began.
struct Run {
    int length = 0;
    qint64 start = 0;
};

// What makes a feat one: a run is its holder's from where it began.
QString runFeat(const QString &player, qint64 start) {
    return QStringLiteral("%1#%2").arg(start).arg(player);
}

} // namespace

std::vector<LeagueRecord> findRecords(const LeagueBook &book, const Ratings &ratings) {
    RecordTrack<std::pair<qint64, qint64>> biggestWin(RecordKind::BiggestWin, QStringLiteral("Самая крупная победа"));
    RecordTrack<qint64> mostGoals(RecordKind::MostGoalsInMatch, QStringLiteral("Больше всего голов в матче"));
    RecordTrack<int> mostPoints(RecordKind::MostPointsInTournament, QStringLiteral("Больше всего очков в турнире"));
    RecordTrack<int> titleRun(RecordKind::LongestTitleRun, QStringLiteral("Больше всего титулов подряд"));
    RecordTrack<int> unbeaten(RecordKind::LongestUnbeatenRun, QStringLiteral("Самая длинная серия без поражений"));
    RecordTrack<int> seasonTitles(RecordKind::MostTitlesInSeason, QStringLiteral("Больше всего титулов за сезон"));
    RecordTrack<double> highest(RecordKind::HighestRating, QStringLiteral("Самый высокий рейтинг"));

    QHash<QString, Run> titleRuns;
    QHash<QString, Run> unbeatenRuns;
    QHash<QString, int> titlesThisSeason;
    int season = 0;
    qint64 matchNumber = 0;
    std::size_t rated = 0; // the next of ratings.matches
    for (std::size_t t = 0; t < book.size(); ++t) {
        const LeagueTournament &tournament = book[t];
        if (tournament.year() != season) {
            season = tournament.year();
            titlesThisSeason.clear();
        }
        for (const Match &match : tournament.matches) {
            ++matchNumber;
            if (match.homeRow < 1 || match.homeRow > kPlayers || match.awayRow < 1 || match.awayRow > kPlayers) {
                continue;
            }
            const BookRow &home = tournament.rows[static_cast<std::size_t>(match.homeRow - 1)];
            const BookRow &away = tournament.rows[static_cast<std::size_t>(match.awayRow - 1)];
            if (home.player == away.player) {
                continue;
            }
            const auto shown = [&] {
                // One pass of arg(): a name holding "%3" stays as it is.
                return QStringLiteral("%1 — %2 %3:%4")
                    .arg(withTeam(home), withTeam(away), QString::number(match.homeGoals),
                         QString::number(match.awayGoals));
            };
            const auto matchFeat = [matchNumber] { return QStringLiteral("m%1").arg(matchNumber); };
            const qint64 winnerGoals = std::max(match.homeGoals, match.awayGoals);
            const qint64 loserGoals = std::min(match.homeGoals, match.awayGoals);
            if (winnerGoals != loserGoals && biggestWin.beats({winnerGoals - loserGoals, winnerGoals})) {
                const BookRow &winner = match.homeGoals > match.awayGoals ? home : away;
                biggestWin.take({winnerGoals - loserGoals, winnerGoals},
                                {winner.player, QStringLiteral("%1:%2").arg(winnerGoals).arg(loserGoals),
                                 tournament.written, shown()},
                                matchFeat());
            }
            for (const auto &[side, goals, against] : {std::tuple{&home, match.homeGoals, match.awayGoals},
                                                       std::tuple{&away, match.awayGoals, match.homeGoals}}) {
                if (mostGoals.beats(goals)) {
                    mostGoals.take(goals, {side->player, QString::number(goals), tournament.written, shown()},
                                   matchFeat());
                }
                Run &run = unbeatenRuns[side->player];
                if (goals < against) {
                    run = {};
                    continue;
                }
                if (run.length == 0) {
                    run.start = matchNumber;
                }
                ++run.length;
                if (unbeaten.beats(run.length)) {
                    unbeaten.take(run.length,
                                  {side->player, QString::number(run.length), tournament.written,
                                   QStringLiteral("матчей подряд без поражений")},
                                  runFeat(side->player, run.start));
                }
            }
            // The ratings walk the same matches in the same order; after a match
            // the higher of the two sides is the one that can set the record.
            if (rated < ratings.matches.size()) {
                const RatedMatch &r = ratings.matches[rated++];
                const double homeAfter = r.homeBefore + r.change;
                const double awayAfter = r.awayBefore - r.change;
                const bool homeHigher = homeAfter >= awayAfter;
                const double reached = homeHigher ? homeAfter : awayAfter;
                if (highest.beats(reached)) {
                    const QString &climber = homeHigher ? home.player : away.player;
                    highest.take(reached, {climber, ratingText(reached), tournament.written, shown()}, climber);
                }
            }
        }
        QStringList counted;
        for (const BookRow &row : tournament.rows) {
            if (counted.contains(row.player)) {
                continue; // a name on two rows plays the tournament once
            }
            counted.append(row.player);
            if (mostPoints.beats(row.points)) {
                mostPoints.take(row.points,
                                {row.player, QString::number(row.points), tournament.written, withTeam(row)},
                                QStringLiteral("t%1").arg(t));
            }
            Run &run = titleRuns[row.player];
            if (row.place != 1) {
                run = {};
                continue;
            }
            if (run.length == 0) {
                run.start = static_cast<qint64>(t);
            }
            ++run.length;
            if (titleRun.beats(run.length)) {
                titleRun.take(
                    run.length,
                    {row.player, QString::number(run.length), tournament.written, QStringLiteral("титулов подряд")},
                    runFeat(row.player, run.start));
            }
            const int titles = ++titlesThisSeason[row.player];
            if (seasonTitles.beats(titles)) {
                seasonTitles.take(
                    titles,
                    {row.player, QString::number(titles), tournament.written, QStringLiteral("сезон %1").arg(season)},
                    runFeat(row.player, season));
            }
        }
    }
    std::vector<LeagueRecord> records;
    records.push_back(std::move(biggestWin).finish());
    records.push_back(std::move(mostGoals).finish());
    records.push_back(std::move(mostPoints).finish());
    records.push_back(std::move(titleRun).finish());
    records.push_back(std::move(unbeaten).finish());
    records.push_back(std::move(seasonTitles).finish());
    records.push_back(std::move(highest).finish());
    return records;
}
