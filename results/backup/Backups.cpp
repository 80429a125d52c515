#include "Backups.h"

#include "BackupFiles.h"
#include "DataFiles.h"
#include "DatabaseCheck.h"
#include "FileWriting.h"
#include "StatsConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace BackupFiles;

namespace {

// "base-20260110-200000" and "base-20260110-200000-2".
const QRegularExpression &backupStem() {
    static const QRegularExpression stem(QStringLiteral("^base-(\\d{8}-\\d{6})(?:-([1-9]\\d{0,3}))?$"));
    return stem;
}

// What a backup under way is called until it is whole: the stem, ".mdb" for the
// database, the program's marker and six letters or digits.
const QRegularExpression &temporaryBackupName() {
    static const QRegularExpression name(
        QStringLiteral("^base-\\d{8}-\\d{6}(?:-[1-9]\\d{0,3})?(?:\\.mdb)?\\.korvana-tmp\\.[A-Za-z0-9]{6}$"));
    return name;
}

// Removes a backup's folder of text files: the names a backup writes and their
// temporary siblings, then the folder when nothing else is in it.
void removeFilesFolder(const QString &folder) {
    const QDir dir(folder);
    const QStringList names = backedUpFileNames();
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (names.contains(entry) || isTemporarySibling(entry, names)) {
            ::unlink(encoded(dir.filePath(entry)).constData());
        }
    }
    ::rmdir(encoded(folder).constData());
}

Failure backupFailure(const QString &cause) {
    return Failure{QStringLiteral("Резервная копия не сделана: %1").arg(cause)};
}

Failure backupFileFailure(const QString &path, int errnum) {
    return backupFailure(QStringLiteral("%1: %2.").arg(displayPath(path), systemErrorText(errnum)));
}

// The database copied through SQLite's online backup into a new file, then read
// again from the disk by SQLite's check.
Status copyDatabase(const QString &source, const QString &target, std::chrono::milliseconds lockWait) {
    Opened from = openSqlite(source, SQLITE_OPEN_READWRITE, lockWait);
    if (!from.db) {
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(source), from.message)};
    }
    // One read transaction: the copy is one state of the file.
    if (const int code =
            sqlite3_exec(from.db.get(), "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        code != SQLITE_OK) {
        return Failure{isBusy(code) ? busyText(source)
                                    : QStringLiteral("%1: %2.").arg(displayPath(source), sqliteText(from.db.get()))};
    }
    Opened to = openSqlite(target, SQLITE_OPEN_READWRITE, lockWait);
    if (!to.db) {
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(target), to.message)};
    }
    // The copy is new and unseen: no journal beside it to clean up after a kill.
    sqlite3_exec(to.db.get(), "PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
    sqlite3_backup *backup = sqlite3_backup_init(to.db.get(), "main", from.db.get(), "main");
    if (!backup) {
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(target), sqliteText(to.db.get()))};
    }
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    sqlite3_exec(from.db.get(), "COMMIT", nullptr, nullptr, nullptr);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        const int code = stepped != SQLITE_DONE ? stepped : finished;
        if (isBusy(code)) {
            return Failure{busyText(source)};
        }
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(target), sqliteText(to.db.get()))};
    }
    to.db.reset();
    from.db.reset();
    if (const int error = syncFile(target)) {
        return Failure{QStringLiteral("%1: %2.").arg(displayPath(target), systemErrorText(error))};
    }
    const DatabaseCheck check = checkDatabaseFile(target, lockWait);
    if (check.verdict != DatabaseCheck::Verdict::Good) {
        return Failure{
            QStringLiteral("копия %1 не прошла проверку SQLite (%2).").arg(displayPath(target), check.reason)};
    }
    return {};
}

// A name in "backups" that no backup and no leftover has yet: the stem of the
// moment, with "-2", "-3" and so on for a second one in the same second.
QString freeStem(const QDir &folder, const QDateTime &now) {
    const QString base = QStringLiteral("base-") + now.toString(kStampFormat);
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (int n = 1;; ++n) {
        const QString stem = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        const bool taken = std::any_of(entries.begin(), entries.end(), [&stem](const QString &entry) {
            return entry.startsWith(stem + u'.') || entry == stem;
        });
        if (!taken) {
            return stem;
        }
    }
}

