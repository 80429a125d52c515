#include "StatOrder.h"

#include "RussianCollator.h"
#include "SqliteStatement.h"
#include "StatsConnection.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

const std::array<QString, StatColumn::Count> &StatColumn::names() {
    static const std::array<QString, Count> kNames = {
        QStringLiteral("id"),        QStringLiteral("Игрок"),  QStringLiteral("Побед"),     QStringLiteral("Ничьих"),
        QStringLiteral("Поражений"), QStringLiteral("Забито"), QStringLiteral("Пропущено"), QStringLiteral("Разница"),
        QStringLiteral("Очки"),      QStringLiteral("Первый"), QStringLiteral("Второй"),    QStringLiteral("Третий"),
    };
    return kNames;
}

namespace {

QString quoted(int column) {
    return u'"' + StatColumn::names()[static_cast<std::size_t>(column)] + u'"';
}

int prepare(sqlite3 *handle, const QString &sql, Statement &statement) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    const int code = sqlite3_prepare_v2(handle, text.constData(), static_cast<int>(text.size()), &prepared, nullptr);
    statement.reset(prepared);
    return code;
}

// Steps the statement to its end, handing each row to `take`. A `take` that
// returns false ends the reading early, and the result is SQLITE_ABORT.
template <typename Take> int stepAll(sqlite3_stmt *statement, Take take) {
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!take(statement)) {
            return SQLITE_ABORT;
        }
    }
    return step == SQLITE_DONE ? SQLITE_OK : step;
}

// The order by SQLite's own ORDER BY, for what the faster orders below do not
// take: the index order, the id, and columns with cells of mixed kinds.
int orderInSql(sqlite3 *handle, const QString &orderBy, std::size_t expectedRows, std::vector<qint64> &rowids) {
    Statement statement;
    if (const int code =
            prepare(handle, QStringLiteral("SELECT rowid FROM stat ORDER BY %1, rowid").arg(orderBy), statement);
        code != SQLITE_OK) {
        return code;
    }
    std::vector<qint64> read;
    read.reserve(expectedRows);
    const int code = stepAll(statement.get(), [&read](sqlite3_stmt *row) {
        read.push_back(sqlite3_column_int64(row, 0));
        return true;
    });
    if (code == SQLITE_OK) {
        rowids = std::move(read);
    }
    return code;
}

// A counter column whose every cell is an integer, sorted here: a plain read of
// two numbers a row and a sort of pairs, far quicker than SQLite's sorter of
// records. SQLITE_ABORT when a cell is anything else.
int orderIntegers(sqlite3 *handle, int column, std::size_t expectedRows, std::vector<qint64> &rowids) {
    Statement statement;
    if (const int code = prepare(handle, QStringLiteral("SELECT rowid, %1 FROM stat").arg(quoted(column)), statement);
        code != SQLITE_OK) {
        return code;
    }
    std::vector<std::pair<qint64, qint64>> cells;
    cells.reserve(expectedRows);
    const int code = stepAll(statement.get(), [&cells](sqlite3_stmt *row) {
        if (sqlite3_column_type(row, 1) != SQLITE_INTEGER) {
            return false;
        }
        cells.emplace_back(sqlite3_column_int64(row, 1), sqlite3_column_int64(row, 0));
        return true;
    });
    if (code != SQLITE_OK) {
        return code;
    }
    std::sort(cells.begin(), cells.end());
    rowids.resize(cells.size());
    std::transform(cells.begin(), cells.end(), rowids.begin(), [](const auto &cell) { return cell.second; });
    return SQLITE_OK;
}

// Where one row's text lies in the buffer of its chunk.
struct TextCell {
    quint32 offset;
    quint32 length;
    qint64 rowid;
};

// One player's name as it is sorted: its sort key, and the key's first bytes as
// a number, which settle most comparisons.
struct KeyedName {
    quint64 prefix;
    const char *key;
    quint32 length;
    qint64 rowid;
};

// The names are read and keyed in chunks. Once a table proves bigger than a
// chunk, a second thread keys the chunks read so far while the reading goes on,
// and the reading thread keys what is left once it is done; the two halves of
// the sort go to the two cores as well. A small table is not worth a thread.
constexpr std::size_t kChunkRows = 8192;

// A run of names as read, and their sort keys once made.
struct NameChunk {
    std::string texts;
    std::vector<TextCell> cells;
    std::string keys;
    std::vector<KeyedName> names;
};

quint64 keyPrefix(std::string_view key) {
    quint64 prefix = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        prefix = prefix << 8 | (k < key.size() ? static_cast<unsigned char>(key[k]) : 0u);
    }
    return prefix;
}

