#pragma once

#include "Backups.h"
#include "Result.h"

#include <QDateTime>
#include <QString>
#include <chrono>

// The restore of a backup or of a database file from elsewhere, done so that a
// kill at any moment leaves either the old files or the new ones, and the copy of
// the current state that is kept before it.

namespace Backups {
// Written before a restore renames anything; its presence at a start means that a
// restore was cut short and is finished then.
inline const QString RestoreIntentName = QStringLiteral(".korvana-restore");
// The marker of the files that a restore stages beside the data files.
inline constexpr char kStagedMarker[] = ".korvana-restore.";
} // namespace Backups

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
