#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

class RussianCollator;
struct sqlite3;

// The columns of the table "stat" in the grid's order.
namespace StatColumn {
inline constexpr int Id = 0;
inline constexpr int Player = 1;
inline constexpr int Count = 12;
// Not a column: the order of the grid before a title is clicked, that of the
// index "user" on the player, by code point.
inline constexpr int IndexOrder = -1;
// Their names, which the grid's header shows.
const std::array<QString, Count> &names();
} // namespace StatColumn

// Reads the rowids of every row of "stat" in the grid's order of a column,
// ascending: the index order, the id, the player in the Russian alphabet when a
// collator is given (else by code point), or a counter. Rows that are level in
// the column keep the order of their rowids (the rowid is the id), so that the
// order does not change from one reading to the next. The order is the one of
// SQLite's ORDER BY on the column (with the collation "russian" for the
// player): NULL first, then numbers, texts and blobs. Returns SQLite's result
// code, SQLITE_OK when the rowids are read; the handle's message tells more.
// Runs in whatever transaction the caller holds, and finishes its statements.
// `expectedRows` (the count of the last reading) sizes the buffers.
int readStatOrder(sqlite3 *handle, int column, const RussianCollator *collator, std::size_t expectedRows,
                  std::vector<qint64> &rowids);
