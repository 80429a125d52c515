#include "Pool.h"

#include "LineScan.h"
#include "Settings.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

std::uint64_t mixWord(std::uint64_t h) {
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 31);
}

// A hash of the line's bytes, eight at a time, mixed well enough in every bit
// for the low ones to pick the slot and the high ones to tell lines apart.
std::uint64_t hashLine(QByteArrayView line) {
    const char *data = line.data();
    qsizetype left = line.size();
    std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ static_cast<std::uint64_t>(left);
    for (; left >= 8; left -= 8, data += 8) {
        h = mixWord(h ^ qFromUnaligned<std::uint64_t>(data));
    }
    if (left > 0) {
        std::uint64_t tail = 0;
        std::memcpy(&tail, data, static_cast<std::size_t>(left));
        h = mixWord(h ^ tail);
    }
    // The final mix of MurmurHash3.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
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
// kept, when the log's distinct lines would take more than half of them.
bool UsedTeams::build(std::size_t slotCount) {
    m_slots.assign(slotCount, 0);
    m_largeCounts.clear();
    const std::size_t mask = slotCount - 1;
    std::size_t taken = 0;
    LineScanner scanner(m_log, LineScanner::Check::None);
    std::array<QByteArrayView, kBatch> lines;
    std::array<std::uint64_t, kBatch> hashes{};
    for (qsizetype n = kBatch; n == kBatch;) {
        for (n = 0; n < kBatch && scanner.next(lines[n]); ++n) {
            hashes[n] = hashLine(lines[n]);
            prefetch(&m_slots[hashes[n] & mask]);
        }
        for (qsizetype i = 0; i < n; ++i) {
            Slot &slot = m_slots[slotOf(lines[i], hashes[i])];
            if (slot == 0) {
                if (++taken * 2 > slotCount) {
                    m_slots.clear();
                    return false;
                }
                const auto offset = static_cast<std::uint64_t>(lines[i].data() - m_log.constData());
                slot = offset << kOffsetShift | tagOf(hashes[i]);
            }
            if ((slot & kCountMask) < kCountMask - 1) {
                ++slot;
            } else if ((slot & kCountMask) == kCountMask - 1) {
                slot |= kCountMask;
                m_largeCounts.insert(offsetIn(slot), qsizetype(kCountMask));
            } else {
                ++m_largeCounts[offsetIn(slot)];
            }
        }
    }
    m_lines = scanner.lines();
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
    if (m_log.size() - offset < size ||
        (size > 0 && std::memcmp(start, line.data(), static_cast<std::size_t>(size)) != 0)) {
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

void UsedTeams::countBatch(std::span<const QByteArrayView> lines, std::span<qsizetype> counts) const {
    Q_ASSERT(lines.size() <= std::size_t(kBatch) && counts.size() >= lines.size());
    if (m_slots.empty()) {
        std::fill_n(counts.begin(), lines.size(), 0);
        return;
    }
    const std::size_t mask = m_slots.size() - 1;
    std::array<std::uint64_t, kBatch> hashes{};
    // First every slot is asked for, then the log's bytes of the slots that may
    // hold their line, and only then is anything compared.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        hashes[i] = hashLine(lines[i]);
        prefetch(&m_slots[hashes[i] & mask]);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Slot slot = m_slots[hashes[i] & mask];
        if (slot != 0 && (slot & kTagMask) == tagOf(hashes[i])) {
            prefetch(m_log.constData() + offsetIn(slot));
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        counts[i] = countIn(m_slots[slotOf(lines[i], hashes[i])]);
    }
}

// The lines of a list, a batch at a time, with how often each stands in the log.
template <typename Visit> void forEachCounted(LineScanner &scanner, const UsedTeams &used, Visit visit) {
    std::array<QByteArrayView, UsedTeams::kBatch> lines;
    std::array<qsizetype, UsedTeams::kBatch> counts{};
    for (qsizetype n = UsedTeams::kBatch; n == UsedTeams::kBatch;) {
        for (n = 0; n < UsedTeams::kBatch && scanner.next(lines[n]);) {
            ++n;
        }
        const auto batch = std::span(lines).first(static_cast<std::size_t>(n));
        used.countBatch(batch, counts);
        for (qsizetype i = 0; i < n; ++i) {
            visit(lines[i], counts[i]);
        }
    }
}

ListCount countList(QByteArrayView list, const UsedTeams &used) {
    ListCount count;
    LineScanner scanner(list);
    forEachCounted(scanner, used, [&count](QByteArrayView, qsizetype matches) { count.matches += matches; });
    count.lines = scanner.lines();
    count.problem = scanner.problem();
    return count;
}

bool isExhausted(const ListCount &count) {
    return count.matches > count.lines - 3;
}

Lines poolRemainder(QByteArrayView list, const UsedTeams &used) {
    Lines remainder;
    LineScanner scanner(list, LineScanner::Check::None);
    forEachCounted(scanner, used, [&remainder](QByteArrayView line, qsizetype matches) {
        if (matches == 0) {
            remainder.append(line.toByteArray());
        }
    });
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
    return writeLines(DataFile::PoolRemainder, poolRemainder(list.value(), UsedTeams(std::move(log).value())),
                      Durability::Unsynced);
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
