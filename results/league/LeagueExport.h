#pragma once

#include "BookReader.h"
#include "LeagueBook.h"

struct Ratings;

// Every player's rating after every tournament he played, in date order, for
// the export: the tournament, its date, the player, his rating after it and
// its change over it, with a decimal comma as the other tables' spreadsheet
// expects.
TextTable ratingsExportTable(const LeagueBook &book, const Ratings &ratings);

// Whether the export's tournaments (the first column of its table of rows) are
// the tournaments of the book, so that the ratings agree with the other files.
bool sameTournaments(const TextTable &exportedRows, const LeagueBook &book);
