#pragma once

#include "BookCorrection.h"
#include "LeagueBook.h"
#include "Records.h"

#include <QHash>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

// What a correction of a past tournament would change, before it is saved: the
// tournament's new table, each player's row of "stat", the current ratings and
// the records' holders. The book is read once when the correction opens; each
// preview recomputes the league over it with the new scores in place.

struct StatRowChange {
    QString player;
    StatFigures before{};
    StatFigures after{};
};

struct RatingChange {
    QString player;
    double before = 0;
    double after = 0;
};

struct RecordChange {
    QString title;
    // Nothing while the book has nothing that sets the record.
    std::optional<RecordHolding> before;
    std::optional<RecordHolding> after;
};

struct CorrectionPreview {
    // The tournament's rows as the standings rule gives them for the new scores.
    PerPlayer<BookRow> rows;
    // One per row of "stat" the tournament added to, in the order of its rows.
    std::vector<StatRowChange> stat;
    // The tournament's players first, in the order of their rows, then every
    // other player whose rating as shown (a whole number) moves, largest move first.
    std::vector<RatingChange> ratings;
    // The records whose holder or value changes.
    std::vector<RecordChange> records;
};

class CorrectionPreviewer {
public:
    // `book` is the league's reading of the same file; the tournament must be in it.
    CorrectionPreviewer(TournamentToCorrect tournament, LeagueBook book);

    const TournamentToCorrect &tournament() const { return m_tournament; }
    CorrectionPreview preview(const Matches &matches);

private:
    TournamentToCorrect m_tournament;
    LeagueBook m_book;
    // Where the tournament stands in the book; none when the league's reading
    // does not have it (the ratings and records are then left out).
    std::optional<std::size_t> m_index;
    // Each player's current rating, by name.
    QHash<QString, double> m_ratingBefore;
    std::vector<LeagueRecord> m_recordsBefore;
};
