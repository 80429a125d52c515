#include "Pool.h"

#include "LineScan.h"
#include "Settings.h"
#include "Tournament.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace {

std::uint64_t word(const char *data) {
    return qFromUnaligned<std::uint64_t>(data);
}

// A hash of the line's bytes, mixed well enough in every bit for the low ones
// to pick the slot and the high ones to tell lines apart. Two lanes take eight
// bytes each in turn, so that neither waits on the other's multiplication. The
// last bytes are read as whole words that end with the line (overlapping the
// bytes before), never byte by byte into a word, which the processor would have
// to put together before it could go on.
std::uint64_t hashLine(QByteArrayView line) {
    constexpr std::uint64_t kOdd1 = 0x9e3779b97f4a7c15ULL;
    constexpr std::uint64_t kOdd2 = 0xbf58476d1ce4e5b9ULL;
    const char *const data = line.data();
    const auto size = static_cast<std::size_t>(line.size());
    std::uint64_t a = 0x243f6a8885a308d3ULL ^ size;
    std::uint64_t b = 0x13198a2e03707344ULL;
    if (size >= 16) {
        for (std::size_t i = 0; i + 16 < size; i += 16) {
            a = (a ^ word(data + i)) * kOdd1;
            b = (b ^ word(data + i + 8)) * kOdd2;
        }
        a ^= word(data + size - 16);
        b ^= word(data + size - 8);
    } else if (size >= 8) {
        a ^= word(data);
        b ^= word(data + size - 8);
    } else if (size >= 4) {
        a ^= qFromUnaligned<std::uint32_t>(data);
        b ^= qFromUnaligned<std::uint32_t>(data + size - 4);
    } else if (size > 0) {
        const auto byte = [data](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(data[i])}; };
        a ^= byte(0) << 16 | byte(size / 2) << 8 | byte(size - 1);
    }
    std::uint64_t h = a * kOdd1 ^ b * kOdd2;
    // The final mix of MurmurHash3.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

// Whether n bytes at a and at b are the same, a word at a time as hashLine reads them.
bool sameBytes(const char *a, const char *b, std::size_t n) {
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            if (qFromUnaligned<std::uint64_t>(a + i) != qFromUnaligned<std::uint64_t>(b + i)) {
                return false;
            }
        }
        return qFromUnaligned<std::uint64_t>(a + n - 8) == qFromUnaligned<std::uint64_t>(b + n - 8);
    }
    if (n >= 4) {
        return qFromUnaligned<std::uint32_t>(a) == qFromUnaligned<std::uint32_t>(b) &&
               qFromUnaligned<std::uint32_t>(a + n - 4) == qFromUnaligned<std::uint32_t>(b + n - 4);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// A slot's fields, from the lowest bit: the count, 10 bits of the hash, and the
// offset of the line in the log, which leaves room for a log of 16 TiB; the log
// is held in memory, so it cannot come near that. Eight bytes a slot keep the
// table small: it is touched at random, and every page of it is a page fault at
// start-up. A count that does not fit is kept aside.
constexpr int kCountBits = 10;
constexpr int kTagBits = 10;
constexpr int kOffsetShift = kCountBits + kTagBits;
constexpr std::uint64_t kCountMask = (std::uint64_t{1} << kCountBits) - 1; // also: the count is kept aside
constexpr std::uint64_t kTagMask = ((std::uint64_t{1} << kTagBits) - 1) << kCountBits;

std::uint64_t tagOf(std::uint64_t hash) {
    return (hash >> (64 - kTagBits)) << kCountBits;
}

qsizetype offsetIn(std::uint64_t slot) {
    return static_cast<qsizetype>(slot >> kOffsetShift);
}

void prefetch(const void *address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}

// How far ahead a walk asks for memory: a line's slot this many lines before
// the line is looked up, and its bytes in the log half as many.
constexpr std::size_t kAhead = 16;
constexpr std::size_t kBytesAhead = kAhead / 2;

} // namespace

