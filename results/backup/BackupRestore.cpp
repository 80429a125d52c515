#include "BackupRestore.h"

#include "BackupFiles.h"
#include "DataFiles.h"
#include "DatabaseCheck.h"
#include "FileWriting.h"
#include "StatsConnection.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace BackupFiles;

namespace {

// One file that a restore puts in place: its staged copy and its name.
struct Replacement {
    QString staged; // the name beside the data files
    QString name;   // the data file it becomes
};

QStringList restorableNames() {
    return QStringList{StatsDb::FileName} + backedUpFileNames();
}

bool isStagedName(const QString &entry, const QString &name) {
    const QString prefix = name + QLatin1StringView(Backups::kStagedMarker);
    if (!entry.startsWith(prefix) || entry.size() != prefix.size() + kSuffixLength) {
        return false;
    }
    const QStringView suffix = QStringView(entry).mid(prefix.size());
    return std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
}

// Takes the database for a moment with an exclusive lock: SQLite rolls back a
// journal that a crashed writer left, and another program that holds the file
// shows as busy. A file that is not a database has nothing to roll back.
Status settleDatabase(const QString &path, std::chrono::milliseconds lockWait) {
    if (!QFileInfo::exists(path)) {
        return {};
    }
    Opened opened = openSqlite(path, SQLITE_OPEN_READWRITE, lockWait);
    if (!opened.db) {
        return isBusy(opened.code) ? Status(Failure{busyText(path)}) : Status();
    }
    const int code = sqlite3_exec(opened.db.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (isBusy(code)) {
        return Failure{busyText(path)};
    }
    sqlite3_exec(opened.db.get(), "COMMIT", nullptr, nullptr, nullptr);
    return {};
}

// Puts the staged files in place. The record stays until every rename is done,
// so that a kill part way is finished at the next start; renaming again what is
// already in place does nothing, since its staged name is gone.
Status rollForward(const QString &dataFolder, const std::vector<Replacement> &replacements,
                   std::chrono::milliseconds lockWait) {
    const QDir data(dataFolder);
    for (const Replacement &r : replacements) {
        if (r.name != StatsDb::FileName || !QFileInfo::exists(data.filePath(r.staged))) {
            continue;
        }
        // A journal beside the old file belongs to it: SQLite would play it into
        // the new one. It is rolled back into the old file, and what cannot be
        // (the old file is not a database any more) goes with the old file.
        const QString database = data.filePath(StatsDb::FileName);
        if (const Status settled = settleDatabase(database, lockWait); !settled.ok()) {
            return settled;
        }
        for (const char *suffix : {"-journal", "-wal", "-shm"}) {
            ::unlink(encoded(database + QLatin1StringView(suffix)).constData());
        }
    }
    for (const Replacement &r : replacements) {
        const QString staged = data.filePath(r.staged);
        if (!QFileInfo::exists(staged) && !QFileInfo(staged).isSymLink()) {
            continue;
        }
        if (const int error = renameFile(staged, data.filePath(r.name))) {
            return Failure{QStringLiteral("Файл %1 не удалось заменить: %2.")
                               .arg(displayPath(data.filePath(r.name)), systemErrorText(error))};
        }
    }
    syncFolder(dataFolder);
    step("restore:record-removal");
    ::unlink(encoded(data.filePath(Backups::RestoreIntentName)).constData());
    syncFolder(dataFolder);
    return {};
}

void removeStaged(const QString &dataFolder) {
    const QDir data(dataFolder);
    const QStringList names = restorableNames();
    // The record's own temporary name, when a kill came while it was written.
    const QString recordTemporary = Backups::RestoreIntentName + QLatin1StringView(kTemporaryMarker);
    for (const QString &entry : data.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const bool record = entry.startsWith(recordTemporary) && entry.size() == recordTemporary.size() + kSuffixLength;
        if (record || std::any_of(names.begin(), names.end(),
                                  [&entry](const QString &name) { return isStagedName(entry, name); })) {
            ::unlink(encoded(data.filePath(entry)).constData());
        }
    }
}

// Stages copies of the sources beside the data files, writes the record, and
// rolls forward. Nothing in the data folder changes before the record is whole.
Status replaceDataFiles(const QString &dataFolder, const std::vector<std::pair<QString, QString>> &sources,
                        std::chrono::milliseconds lockWait) {
    const QDir data(dataFolder);
    const QString database = data.filePath(StatsDb::FileName);
    if (const Status settled = settleDatabase(database, lockWait); !settled.ok()) {
        return Failure{QStringLiteral("Ничего не восстановлено. ") + settled.error()};
    }
    std::vector<Replacement> replacements;
    QByteArray record;
    step("restore:stage");
    for (const auto &[source, name] : sources) {
        const QString staged = name + QLatin1StringView(Backups::kStagedMarker) + randomSuffix();
        if (const int error = copyFileSynced(source, data.filePath(staged))) {
            removeStaged(dataFolder);
            return Failure{QStringLiteral("Ничего не восстановлено: файл %1 не скопирован (%2).")
                               .arg(displayPath(source), systemErrorText(error))};
        }
        replacements.push_back({staged, name});
        record += staged.toUtf8() + '\t' + name.toUtf8() + '\n';
    }
    step("restore:record");
    if (const Status written = writeFileBytes(data.filePath(Backups::RestoreIntentName), record); !written.ok()) {
        removeStaged(dataFolder);
        return Failure{QStringLiteral("Ничего не восстановлено. ") + written.error()};
    }
    if (const Status done = rollForward(dataFolder, replacements, lockWait); !done.ok()) {
        return Failure{QStringLiteral("Восстановление не закончено: %1 Программа закончит его при следующем запуске.")
                           .arg(done.error())};
    }
    return {};
}

} // namespace

Status restoreBackup(const QString &dataFolder, const BackupEntry &backup, std::chrono::milliseconds lockWait) {
    const DatabaseCheck check = checkDatabaseFile(backup.databasePath, lockWait);
    if (check.verdict != DatabaseCheck::Verdict::Good) {
        return Failure{QStringLiteral("Ничего не восстановлено: копия %1 не прошла проверку (%2).")
                           .arg(displayPath(backup.databasePath), check.reason)};
    }
    std::vector<std::pair<QString, QString>> sources{{backup.databasePath, StatsDb::FileName}};
    const QDir files(backup.filesFolder);
    for (const QString &name : backedUpFileNames()) {
        if (QFileInfo(files.filePath(name)).isFile()) {
            sources.emplace_back(files.filePath(name), name);
        }
    }
    return replaceDataFiles(dataFolder, sources, lockWait);
}

Status restoreDatabaseFile(const QString &dataFolder, const QString &file, std::chrono::milliseconds lockWait) {
    const DatabaseCheck check = checkDatabaseFile(file, lockWait);
    if (check.verdict != DatabaseCheck::Verdict::Good) {
        return Failure{
            QStringLiteral("Файл %1 не подходит: %2. Ничего не восстановлено.").arg(displayPath(file), check.reason)};
    }
    return replaceDataFiles(dataFolder, {{file, StatsDb::FileName}}, lockWait);
}

Status finishInterruptedRestore(const QString &dataFolder, std::chrono::milliseconds lockWait) {
    const QDir data(dataFolder);
    const QString recordPath = data.filePath(Backups::RestoreIntentName);
    if (!QFileInfo::exists(recordPath)) {
        removeStaged(dataFolder);
        return {};
    }
    const Result<QByteArray> record = readFileBytes(recordPath);
    if (!record.ok()) {
        return record.status();
    }
    std::vector<Replacement> replacements;
    const QStringList names = restorableNames();
    for (const QByteArray &line : record.value().split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        const QList<QByteArray> parts = line.split('\t');
        const QString staged = parts.size() == 2 ? QString::fromUtf8(parts[0]) : QString();
        const QString name = parts.size() == 2 ? QString::fromUtf8(parts[1]) : QString();
        if (!names.contains(name) || !isStagedName(staged, name)) {
            return Failure{QStringLiteral("Запись о прерванном восстановлении %1 повреждена; файлы данных не "
                                          "тронуты. Удалите её, если данные в порядке.")
                               .arg(displayPath(recordPath))};
        }
        replacements.push_back({staged, name});
    }
    if (const Status done = rollForward(dataFolder, replacements, lockWait); !done.ok()) {
        return Failure{
            QStringLiteral("Не удалось закончить прерванное восстановление из резервной копии: %1").arg(done.error())};
    }
    removeStaged(dataFolder);
    return {};
}

Result<QString> keepDamagedDatabase(const QString &dataFolder, const QDateTime &now) {
    const QString folderPath = backupsFolder(dataFolder);
    if (!QFileInfo(folderPath).isDir() && ::mkdir(encoded(folderPath).constData(), 0777) != 0) {
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(folderPath), systemErrorText(errno))};
    }
    const QString source = QDir(dataFolder).filePath(StatsDb::FileName);
    if (!QFileInfo::exists(source)) {
        return QString();
    }
    const QString stamp = now.toString(kStampFormat);
    for (int n = 1; n < 1000; ++n) {
        const QString target = QDir(folderPath)
                                   .filePath(n == 1 ? QStringLiteral("damaged-%1.mdb").arg(stamp)
                                                    : QStringLiteral("damaged-%1-%2.mdb").arg(stamp).arg(n));
        const int error = copyFileSynced(source, target);
        if (error == 0) {
            syncFolder(folderPath);
            return target;
        }
        if (error != EEXIST) {
            ::unlink(encoded(target).constData());
            return Failure{QStringLiteral("%1: %2.").arg(displayPath(target), systemErrorText(error))};
        }
    }
    return Failure{QStringLiteral("%1: %2.").arg(displayPath(folderPath), systemErrorText(EEXIST))};
}

