#pragma once

#include "LeagueBook.h"

#include <QHash>
#include <QString>
#include <vector>

// Players' ratings by the World Football Elo formula, over every match of the
// book in order: every player starts at 1500; after a match each side moves by
// K·G·(W − We), with K = 20, W = 1 for a win, ½ for a draw and 0 for a loss,
// We = 1 / (10^(−dr/400) + 1) for the rating difference dr before the match,
// and G = 1 for a margin of 0 or 1 goal, 1½ for 2, and (11 + N)/8 for N ≥ 3.

inline constexpr double kStartRating = 1500;
inline constexpr double kRatingK = 20;

// The share of the points that a side rated `own` expects against one rated `other`.
double expectedScore(double own, double other);
// G for a goal margin (either sign).
double marginFactor(qint64 margin);
// The home side's change after a match: the away side's is its negative.
double ratingChange(double home, double away, qint64 homeGoals, qint64 awayGoals);

// A match with both sides' ratings before it.
struct RatedMatch {
    std::size_t tournament = 0; // index into the book
    Match match;
    double homeBefore = kStartRating;
    double awayBefore = kStartRating;
    double change = 0; // the home side's; the away side's is its negative
};

struct PlayerRating {
    QString player;
    double rating = kStartRating;
    double peak = kStartRating; // the highest after any of his matches
    QString peakWritten;        // the tournament where he reached it first
    double lastChange = 0;      // over his most recent tournament
    int tournaments = 0;
    // (index of the tournament in the book, rating after it) for every one he played.
    std::vector<std::pair<std::size_t, double>> history;
};

struct Ratings {
    // Highest rating first; level ratings by name as written.
    std::vector<PlayerRating> players;
    // Every match of the book, in order.
    std::vector<RatedMatch> matches;
    // For each tournament of the book: the change of each row's player over
    // it, and his rating after it.
    std::vector<PerPlayer<double>> tournamentChanges;
    std::vector<PerPlayer<double>> ratingsAfter;

    const PlayerRating *find(const QString &player) const;
    QHash<QString, std::size_t> index; // player -> position in players
};

Ratings rateBook(const LeagueBook &book);