// Makes the backup's folder of text files under a temporary name; its path.
Result<QString> writeFilesFolder(const QString &dataFolder, const QDir &backups, const QString &stem) {
    QString folder;
    for (int attempt = 0; attempt < 100 && folder.isEmpty(); ++attempt) {
        const QString candidate = backups.filePath(stem + QLatin1StringView(kTemporaryMarker) + randomSuffix());
        if (::mkdir(encoded(candidate).constData(), 0777) == 0) {
            folder = candidate;
        } else if (errno != EEXIST) {
            return backupFileFailure(candidate, errno);
        }
    }
    const QDir data(dataFolder);
    for (const QString &name : backedUpFileNames()) {
        if (!QFileInfo(data.filePath(name)).isFile()) {
            continue;
        }
        const Result<QByteArray> bytes = readFileBytes(data.filePath(name));
        Status written = bytes.status();
        if (written.ok()) {
            written = writeFileBytes(QDir(folder).filePath(name), bytes.value());
        }
        if (!written.ok()) {
            removeFilesFolder(folder);
            return backupFailure(written.error());
        }
    }
    return folder;
}

void removeBackup(const BackupEntry &backup) {
    // Without its database the backup is no longer whole; the folder follows.
    ::unlink(encoded(backup.databasePath).constData());
    removeFilesFolder(backup.filesFolder);
}

} // namespace

std::vector<BackupEntry> listBackups(const QString &dataFolder) {
    const QDir folder(backupsFolder(dataFolder));
    std::vector<BackupEntry> list;
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("base-*.mdb")}, QDir::Files | QDir::Hidden)) {
        const QString stem = info.completeBaseName();
        const QRegularExpressionMatch match = backupStem().match(stem);
        if (!match.hasMatch() || info.suffix() != u"mdb" || info.isSymLink()) {
            continue;
        }
        BackupEntry entry;
        entry.name = stem;
        entry.databasePath = info.absoluteFilePath();
        entry.filesFolder = folder.absoluteFilePath(stem);
        entry.taken = QDateTime::fromString(match.captured(1), kStampFormat);
        entry.size = info.size();
        if (entry.taken.isValid()) {
            list.push_back(entry);
        }
    }
    std::sort(list.begin(), list.end(), [](const BackupEntry &a, const BackupEntry &b) {
        if (a.taken != b.taken) {
            return a.taken > b.taken;
        }
        // "-2" is newer than the first of the same second.
        const auto number = [](const BackupEntry &e) { return backupStem().match(e.name).captured(2).toInt(); };
        return number(a) > number(b);
    });
    return list;
}

int removeBackupLeftovers(const QString &dataFolder) {
    const QDir folder(backupsFolder(dataFolder));
    int removed = 0;
    for (const QFileInfo &info :
         folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString name = info.fileName();
        if (info.isSymLink()) {
            continue;
        }
        if (temporaryBackupName().match(name).hasMatch()) {
            if (info.isDir()) {
                removeFilesFolder(info.absoluteFilePath());
            } else {
                ::unlink(encoded(info.absoluteFilePath()).constData());
            }
            removed += QFileInfo::exists(info.absoluteFilePath()) ? 0 : 1;
        } else if (info.isDir() && backupStem().match(name).hasMatch() &&
                   !QFileInfo::exists(folder.filePath(name + QStringLiteral(".mdb")))) {
            removeFilesFolder(info.absoluteFilePath());
            removed += QFileInfo::exists(info.absoluteFilePath()) ? 0 : 1;
        }
    }
    return removed;
}

std::vector<bool> backupsToKeep(const std::vector<QDateTime> &newestFirst, const QDate &today) {
    std::vector<bool> keep(newestFirst.size(), false);
    constexpr std::size_t kNewest = 20;
    constexpr int kMonths = 12;
    const int thisMonth = today.year() * 12 + today.month() - 1;
    std::set<int> monthsSeen;
    std::set<int> yearsSeen;
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        const QDate date = newestFirst[i].date();
        const int month = date.year() * 12 + date.month() - 1;
        if (i < kNewest) {
            keep[i] = true;
        }
        if (month > thisMonth - kMonths && month <= thisMonth && monthsSeen.insert(month).second) {
            keep[i] = true;
        }
        if (yearsSeen.insert(date.year()).second) {
            keep[i] = true;
        }
    }
    return keep;
}

