#include "Ratings.h"

#include <algorithm>
#include <cmath>

double expectedScore(double own, double other) {
    return 1.0 / (std::pow(10.0, -(own - other) / 400.0) + 1.0);
}

double marginFactor(qint64 margin) {
    const qint64 n = margin < 0 ? -margin : margin;
    if (n <= 1) {
        return 1.0;
    }
    if (n == 2) {
        return 1.5;
    }
    return (11.0 + static_cast<double>(n)) / 8.0;
}

double ratingChange(double home, double away, qint64 homeGoals, qint64 awayGoals) {
    const double result = homeGoals > awayGoals ? 1.0 : homeGoals == awayGoals ? 0.5 : 0.0;
    return kRatingK * marginFactor(homeGoals - awayGoals) * (result - expectedScore(home, away));
}

const PlayerRating *Ratings::find(const QString &player) const {
    const auto found = index.constFind(player);
    return found == index.cend() ? nullptr : &players[*found];
}

Ratings rateBook(const LeagueBook &book) {
    Ratings ratings;
    const auto playerAt = [&ratings](const QString &name) -> PlayerRating & {
        auto found = ratings.index.constFind(name);
        if (found == ratings.index.cend()) {
            found = ratings.index.insert(name, ratings.players.size());
            ratings.players.push_back({name, kStartRating, kStartRating, {}, 0, 0, {}});
        }
        return ratings.players[*found];
    };
    ratings.matches.reserve(book.size() * kMatches);
    ratings.tournamentChanges.reserve(book.size());
    ratings.ratingsAfter.reserve(book.size());
    for (std::size_t t = 0; t < book.size(); ++t) {
        const LeagueTournament &tournament = book[t];
        // Every player of the tournament is in the list before its matches, so
        // that the references taken below stay valid.
        PerPlayer<double> before{};
        for (int row = 1; row <= kPlayers; ++row) {
            before[static_cast<std::size_t>(row - 1)] = playerAt(tournament.player(row)).rating;
        }
        for (const Match &match : tournament.matches) {
            if (match.homeRow < 1 || match.homeRow > kPlayers || match.awayRow < 1 || match.awayRow > kPlayers) {
                continue;
            }
            PlayerRating &home = playerAt(tournament.player(match.homeRow));
            PlayerRating &away = playerAt(tournament.player(match.awayRow));
            if (&home == &away) {
                continue; // one name on two rows: no match against himself
            }
            const double change = ratingChange(home.rating, away.rating, match.homeGoals, match.awayGoals);
            ratings.matches.push_back({t, match, home.rating, away.rating, change});
            home.rating += change;
            away.rating -= change;
            for (PlayerRating *side : {&home, &away}) {
                if (side->peakWritten.isEmpty() || side->rating > side->peak) {
                    side->peak = side->rating;
                    side->peakWritten = tournament.written;
                }
            }
        }
        PerPlayer<double> changes{};
        PerPlayer<double> after{};
        for (int row = 1; row <= kPlayers; ++row) {
            PlayerRating &player = playerAt(tournament.player(row));
            const auto k = static_cast<std::size_t>(row - 1);
            changes[k] = player.rating - before[k];
            after[k] = player.rating;
            // A name on two rows counts the tournament once.
            if (player.history.empty() || player.history.back().first != t) {
                player.history.emplace_back(t, player.rating);
                player.lastChange = changes[k];
                ++player.tournaments;
            }
        }
        ratings.tournamentChanges.push_back(changes);
        ratings.ratingsAfter.push_back(after);
    }
    std::vector<std::size_t> order(ratings.players.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        order[k] = k;
    }
    std::sort(order.begin(), order.end(), [&ratings](std::size_t a, std::size_t b) {
        const PlayerRating &first = ratings.players[a];
        const PlayerRating &second = ratings.players[b];
        return first.rating != second.rating ? first.rating > second.rating : first.player < second.player;
    });
    std::vector<PlayerRating> sorted;
    sorted.reserve(order.size());
    ratings.index.clear();
    for (const std::size_t k : order) {
        ratings.index.insert(ratings.players[k].player, sorted.size());
        sorted.push_back(std::move(ratings.players[k]));
    }
    ratings.players = std::move(sorted);
    return ratings;
}