// Makes the sort keys of a chunk's names. False when ICU fails.
bool makeKeys(const RussianCollator &collator, NameChunk &chunk) {
    chunk.keys.reserve(chunk.texts.size() + chunk.cells.size() * 8);
    std::vector<std::size_t> ends;
    ends.reserve(chunk.cells.size());
    for (const TextCell &cell : chunk.cells) {
        if (!collator.appendSortKey(std::string_view(chunk.texts).substr(cell.offset, cell.length), chunk.keys)) {
            return false;
        }
        ends.push_back(chunk.keys.size());
    }
    // The keys stay where they are from here on.
    chunk.names.reserve(chunk.cells.size());
    std::size_t start = 0;
    for (std::size_t k = 0; k < chunk.cells.size(); ++k) {
        const std::string_view key = std::string_view(chunk.keys).substr(start, ends[k] - start);
        chunk.names.push_back({keyPrefix(key), key.data(), static_cast<quint32>(key.size()), chunk.cells[k].rowid});
        start = ends[k];
    }
    // The texts have served; a table of a million names is big enough that its
    // sort should not hold them too.
    std::string().swap(chunk.texts);
    std::vector<TextCell>().swap(chunk.cells);
    return true;
}

// The chunks that the reading hands over to be keyed, to whichever thread takes
// them first.
class KeyingQueue {
public:
    void add(NameChunk *chunk) {
        {
            const std::lock_guard lock(m_mutex);
            m_ready.push_back(chunk);
        }
        m_changed.notify_one();
    }
    // No chunk follows.
    void close() {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
    }
    // The next chunk to key, when one is there or comes; nullptr once the queue
    // is closed and every chunk taken.
    NameChunk *take() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_taken < m_ready.size() || m_closed; });
        return m_taken < m_ready.size() ? m_ready[m_taken++] : nullptr;
    }
    // Keys the chunks until there are none; false when ICU failed on one.
    bool keyAll(const RussianCollator &collator) {
        bool made = true;
        while (NameChunk *chunk = take()) {
            made = makeKeys(collator, *chunk) && made;
        }
        return made;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<NameChunk *> m_ready;
    std::size_t m_taken = 0;
    bool m_closed = false;
};

// A thread for a share of the work, or none when the system has none to give:
// the calling thread then does it all.
template <typename Work> std::jthread startThread(Work work) {
    try {
        return std::jthread(std::move(work));
    } catch (const std::system_error &) {
        return {};
    }
}

// Sorts the names by key, then rowid; the halves of a big table at once.
void sortNames(std::vector<KeyedName> &names) {
    const auto before = [](const KeyedName &a, const KeyedName &b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        if (const int order = std::memcmp(a.key, b.key, std::min(a.length, b.length)); order != 0) {
            return order < 0;
        }
        return a.length != b.length ? a.length < b.length : a.rowid < b.rowid;
    };
    const auto middle = names.begin() + static_cast<std::ptrdiff_t>(names.size() / 2);
    std::jthread second;
    if (names.size() > kChunkRows) {
        second = startThread([&] { std::sort(middle, names.end(), before); });
    }
    if (!second.joinable()) {
        std::sort(names.begin(), names.end(), before);
        return;
    }
    std::sort(names.begin(), middle, before);
    second.join();
    std::inplace_merge(names.begin(), middle, names.end(), before);
}

// The player column's cells as the reading takes them: NULLs and empty names
// apart, the others in chunks that a second thread starts keying while the
// reading goes on.
class PlayerNames {
public:
    explicit PlayerNames(const RussianCollator &collator) : m_collator(collator) {}
    // The second thread is let go first, whatever way the order ends; it is
    // joined when m_helper goes, before the queue and the chunks.
    ~PlayerNames() { m_queue.close(); }
    PlayerNames(const PlayerNames &) = delete;
    PlayerNames &operator=(const PlayerNames &) = delete;

