#pragma once

#include "DataFiles.h"
#include "Result.h"

#include <QString>

// The team lists measured against the used-teams log. Two lines match when they
// are equal byte for byte; duplicates are kept, so a team written twice in the
// log counts twice. Matches are counted through a hash table: the work grows with
// the list plus the log, never with their product.

// The list's lines in file order, less every line that stands in the log.
Lines poolRemainder(const Lines &list, const Lines &log);
// The number of pairs (list line, log line) that match.
qsizetype countMatches(const Lines &list, const Lines &log);
// True when fewer than three of the list's teams are left unused, counting every pair.
bool isExhausted(const Lines &list, const Lines &log);
bool hasLine(const Lines &lines, QByteArrayView text);
// The whole number under "[log all teams]"; the default 1 without the marker.
Result<int> logAllTeams(const Lines &settings);

// The same operations over files, each reading its files afresh.

// Writes the remainder of the list after the used teams to "temp".
Status BuildPoolRemainder(const QString &listFile);
Result<bool> IsListExhausted(const QString &listFile, const QString &logFile);
Result<bool> FileHasLine(const QString &fileName, QByteArrayView text);
// The message that a draw shows when the list has run dry; empty for a name that
// is not a team list.
QString ExhaustedMessage(const QString &listFile);
Result<int> ReadLogAllTeams(const QString &settingsFile);
