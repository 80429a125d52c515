#pragma once

#include "DataFiles.h"
#include "Result.h"
#include "Text.h"

#include <QHash>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The team lists measured against the used-teams log. Two lines match when they
// are equal byte for byte; duplicates are kept, so a team written twice in the
// log counts twice. Matches are counted through a hash table built once from
// the log: the work grows with the list plus the log, never with their product.

// How often each line stands in the log. The log's bytes are walked once, and
// each distinct line takes a slot of an open-addressing table that points into
// them. The table is far larger than the processor's caches at tens of thousands
// of lines, so look-ups go in batches: the slots of a whole batch are fetched
// from memory together instead of one after another.
class UsedTeams {
public:
    static constexpr qsizetype kBatch = 16;

    UsedTeams() = default; // an empty log
    explicit UsedTeams(QByteArray log);

    qsizetype lines() const { return m_lines; }
    qsizetype count(QByteArrayView line) const;
    bool contains(QByteArrayView line) const { return count(line) > 0; }
    // The counts of up to kBatch lines at once.
    void countBatch(std::span<const QByteArrayView> lines, std::span<qsizetype> counts) const;

private:
    // One word: where the line starts in m_log, a few bits of its hash, and its
    // count; 0 is a free slot. Pool.cpp lays out the fields.
    using Slot = std::uint64_t;
    bool build(std::size_t slotCount);
    std::size_t slotOf(QByteArrayView line, std::uint64_t hash) const;
    bool holds(Slot slot, QByteArrayView line, std::uint64_t hash) const;
    qsizetype countIn(Slot slot) const;

    QByteArray m_log; // never modified, so the slots stay valid in every copy
    qsizetype m_lines = 0;
    std::vector<Slot> m_slots;                 // a power of two of them, at most half taken; none for an empty log
    QHash<qsizetype, qsizetype> m_largeCounts; // by the line's start, the counts too large for a slot
};

// What one walk over a team list's bytes finds.
struct ListCount {
    qsizetype lines = 0;
    qsizetype matches = 0;              // pairs (list line, log line) that match
    std::optional<TextProblem> problem; // as checkCp1251Text finds it
};
ListCount countList(QByteArrayView list, const UsedTeams &used);

// True when fewer than three of the list's teams are left unused, counting every pair.
bool isExhausted(const ListCount &count);

// The list's lines in file order, less every line that stands in the log.
Lines poolRemainder(QByteArrayView list, const UsedTeams &used);

// The same operations over files, each reading its files afresh.

// Writes the remainder of the list after the used teams to "temp".
Status BuildPoolRemainder(const QString &listFile);
Result<bool> IsListExhausted(const QString &listFile, const QString &logFile);
Result<bool> FileHasLine(const QString &fileName, QByteArrayView text);
// The message that a draw shows when the list has run dry; empty for a name that
// is not a team list.
QString ExhaustedMessage(const QString &listFile);
// The whole number under "[log all teams]" of the settings file.
Result<int> ReadLogAllTeams(const QString &settingsFile);
