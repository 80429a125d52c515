#pragma once

#include <QString>
#include <memory>
#include <sqlite3.h>

// A prepared SQLite statement that is finalized when it goes.
struct FinalizeStatement {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// A text cell of the current row as the UTF-8 that SQLite stores, without a
// conversion of SQLite's own; NULL reads as empty.
inline QString columnText(sqlite3_stmt *statement, int column) {
    const auto *characters = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(characters, sqlite3_column_bytes(statement, column));
}