    // Takes one row (rowid, name); false when the name is a number or a blob,
    // or a chunk's texts outgrow their offsets.
    bool take(sqlite3_stmt *row) {
        const qint64 rowid = sqlite3_column_int64(row, 0);
        const int type = sqlite3_column_type(row, 1);
        if (type == SQLITE_NULL) {
            m_null.push_back(rowid);
            return true;
        }
        if (type != SQLITE_TEXT) {
            return false;
        }
        // The text first: its length is then that of the UTF-8 given.
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, 1));
        const auto length = static_cast<std::size_t>(sqlite3_column_bytes(row, 1));
        if (length == 0) {
            m_empty.push_back(rowid);
            return true;
        }
        if (!m_filling || m_filling->cells.size() == kChunkRows) {
            startChunk();
        }
        if (m_filling->texts.size() + length > std::numeric_limits<quint32>::max()) {
            return false;
        }
        m_filling->cells.push_back(
            {static_cast<quint32>(m_filling->texts.size()), static_cast<quint32>(length), rowid});
        m_filling->texts.append(text, length);
        return true;
    }

    // Keys what is left and puts the rowids in order: NULL first, as in SQL;
    // then the empty names, which the collator puts before any other and a sort
    // key would not; then the names by key. False when ICU failed.
    bool order(std::vector<qint64> &rowids) {
        if (m_filling) {
            m_queue.add(m_filling);
        }
        m_queue.close();
        const bool made = m_queue.keyAll(m_collator);
        if (m_helper.joinable()) {
            m_helper.join();
        }
        if (!made || !m_helped) {
            return false;
        }
        std::vector<KeyedName> names;
        names.reserve(m_chunks.size() * kChunkRows);
        for (const std::unique_ptr<NameChunk> &chunk : m_chunks) {
            names.insert(names.end(), chunk->names.begin(), chunk->names.end());
            std::vector<KeyedName>().swap(chunk->names);
        }
        sortNames(names);
        std::sort(m_null.begin(), m_null.end());
        std::sort(m_empty.begin(), m_empty.end());
        rowids = std::move(m_null);
        rowids.insert(rowids.end(), m_empty.begin(), m_empty.end());
        rowids.reserve(rowids.size() + names.size());
        for (const KeyedName &name : names) {
            rowids.push_back(name.rowid);
        }
        return true;
    }

private:
    // Hands the full chunk to be keyed and starts the next. The second thread
    // starts with the first full chunk, with a collator of its own: no two
    // threads use one ICU collator, not even to copy it.
    void startChunk() {
        if (m_filling) {
            m_queue.add(m_filling);
            if (!m_helper.joinable()) {
                if (std::unique_ptr<const RussianCollator> own = m_collator.clone()) {
                    m_helper = startThread([this, own = std::move(own)] { m_helped = m_queue.keyAll(*own); });
                }
            }
        }
        m_filling = m_chunks.emplace_back(std::make_unique<NameChunk>()).get();
        m_filling->cells.reserve(kChunkRows);
        m_filling->texts.reserve(kChunkRows * 24);
    }

    const RussianCollator &m_collator;
    std::vector<qint64> m_null;
    std::vector<qint64> m_empty;
    std::vector<std::unique_ptr<NameChunk>> m_chunks;
    NameChunk *m_filling = nullptr;
    KeyingQueue m_queue;
    bool m_helped = true;
    std::jthread m_helper;
};

// The player column in the Russian order, sorted here: each name's sort key is
// made once and keys compare byte by byte, several times quicker than the
// collation in SQLite's sorter, which compares two whole names each time.
// SQLITE_ABORT when a cell is a number or a blob, or ICU fails.
int orderPlayers(sqlite3 *handle, const RussianCollator &collator, std::vector<qint64> &rowids) {
    Statement statement;
    if (const int code =
            prepare(handle, QStringLiteral("SELECT rowid, %1 FROM stat").arg(quoted(StatColumn::Player)), statement);
        code != SQLITE_OK) {
        return code;
    }
    PlayerNames names(collator);
    if (const int code = stepAll(statement.get(), [&](sqlite3_stmt *row) { return names.take(row); });
        code != SQLITE_OK) {
        return code;
    }
    statement.reset();
    return names.order(rowids) ? SQLITE_OK : SQLITE_ABORT;
}

} // namespace

int readStatOrder(sqlite3 *handle, int column, const RussianCollator *collator, std::size_t expectedRows,
                  std::vector<qint64> &rowids) {
    if (column == StatColumn::IndexOrder || column == StatColumn::Id) {
        return orderInSql(handle, quoted(column == StatColumn::IndexOrder ? StatColumn::Player : column), expectedRows,
                          rowids);
    }
    if (column == StatColumn::Player) {
        if (!collator) {
            return orderInSql(handle, quoted(column), expectedRows, rowids);
        }
        if (const int code = orderPlayers(handle, *collator, rowids); code != SQLITE_ABORT) {
            return code;
        }
        return orderInSql(handle, quoted(column) + QStringLiteral(" COLLATE ") + StatsDb::RussianCollation,
                          expectedRows, rowids);
    }
    if (const int code = orderIntegers(handle, column, expectedRows, rowids); code != SQLITE_ABORT) {
        return code;
    }
    return orderInSql(handle, quoted(column), expectedRows, rowids);
}
