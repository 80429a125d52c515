#pragma once

#include "Cp1251.h"
#include "DataFiles.h"
#include "Result.h"

#include <QHash>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The team lists measured against the used-teams log. Two lines match when they
// are equal byte for byte; duplicates are kept, so a team written twice in the
// log counts twice. Matches are counted through a hash table built once from
// the log: the work grows with the list plus the log, never with their product.

class LineScanner;
class UsedTeams;

// What one walk over a team list's bytes finds.
struct ListCount {
    qsizetype lines = 0;
    qsizetype matches = 0;              // pairs (list line, log line) that match
    std::optional<TextProblem> problem; // as checkCp1251Text finds it
};
ListCount countList(QByteArrayView list, const UsedTeams &used);

// True when fewer teams of the list are left unused than a draw gives out (one
// for each player), counting every pair.
bool isExhausted(const ListCount &count);

// The list's lines in file order, less every line that stands in the log.
Lines poolRemainder(QByteArrayView list, const UsedTeams &used);

// Writes the list's remainder after the used teams to "temp" and gives it back.
Result<Lines> storePoolRemainder(QByteArrayView list, const UsedTeams &used);

// How often each line stands in the log. The log's bytes are walked once, and
// each distinct line takes a slot of an open-addressing table that points into
// them. At tens of thousands of lines the table is far larger than the
// processor's caches, so a walk over many lines asks for a line's slot, and then
// for its bytes in the log, some lines before it looks the line up.
class UsedTeams {
public:
    UsedTeams() = default; // an empty log
    explicit UsedTeams(QByteArray log);

    qsizetype lines() const { return m_lines; }
    qsizetype count(QByteArrayView line) const;
    bool contains(QByteArrayView line) const { return count(line) > 0; }

private:
    friend ListCount countList(QByteArrayView list, const UsedTeams &used);
    friend Lines poolRemainder(QByteArrayView list, const UsedTeams &used);

    // One word: where the line starts in m_log, a few bits of its hash, and its
    // count; 0 is a free slot. Pool.cpp lays out the fields.
    using Slot = std::uint64_t;
    struct Pending {
        QByteArrayView line;
        std::uint64_t hash = 0;
    };
    bool build(std::size_t slotCount);
    bool add(const Pending &line, std::size_t &taken);
    std::size_t slotOf(QByteArrayView line, std::uint64_t hash) const;
    bool holds(Slot slot, QByteArrayView line, std::uint64_t hash) const;
    qsizetype countIn(Slot slot) const;
    // Hands every line of the scanner to visit with how often it stands in the log.
    template <typename Visit> void countEach(LineScanner &scanner, Visit visit) const;

    QByteArray m_log; // never modified, so the slots stay valid in every copy
    qsizetype m_lines = 0;
    std::vector<Slot> m_slots;                 // a power of two of them, at most half taken; none for an empty log
    QHash<qsizetype, qsizetype> m_largeCounts; // by the line's start, the counts too large for a slot
};

// The same operations over files, each reading its files afresh.

// Writes the remainder of the list after the used teams to "temp", as the start does.
Status BuildPoolRemainder(const QString &listFile);
Result<bool> IsListExhausted(const QString &listFile, const QString &logFile);
Result<bool> FileHasLine(const QString &fileName, QByteArrayView text);
// The message that a draw shows when the list has run dry; empty for a name that
// is not a team list.
QString ExhaustedMessage(const QString &listFile);
// The whole number under "[log all teams]" of the settings file.
Result<int> ReadLogAllTeams(const QString &settingsFile);
