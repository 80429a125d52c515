#pragma once

#include "Result.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <functional>
#include <vector>

// Copies of the statistics database and of the text files of the data folder,
// kept in the folder "backups" inside it; BackupRestore.h puts such a copy back.
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

// Called with the name of each step of a backup and a restore before it is taken;
// tests end the process there to see what a kill leaves. Empty in the program.
void setBackupStepHook(std::function<void(const char *step)> hook);
