#include "FinishGrid.h"

#include <QHash>
#include <algorithm>
#include <numeric>

FinishGrid finishGrid(const LeagueBook &book) {
    FinishGrid grid;
    QHash<QString, std::size_t> at;
    std::vector<std::vector<int>> places;
    std::vector<int> played;
    grid.written.reserve(book.size());
    for (std::size_t t = 0; t < book.size(); ++t) {
        grid.written.push_back(book[t].written);
        for (const BookRow &row : book[t].rows) {
            auto found = at.constFind(row.player);
            if (found == at.cend()) {
                found = at.insert(row.player, grid.players.size());
                grid.players.push_back(row.player);
                places.emplace_back(book.size(), 0);
                played.push_back(0);
            }
            int &place = places[*found][t];
            // A name on two rows keeps the better of his places.
            if (place == 0) {
                ++played[*found];
            }
            place = place == 0 ? row.place : std::min(place, row.place);
        }
    }
    std::vector<std::size_t> order(grid.players.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return played[a] != played[b] ? played[a] > played[b] : grid.players[a] < grid.players[b];
    });
    std::vector<QString> players;
    players.reserve(order.size());
    grid.places.reserve(order.size());
    for (const std::size_t k : order) {
        players.push_back(grid.players[k]);
        grid.places.push_back(std::move(places[k]));
    }
    grid.players = std::move(players);
    return grid;
}
