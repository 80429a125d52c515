#include "Pool.h"

#include "Settings.h"

UsedTeams::UsedTeams(LineFile log) : m_log(std::move(log)) {
    m_counts.reserve(m_log.size());
    for (const QByteArrayView line : m_log) {
        ++m_counts[line];
    }
}

Lines poolRemainder(const LineFile &list, const UsedTeams &used) {
    Lines remainder;
    for (const QByteArrayView line : list) {
        if (!used.contains(line)) {
            remainder.append(line.toByteArray());
        }
    }
    return remainder;
}

qsizetype countMatches(const LineFile &list, const UsedTeams &used) {
    qsizetype matches = 0;
    for (const QByteArrayView line : list) {
        matches += used.count(line);
    }
    return matches;
}

bool isExhausted(const LineFile &list, const UsedTeams &used) {
    return countMatches(list, used) > list.size() - 3;
}

Status BuildPoolRemainder(const QString &listFile) {
    Result<LineFile> list = readLineFile(listFile);
    if (!list.ok()) {
        return list.status();
    }
    Result<LineFile> log = readLineFile(DataFile::UsedTeamsLog);
    if (!log.ok()) {
        return log.status();
    }
    return writeLines(DataFile::PoolRemainder, poolRemainder(list.value(), UsedTeams(std::move(log).value())));
}

Result<bool> IsListExhausted(const QString &listFile, const QString &logFile) {
    Result<LineFile> list = readLineFile(listFile);
    if (!list.ok()) {
        return list.status();
    }
    Result<LineFile> log = readLineFile(logFile);
    if (!log.ok()) {
        return log.status();
    }
    return isExhausted(list.value(), UsedTeams(std::move(log).value()));
}

Result<bool> FileHasLine(const QString &fileName, QByteArrayView text) {
    Result<QByteArray> bytes = readFileBytes(fileName);
    if (!bytes.ok()) {
        return bytes.status();
    }
    for (const QByteArrayView line : splitLineViews(bytes.value())) {
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
