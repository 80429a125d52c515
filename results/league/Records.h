#pragma once

#include "LeagueBook.h"

#include <QString>
#include <vector>

struct Ratings;

// The records of the book, each with its holder, the date it was set and the
// holders before him. A record changes hands only when it is beaten, not when
// it is equalled.

enum class RecordKind {
    BiggestWin,             // the margin, then the winner's goals
    MostGoalsInMatch,       // by one player
    MostPointsInTournament, //
    LongestTitleRun,        // first places in a row over the tournaments he played
    LongestUnbeatenRun,     // matches in a row without a loss
    MostTitlesInSeason,     //
    HighestRating,          //
};

struct RecordHolding {
    QString holder;
    QString value;   // as the table shows it: "5:1", "9", "1 612"
    QString written; // the tournament where it was set
    QString detail;  // the match, the team or the season
};

struct LeagueRecord {
    RecordKind kind;
    QString title;
    // Newest first: the holder now, then the ones before him. A run or a
    // rating that its holder carries further replaces his entry rather than
    // adding one. Empty while the book has nothing that sets it.
    std::vector<RecordHolding> history;
};

// Every record, in the order of RecordKind.
std::vector<LeagueRecord> findRecords(const LeagueBook &book, const Ratings &ratings);
