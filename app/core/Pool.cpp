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

// A hash of the line's bytes, eight at a time; the last bits are mixed well
// enough for them to pick the slot.
std::size_t hashLine(QByteArrayView line) {
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
    return static_cast<std::size_t>(h);
}

constexpr int kTagShift = 48;
constexpr std::uint64_t kCountMask = (std::uint64_t{1} << kTagShift) - 1;

std::uint64_t tagOf(std::size_t hash) {
    return (static_cast<std::uint64_t>(hash) >> kTagShift) << kTagShift;
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
    m_slots.assign(slotCount, Slot{});
    const std::size_t mask = slotCount - 1;
    std::size_t taken = 0;
    LineScanner scanner(m_log, LineScanner::Check::None);
    std::array<QByteArrayView, kBatch> lines;
    std::array<std::size_t, kBatch> hashes{};
    for (qsizetype n = kBatch; n == kBatch;) {
        for (n = 0; n < kBatch && scanner.next(lines[n]); ++n) {
            hashes[n] = hashLine(lines[n]);
            prefetch(&m_slots[hashes[n] & mask]);
        }
        for (qsizetype i = 0; i < n; ++i) {
            Slot &slot = m_slots[slotOf(lines[i], hashes[i])];
            if (slot.tagAndCount == 0) {
                if (++taken * 2 > slotCount) {
                    m_slots.clear();
                    return false;
                }
                slot = Slot{lines[i].data(), tagOf(hashes[i])};
            }
            // A count cannot reach the tag: the log would need more than 2^48 bytes.
            ++slot.tagAndCount;
        }
    }
    m_lines = scanner.lines();
    return true;
}

// The slot that holds the line, or the free slot where it would go.
std::size_t UsedTeams::slotOf(QByteArrayView line, std::size_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t index = hash & mask;
    while (m_slots[index].tagAndCount != 0 && !holds(m_slots[index], line, hash)) {
        index = (index + 1) & mask;
    }
    return index;
}

// Whether a taken slot holds the line: the bytes at the slot's start are the
// line's and a line end (or the end of the log) follows them. The line itself
// holds no line end, so the log's line is the same line.
bool UsedTeams::holds(const Slot &slot, QByteArrayView line, std::size_t hash) const {
    if ((slot.tagAndCount & ~kCountMask) != tagOf(hash)) {
        return false;
    }
    const char *const end = m_log.constData() + m_log.size();
    const qsizetype size = line.size();
    if (end - slot.line < size ||
        (size > 0 && std::memcmp(slot.line, line.data(), static_cast<std::size_t>(size)) != 0)) {
        return false;
    }
    return slot.line + size == end || slot.line[size] == '\n' || slot.line[size] == '\r';
}

qsizetype UsedTeams::count(QByteArrayView line) const {
    if (m_slots.empty()) {
        return 0;
    }
    return static_cast<qsizetype>(m_slots[slotOf(line, hashLine(line))].tagAndCount & kCountMask);
}

void UsedTeams::countBatch(std::span<const QByteArrayView> lines, std::span<qsizetype> counts) const {
    Q_ASSERT(lines.size() <= std::size_t(kBatch) && counts.size() >= lines.size());
    if (m_slots.empty()) {
        std::fill_n(counts.begin(), lines.size(), 0);
        return;
    }
    const std::size_t mask = m_slots.size() - 1;
    std::array<std::size_t, kBatch> hashes{};
    // First every slot is asked for, then the log's bytes of the slots that may
    // hold their line, and only then is anything compared.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        hashes[i] = hashLine(lines[i]);
        prefetch(&m_slots[hashes[i] & mask]);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Slot &slot = m_slots[hashes[i] & mask];
        if (slot.tagAndCount != 0 && (slot.tagAndCount & ~kCountMask) == tagOf(hashes[i])) {
            prefetch(slot.line);
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        counts[i] = static_cast<qsizetype>(m_slots[slotOf(lines[i], hashes[i])].tagAndCount & kCountMask);
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
