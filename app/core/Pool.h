#pragma once

#include "DataFiles.h"
#include "Result.h"

#include <QHash>
#include <QString>

// The team lists measured against the used-teams log. Two lines match when they
// are equal byte for byte; duplicates are kept, so a team written twice in the
// log counts twice. Matches are counted through a hash table built once from
// the log: the work grows with the list plus the log, never with their product.

// How often each line stands in the log.
class UsedTeams {
public:
    explicit UsedTeams(LineFile log);

    qsizetype count(QByteArrayView line) const { return m_counts.value(line, 0); }
    bool contains(QByteArrayView line) const { return m_counts.contains(line); }

private:
    LineFile m_log; // the views in m_counts point into it
    QHash<QByteArrayView, qsizetype> m_counts;
};

// The list's lines in file order, less every line that stands in the log.
Lines poolRemainder(const LineFile &list, const UsedTeams &used);
// The number of pairs (list line, log line) that match.
qsizetype countMatches(const LineFile &list, const UsedTeams &used);
// True when fewer than three of the list's teams are left unused, counting every pair.
bool isExhausted(const LineFile &list, const UsedTeams &used);

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
