#pragma once

#include "LeagueBook.h"

#include <QString>
#include <vector>

// Each player's place in each tournament: a row per player, a column per
// tournament of the book (oldest first), 0 where he did not play.
struct FinishGrid {
    std::vector<QString> players;         // most tournaments first, then by name
    std::vector<QString> written;         // one per column
    std::vector<std::vector<int>> places; // places[player][column]
};

FinishGrid finishGrid(const LeagueBook &book);
