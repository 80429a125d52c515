#pragma once

#include "LeagueBook.h"

#include <QString>
#include <optional>
#include <vector>

struct Ratings;

// A season is a calendar year of the tournaments' dates.

struct SeasonRow {
    QString player;
    int tournaments = 0;
    int titles = 0; // first places, shared ones included
    int seconds = 0;
    int thirds = 0;
    qint64 points = 0;
    qint64 goalDifference = 0;
    double averagePlace = 0;
    double ratingAtEnd = 0; // after his last match of the season
};

// The years that have tournaments, newest first.
std::vector<int> seasonYears(const LeagueBook &book);

// The table of a season (all time without a year): most titles first, then
// points, then goal difference, then name.
std::vector<SeasonRow> seasonTable(const LeagueBook &book, const Ratings &ratings, std::optional<int> year);

struct SeasonChampion {
    int year = 0;
    int tournaments = 0;
    // The players level on titles, points and goal difference at the top; more
    // than one when the season ends in a tie.
    QStringList champions;
};
// Every season's champion, newest first.
std::vector<SeasonChampion> seasonChampions(const LeagueBook &book, const Ratings &ratings);