UsedTeams::UsedTeams(QByteArray log) : m_log(std::move(log)) {
    if (m_log.isEmpty()) {
        return;
    }
    // Team lines run to a few dozen bytes; a log of shorter lines needs more
    // slots, and the table is built again with twice as many.
    std::size_t slotCount = std::bit_ceil(std::max<std::size_t>(16, static_cast<std::size_t>(m_log.size()) / 16));
    while (!build(slotCount)) {
        slotCount *= 2;
    }
}

// Fills a table of the given number of slots from the log; false, and nothing
// kept, when the log's distinct lines would take more than half of them. The
// lines go in in the order of the log, each kAhead lines after its slot was
// asked for.
bool UsedTeams::build(std::size_t slotCount) {
    m_slots.assign(slotCount, 0);
    m_largeCounts.clear();
    const std::size_t mask = slotCount - 1;
    std::size_t taken = 0;
    std::array<Pending, kAhead> ahead;
    std::size_t asked = 0;
    std::size_t added = 0;
    LineScanner scanner(m_log, LineScanner::Check::None);
    QByteArrayView line;
    while (scanner.next(line)) {
        if (asked - added == kAhead && !add(ahead[added++ % kAhead], taken)) {
            return false;
        }
        const std::uint64_t hash = hashLine(line);
        prefetch(&m_slots[hash & mask]);
        ahead[asked++ % kAhead] = Pending{line, hash};
    }
    while (added < asked) {
        if (!add(ahead[added++ % kAhead], taken)) {
            return false;
        }
    }
    m_lines = scanner.lines();
    return true;
}

// Counts the line once more; false, with the table dropped, when it would take
// a slot beyond half of them.
bool UsedTeams::add(const Pending &line, std::size_t &taken) {
    Slot &slot = m_slots[slotOf(line.line, line.hash)];
    if (slot == 0) {
        if (++taken * 2 > m_slots.size()) {
            m_slots.clear();
            return false;
        }
        const auto offset = static_cast<std::uint64_t>(line.line.data() - m_log.constData());
        slot = offset << kOffsetShift | tagOf(line.hash);
    }
    if ((slot & kCountMask) < kCountMask - 1) {
        ++slot;
    } else if ((slot & kCountMask) == kCountMask - 1) {
        slot |= kCountMask;
        m_largeCounts.insert(offsetIn(slot), qsizetype(kCountMask));
    } else {
        ++m_largeCounts[offsetIn(slot)];
    }
    return true;
}

// The slot that holds the line, or the free slot where it would go.
std::size_t UsedTeams::slotOf(QByteArrayView line, std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t index = hash & mask;
    while (m_slots[index] != 0 && !holds(m_slots[index], line, hash)) {
        index = (index + 1) & mask;
    }
    return index;
}

// Whether a taken slot holds the line: the bytes at the slot's offset are the
// line's and a line end (or the end of the log) follows them. The line itself
// holds no line end, so the log's line is the same line.
bool UsedTeams::holds(Slot slot, QByteArrayView line, std::uint64_t hash) const {
    if ((slot & kTagMask) != tagOf(hash)) {
        return false;
    }
    const qsizetype offset = offsetIn(slot);
    const qsizetype size = line.size();
    const char *const start = m_log.constData() + offset;
    if (m_log.size() - offset < size || !sameBytes(start, line.data(), static_cast<std::size_t>(size))) {
        return false;
    }
    return offset + size == m_log.size() || start[size] == '\n' || start[size] == '\r';
}

qsizetype UsedTeams::countIn(Slot slot) const {
    const auto count = static_cast<qsizetype>(slot & kCountMask);
    return count == qsizetype(kCountMask) ? m_largeCounts.value(offsetIn(slot)) : count;
}

qsizetype UsedTeams::count(QByteArrayView line) const {
    if (m_slots.empty()) {
        return 0;
    }
    return countIn(m_slots[slotOf(line, hashLine(line))]);
}

