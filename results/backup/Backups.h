#pragma once

#include "Result.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <vector>

// Copies of the statistics database and of the text files of the data folder,
// kept in the folder "backups" inside it, and the restore of such a copy.
//
// A backup is the database "base-YYYYMMDD-HHMMSS.mdb" (a second one in the same
// second gets "-2", "-3" and so on) and, beside it, a folder of the same name
// without ".mdb" that holds the text files as they were at that moment. The
// folder is written first under a temporary name and renamed; then the database
// is copied through SQLite's online backup to a temporary name, checked and
// renamed. The rename of the database is what makes a backup whole: a folder
// without its database, and anything under a temporary name, is a leftover of a
// backup that never finished. Only names of these shapes are ever removed from
// "backups"; whatever else lies there is the user's.

namespace Backups {
inline const QString FolderName = QStringLiteral("backups");
// Written before a restore renames anything; its presence at a start means that a
// restore was cut short and is finished then.
inline const QString RestoreIntentName = QStringLiteral(".korvana-restore");
// The marker of the files that a restore stages beside the data files.
inline constexpr char kStagedMarker[] = ".korvana-restore.";
} // namespace Backups

// A whole backup.
struct BackupEntry {
    QString name;         // "base-20260110-200000", the stem of both names
    QString databasePath; // the ".mdb" file
    QString filesFolder;  // the folder of the text files; may be missing
    QDateTime taken;
    qint64 size = 0; // of the database, in bytes
};

// The whole backups in the data folder, newest first.
std::vector<BackupEntry> listBackups(const QString &dataFolder);

// Removes what backups that never finished left in "backups": temporary names
// and folders without their database. Returns how many went.
int removeBackupLeftovers(const QString &dataFolder);

// Makes a backup of "base.mdb" and the text files of the data folder, then
// removes the backups that rotation no longer keeps. The copy is read in one
// read transaction, so it is one state of the file even while another program
// writes. A failure leaves nothing half-made in "backups" and says why.
Result<BackupEntry> makeBackup(const QString &dataFolder, const QDateTime &now, std::chrono::milliseconds lockWait);

// Which backups rotation keeps, given their times newest first: the newest 20,
// the newest of each of the last 12 calendar months (this month and the eleven
// before it), and the newest of each year. One flag per backup.
std::vector<bool> backupsToKeep(const std::vector<QDateTime> &newestFirst, const QDate &today);
// Removes the backups that backupsToKeep() does not keep; returns how many went.
int rotateBackups(const QString &dataFolder, const QDate &today);

// Writes a checked copy of "base.mdb" to a file the user names (which it
// replaces whole).
Status exportDatabase(const QString &dataFolder, const QString &target, std::chrono::milliseconds lockWait);

// Replaces "base.mdb" and the text files with those of the backup (the text
// files that the backup does not hold stay as they are). The caller has closed
// every connection of the program to the database. Refuses, changing nothing,
// when another program holds the database. Every file is replaced whole; a kill
// part way leaves a record that finishInterruptedRestore() completes at the next
// start.
Status restoreBackup(const QString &dataFolder, const BackupEntry &backup, std::chrono::milliseconds lockWait);
// The same for a database file from elsewhere (checked first); the text files stay.
Status restoreDatabaseFile(const QString &dataFolder, const QString &file, std::chrono::milliseconds lockWait);

// Completes a restore that a kill cut short, or removes the staged files of one
// that never got as far as its record. Runs before anything reads the data files.
Status finishInterruptedRestore(const QString &dataFolder, std::chrono::milliseconds lockWait);

// Keeps the bytes of a damaged "base.mdb" as "backups/damaged-YYYYMMDD-HHMMSS.mdb"
// before a restore replaces it; rotation never removes it.
Result<QString> keepDamagedDatabase(const QString &dataFolder, const QDateTime &now);

// Saves the state that a restore is about to replace: a backup when the database
// passes the check, else the bytes of the damaged file (keepDamagedDatabase()).
// Says what was saved, in words that follow "Прежнее состояние сохранено: ".
Result<QString> saveCurrentState(const QString &dataFolder, const QDateTime &now, std::chrono::milliseconds lockWait);

// Whether the record of a restore that is not finished is in the data folder.
bool restorePending(const QString &dataFolder);

// Called with the name of each step of a backup and a restore before it is taken;
// tests end the process there to see what a kill leaves. Empty in the program.
void setBackupStepHook(std::function<void(const char *step)> hook);