int rotateBackups(const QString &dataFolder, const QDate &today) {
    const std::vector<BackupEntry> list = listBackups(dataFolder);
    std::vector<QDateTime> times;
    for (const BackupEntry &entry : list) {
        times.push_back(entry.taken);
    }
    const std::vector<bool> keep = backupsToKeep(times, today);
    int removed = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!keep[i]) {
            removeBackup(list[i]);
            ++removed;
        }
    }
    return removed;
}

Result<BackupEntry> makeBackup(const QString &dataFolder, const QDateTime &now, std::chrono::milliseconds lockWait) {
    const QString folderPath = backupsFolder(dataFolder);
    step("backup:folder");
    if (!QFileInfo(folderPath).isDir() && ::mkdir(encoded(folderPath).constData(), 0777) != 0) {
        return backupFileFailure(folderPath, errno);
    }
    const QDir folder(folderPath);
    removeBackupLeftovers(dataFolder);
    const QString stem = freeStem(folder, now);

    step("backup:text-files");
    const Result<QString> staged = writeFilesFolder(dataFolder, folder, stem);
    if (!staged.ok()) {
        return staged.status();
    }
    BackupEntry entry;
    entry.name = stem;
    entry.filesFolder = folder.absoluteFilePath(stem);
    entry.databasePath = folder.absoluteFilePath(stem + QStringLiteral(".mdb"));
    entry.taken = QDateTime::fromString(now.toString(kStampFormat), kStampFormat);
    if (const int error = renameFile(staged.value(), entry.filesFolder)) {
        removeFilesFolder(staged.value());
        return backupFileFailure(entry.filesFolder, error);
    }

    const QString temporary = entry.databasePath + QLatin1StringView(kTemporaryMarker) + randomSuffix();
    step("backup:database");
    Status copied;
    if (const int fd =
            ::open(encoded(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        fd < 0) {
        copied = Failure{QStringLiteral("%1: %2.").arg(displayPath(temporary), systemErrorText(errno))};
    } else {
        ::close(fd);
        copied = copyDatabase(QDir(dataFolder).filePath(StatsDb::FileName), temporary, lockWait);
    }
    int renamed = 0;
    if (copied.ok() && (renamed = renameFile(temporary, entry.databasePath)) != 0) {
        copied = Failure{QStringLiteral("%1: %2.").arg(displayPath(entry.databasePath), systemErrorText(renamed))};
    }
    if (!copied.ok()) {
        ::unlink(encoded(temporary).constData());
        removeFilesFolder(entry.filesFolder);
        return backupFailure(copied.error());
    }
    syncFolder(folderPath);
    entry.size = QFileInfo(entry.databasePath).size();

    step("backup:rotate");
    rotateBackups(dataFolder, now.date());
    return entry;
}

Status exportDatabase(const QString &dataFolder, const QString &target, std::chrono::milliseconds lockWait) {
    const QFileInfo info(target);
    const QString temporary =
        info.absolutePath() + u'/' + info.fileName() + QLatin1StringView(kTemporaryMarker) + randomSuffix();
    const auto failure = [&target](const QString &cause) {
        return Failure{QStringLiteral("Копия базы не сохранена в %1: %2").arg(displayPath(target), cause)};
    };
    if (info.isDir()) {
        return failure(systemErrorText(EISDIR) + u'.');
    }
    const int fd = ::open(encoded(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return failure(systemErrorText(errno) + u'.');
    }
    ::close(fd);
    Status copied = copyDatabase(QDir(dataFolder).filePath(StatsDb::FileName), temporary, lockWait);
    if (copied.ok()) {
        if (const int error = renameFile(temporary, target)) {
            copied = Failure{systemErrorText(error) + u'.'};
        }
    }
    if (!copied.ok()) {
        ::unlink(encoded(temporary).constData());
        return failure(copied.error());
    }
    syncFolder(info.absolutePath());
    return {};
}