template <typename Visit> void UsedTeams::countEach(LineScanner &scanner, Visit visit) const {
    QByteArrayView line;
    if (m_slots.empty()) {
        while (scanner.next(line)) {
            visit(line, 0);
        }
        return;
    }
    const std::size_t mask = m_slots.size() - 1;
    std::array<Pending, kAhead> ahead;
    std::size_t asked = 0;
    std::size_t counted = 0;
    // The bytes of the line that the slot at the line's home may hold.
    const auto askForBytes = [&](const Pending &pending) {
        const Slot slot = m_slots[pending.hash & mask];
        if (slot != 0 && (slot & kTagMask) == tagOf(pending.hash)) {
            prefetch(m_log.constData() + offsetIn(slot));
        }
    };
    const auto countOldest = [&] {
        const Pending &pending = ahead[counted++ % kAhead];
        visit(pending.line, countIn(m_slots[slotOf(pending.line, pending.hash)]));
    };
    while (scanner.next(line)) {
        if (asked - counted == kAhead) {
            countOldest();
        }
        const std::uint64_t hash = hashLine(line);
        prefetch(&m_slots[hash & mask]);
        ahead[asked++ % kAhead] = Pending{line, hash};
        if (asked > kBytesAhead) {
            askForBytes(ahead[(asked - kBytesAhead - 1) % kAhead]);
        }
    }
    for (std::size_t i = std::max(counted, asked > kBytesAhead ? asked - kBytesAhead : 0); i < asked; ++i) {
        askForBytes(ahead[i % kAhead]);
    }
    while (counted < asked) {
        countOldest();
    }
}

ListCount countList(QByteArrayView list, const UsedTeams &used) {
    ListCount count;
    LineScanner scanner(list);
    used.countEach(scanner, [&count](QByteArrayView, qsizetype matches) { count.matches += matches; });
    count.lines = scanner.lines();
    count.problem = scanner.problem();
    return count;
}

bool isExhausted(const ListCount &count) {
    return count.matches > count.lines - kPlayers;
}

Lines poolRemainder(QByteArrayView list, const UsedTeams &used) {
    Lines remainder;
    LineScanner scanner(list, LineScanner::Check::None);
    used.countEach(scanner, [&remainder](QByteArrayView line, qsizetype matches) {
        if (matches == 0) {
            remainder.append(line.toByteArray());
        }
    });
    return remainder;
}

Result<Lines> storePoolRemainder(QByteArrayView list, const UsedTeams &used) {
    Lines remainder = poolRemainder(list, used);
    // Only the run that writes "temp" reads it, so it is written whole but not synced.
    if (const Status written = writeLines(DataFile::PoolRemainder, remainder, Durability::Unsynced); !written.ok()) {
        return written;
    }
    return remainder;
}

Status BuildPoolRemainder(const QString &listFile) {
    const Result<QByteArray> list = readFileBytes(listFile);
    if (!list.ok()) {
        return list.status();
    }
    Result<QByteArray> log = readFileBytes(DataFile::UsedTeamsLog);
    if (!log.ok()) {
        return log.status();
    }
    return storePoolRemainder(list.value(), UsedTeams(std::move(log).value())).status();
}

Result<bool> IsListExhausted(const QString &listFile, const QString &logFile) {
    const Result<QByteArray> list = readFileBytes(listFile);
    if (!list.ok()) {
        return list.status();
    }
    Result<QByteArray> log = readFileBytes(logFile);
    if (!log.ok()) {
        return log.status();
    }
    return isExhausted(countList(list.value(), UsedTeams(std::move(log).value())));
}

Result<bool> FileHasLine(const QString &fileName, QByteArrayView text) {
    Result<QByteArray> bytes = readFileBytes(fileName);
    if (!bytes.ok()) {
        return bytes.status();
    }
    // One walk with the line reader of the data files; a hash table of the
    // whole file would cost more than the walk for a single line.
    LineScanner scanner(bytes.value(), LineScanner::Check::None);
    QByteArrayView line;
    while (scanner.next(line)) {
        if (line == text) {
            return true;
        }
    }
    return false;
}

QString ExhaustedMessage(const QString &listFile) {
    return teamListNames(listFile).exhaustedMessage;
}

Result<int> ReadLogAllTeams(const QString &settingsFile) {
    const Result<Settings> settings = readSettings(settingsFile);
    if (!settings.ok()) {
        return settings.status();
    }
    return settings.value().logAllTeamsNumber();
}
