#include "Pool.h"

#include "Text.h"

#include <QHash>
#include <QSet>
#include <limits>

Lines poolRemainder(const Lines &list, const Lines &log) {
    const QSet<QByteArray> used(log.cbegin(), log.cend());
    Lines remainder;
    remainder.reserve(list.size());
    for (const QByteArray &line : list) {
        if (!used.contains(line)) {
            remainder.append(line);
        }
    }
    return remainder;
}

qsizetype countMatches(const Lines &list, const Lines &log) {
    QHash<QByteArray, qsizetype> occurrences;
    occurrences.reserve(log.size());
    for (const QByteArray &line : log) {
        ++occurrences[line];
    }
    qsizetype matches = 0;
    for (const QByteArray &line : list) {
        matches += occurrences.value(line, 0);
    }
    return matches;
}

bool isExhausted(const Lines &list, const Lines &log) {
    return countMatches(list, log) > list.size() - 3;
}

bool hasLine(const Lines &lines, QByteArrayView text) {
    for (const QByteArray &line : lines) {
        if (line == text) {
            return true;
        }
    }
    return false;
}

Result<int> logAllTeams(const Lines &settings) {
    const QByteArray value = readLogAllTeamsValue(settings);
    bool converted = false;
    const qlonglong number = value.trimmed().toLongLong(&converted, 10);
    if (!converted || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return Failure{QStringLiteral("'%1' is not a valid integer value").arg(fromCp1251(value))};
    }
    return static_cast<int>(number);
}

Status BuildPoolRemainder(const QString &listFile) {
    Result<Lines> list = readLines(listFile);
    if (!list.ok()) {
        return list.status();
    }
    Result<Lines> log = readLines(DataFile::UsedTeamsLog);
    if (!log.ok()) {
        return log.status();
    }
    return writeLines(DataFile::PoolRemainder, poolRemainder(list.value(), log.value()));
}

Result<bool> IsListExhausted(const QString &listFile, const QString &logFile) {
    Result<Lines> list = readLines(listFile);
    if (!list.ok()) {
        return Failure{list.error()};
    }
    Result<Lines> log = readLines(logFile);
    if (!log.ok()) {
        return Failure{log.error()};
    }
    return isExhausted(list.value(), log.value());
}

Result<bool> FileHasLine(const QString &fileName, QByteArrayView text) {
    Result<Lines> lines = readLines(fileName);
    if (!lines.ok()) {
        return Failure{lines.error()};
    }
    return hasLine(lines.value(), text);
}

QString ExhaustedMessage(const QString &listFile) {
    if (listFile == DataFile::Teams4) {
        return QStringLiteral("Клубы 4* кончились. Перезапустите!");
    }
    if (listFile == DataFile::Teams45) {
        return QStringLiteral("Клубы 4,5* кончились. Перезапустите!");
    }
    if (listFile == DataFile::Teams5) {
        return QStringLiteral("Клубы 5* кончились. Перезапустите!");
    }
    if (listFile == DataFile::NatTeams45 || listFile == DataFile::NatTeams5 || listFile == DataFile::NatTeams) {
        return QStringLiteral("Сборные кончились. Перезапустите!");
    }
    return {};
}

Result<int> ReadLogAllTeams(const QString &settingsFile) {
    Result<Lines> settings = readLines(settingsFile);
    if (!settings.ok()) {
        return Failure{settings.error()};
    }
    return logAllTeams(settings.value());
}
