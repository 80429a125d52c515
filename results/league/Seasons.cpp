#include "Seasons.h"

#include "Ratings.h"

#include <QHash>
#include <algorithm>
#include <map>

namespace {

bool ranksAbove(const SeasonRow &a, const SeasonRow &b) {
    if (a.titles != b.titles) {
        return a.titles > b.titles;
    }
    if (a.points != b.points) {
        return a.points > b.points;
    }
    if (a.goalDifference != b.goalDifference) {
        return a.goalDifference > b.goalDifference;
    }
    return a.player < b.player;
}

bool levelAtTheTop(const SeasonRow &a, const SeasonRow &b) {
    return a.titles == b.titles && a.points == b.points && a.goalDifference == b.goalDifference;
}

// The rows of one table as they add up, with the sum of places for the average.
class SeasonSums {
public:
    void add(const BookRow &row, double ratingAfter) {
        auto found = m_at.constFind(row.player);
        if (found == m_at.cend()) {
            found = m_at.insert(row.player, m_rows.size());
            m_rows.push_back({row.player, 0, 0, 0, 0, 0, 0, 0, kStartRating});
            m_placeSums.push_back(0);
        }
        SeasonRow &season = m_rows[*found];
        ++season.tournaments;
        season.titles += row.place == 1 ? 1 : 0;
        season.seconds += row.place == 2 ? 1 : 0;
        season.thirds += row.place == 3 ? 1 : 0;
        season.points += row.points;
        season.goalDifference += row.difference;
        season.ratingAtEnd = ratingAfter;
        m_placeSums[*found] += row.place;
    }

    std::vector<SeasonRow> table() && {
        for (std::size_t k = 0; k < m_rows.size(); ++k) {
            m_rows[k].averagePlace = static_cast<double>(m_placeSums[k]) / m_rows[k].tournaments;
        }
        std::sort(m_rows.begin(), m_rows.end(), ranksAbove);
        return std::move(m_rows);
    }

private:
    std::vector<SeasonRow> m_rows;
    std::vector<qint64> m_placeSums;
    QHash<QString, std::size_t> m_at;
};

// Adds the tournament's rows, a name on two rows once (he plays it once).
void addTournament(SeasonSums &sums, const LeagueTournament &tournament, const PerPlayer<double> &ratingsAfter) {
    for (std::size_t k = 0; k < tournament.rows.size(); ++k) {
        const BookRow &row = tournament.rows[k];
        const auto earlier = std::find_if(tournament.rows.begin(), tournament.rows.begin() + static_cast<long>(k),
                                          [&row](const BookRow &other) { return other.player == row.player; });
        if (earlier == tournament.rows.begin() + static_cast<long>(k)) {
            sums.add(row, ratingsAfter[k]);
        }
    }
}

} // namespace

std::vector<int> seasonYears(const LeagueBook &book) {
    // The book is in date order, so the years come in order too.
    std::vector<int> years;
    for (auto tournament = book.rbegin(); tournament != book.rend(); ++tournament) {
        if (years.empty() || years.back() != tournament->year()) {
            years.push_back(tournament->year());
        }
    }
    return years;
}

std::vector<SeasonRow> seasonTable(const LeagueBook &book, const Ratings &ratings, std::optional<int> year) {
    SeasonSums sums;
    for (std::size_t t = 0; t < book.size(); ++t) {
        if (!year || book[t].year() == *year) {
            addTournament(sums, book[t], ratings.ratingsAfter[t]);
        }
    }
    return std::move(sums).table();
}

std::vector<SeasonChampion> seasonChampions(const LeagueBook &book, const Ratings &ratings) {
    std::map<int, SeasonSums, std::greater<>> seasons;
    std::map<int, int, std::greater<>> counts;
    for (std::size_t t = 0; t < book.size(); ++t) {
        addTournament(seasons[book[t].year()], book[t], ratings.ratingsAfter[t]);
        ++counts[book[t].year()];
    }
    std::vector<SeasonChampion> champions;
    for (auto &[year, sums] : seasons) {
        const std::vector<SeasonRow> table = std::move(sums).table();
        SeasonChampion champion{year, counts[year], {}};
        for (const SeasonRow &row : table) {
            if (!levelAtTheTop(row, table.front())) {
                break;
            }
            champion.champions.append(row.player);
        }
        champions.push_back(champion);
    }
    return champions;
}