Result<QString> saveCurrentState(const QString &dataFolder, const QDateTime &now, std::chrono::milliseconds lockWait) {
    const QString database = QDir(dataFolder).filePath(StatsDb::FileName);
    const DatabaseCheck check = checkDatabaseFile(database, lockWait);
    switch (check.verdict) {
    case DatabaseCheck::Verdict::Good: {
        const Result<BackupEntry> made = makeBackup(dataFolder, now, lockWait);
        if (!made.ok()) {
            return made.status();
        }
        return QStringLiteral("резервная копия от %1")
            .arg(made.value().taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    }
    case DatabaseCheck::Verdict::Unreadable:
        return Failure{check.reason};
    case DatabaseCheck::Verdict::Damaged:
    case DatabaseCheck::Verdict::Foreign:
        break;
    }
    const Result<QString> kept = keepDamagedDatabase(dataFolder, now);
    if (!kept.ok()) {
        return Failure{QStringLiteral("Копию повреждённого файла сделать не удалось: ") + kept.error()};
    }
    if (kept.value().isEmpty()) {
        return QStringLiteral("файла базы не было, сохранять нечего");
    }
    return QStringLiteral("повреждённый файл скопирован в %1").arg(displayPath(kept.value()));
}

bool restorePending(const QString &dataFolder) {
    return QFileInfo::exists(QDir(dataFolder).filePath(Backups::RestoreIntentName));
}
