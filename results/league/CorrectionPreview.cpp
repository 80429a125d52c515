#include "CorrectionPreview.h"

#include "Ratings.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool sameHolding(const std::optional<RecordHolding> &a, const std::optional<RecordHolding> &b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (a->holder == b->holder && a->value == b->value && a->written == b->written);
}

std::optional<RecordHolding> holdingOf(const LeagueRecord &record) {
    if (record.history.empty()) {
        return std::nullopt;
    }
    return record.history.front();
}

} // namespace

CorrectionPreviewer::CorrectionPreviewer(TournamentToCorrect tournament, LeagueBook book)
    : m_tournament(std::move(tournament)), m_book(std::move(book)) {
    const auto found = std::find_if(m_book.begin(), m_book.end(),
                                    [this](const LeagueTournament &t) { return t.id == m_tournament.id; });
    if (found == m_book.end()) {
        return;
    }
    m_index = static_cast<std::size_t>(found - m_book.begin());
    const Ratings ratings = rateBook(m_book);
    for (const PlayerRating &player : ratings.players) {
        m_ratingBefore.insert(player.player, player.rating);
    }
    m_recordsBefore = findRecords(m_book, ratings);
}

CorrectionPreview CorrectionPreviewer::preview(const Matches &matches) {
    CorrectionPreview preview;
    preview.rows = correctedRows(m_tournament.rows, matches);
    const std::map<qint64, StatFigures> before = addedToStat(m_tournament.rows, m_tournament.statIds);
    const std::map<qint64, StatFigures> after = addedToStat(preview.rows, m_tournament.statIds);
    std::vector<qint64> shown;
    for (std::size_t k = 0; k < m_tournament.statIds.size(); ++k) {
        const std::optional<qint64> &statId = m_tournament.statIds[k];
        if (!statId || std::find(shown.begin(), shown.end(), *statId) != shown.end()) {
            continue;
        }
        shown.push_back(*statId);
        const auto row = m_tournament.statRows.find(*statId);
        if (row == m_tournament.statRows.end()) {
            continue;
        }
        StatRowChange change{m_tournament.rows[k].player, row->second, row->second};
        for (std::size_t f = 0; f < change.after.size(); ++f) {
            change.after[f] += after.at(*statId)[f] - before.at(*statId)[f];
        }
        preview.stat.push_back(change);
    }
    if (!m_index) {
        return preview;
    }
    // The league over the book with the new scores in place; the next preview
    // puts its own in the same place.
    LeagueTournament &t = m_book[*m_index];
    t.rows = preview.rows;
    t.matches.assign(matches.begin(), matches.end());
    const Ratings ratings = rateBook(m_book);
    const std::vector<LeagueRecord> records = findRecords(m_book, ratings);

    std::vector<RatingChange> others;
    for (const PlayerRating &player : ratings.players) {
        const RatingChange change{player.player, m_ratingBefore.value(player.player, kStartRating), player.rating};
        const bool ofTournament = std::any_of(m_tournament.rows.begin(), m_tournament.rows.end(),
                                              [&](const BookRow &r) { return r.player == player.player; });
        if (!ofTournament && std::lround(change.before) != std::lround(change.after)) {
            others.push_back(change);
        }
    }
    for (const BookRow &r : m_tournament.rows) {
        const bool listed = std::any_of(preview.ratings.begin(), preview.ratings.end(),
                                        [&](const RatingChange &c) { return c.player == r.player; });
        if (listed) {
            continue;
        }
        const PlayerRating *now = ratings.find(r.player);
        preview.ratings.push_back(
            {r.player, m_ratingBefore.value(r.player, kStartRating), now ? now->rating : kStartRating});
    }
    std::stable_sort(others.begin(), others.end(), [](const RatingChange &a, const RatingChange &b) {
        return std::abs(a.after - a.before) > std::abs(b.after - b.before);
    });
    preview.ratings.insert(preview.ratings.end(), others.begin(), others.end());

    for (std::size_t k = 0; k < records.size() && k < m_recordsBefore.size(); ++k) {
        const std::optional<RecordHolding> was = holdingOf(m_recordsBefore[k]);
        const std::optional<RecordHolding> will = holdingOf(records[k]);
        if (!sameHolding(was, will)) {
            preview.records.push_back({records[k].title, was, will});
        }
    }
    return preview;
}
