#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <sqlite3.h>

// The file and SQLite helpers that the backup, the check of a database file and
// the restore share. Only the files of this folder include it: it is not part of
// the library's interface.
namespace BackupFiles {

inline const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");
inline constexpr int kSuffixLength = 6;

// Calls the hook that setBackupStepHook() set, if any, with the step's name.
void step(const char *name);

// kSuffixLength letters and digits, for a temporary or staged name.
QString randomSuffix();

QByteArray encoded(const QString &path);

void syncFolder(const QString &folder);
// 0, or the errno of the step that failed.
int syncFile(const QString &path);
// Copies a file whole to a new file that must not exist, synced; 0 or the errno.
int copyFileSynced(const QString &from, const QString &to);

// Every rename is a step: what a kill between two of them leaves is what the
// order of the renames must keep whole.
int renameFile(const QString &from, const QString &to);

// The text files that a backup holds: every data file the program writes but the
// pool's scratch file, which nothing reads after a restart.
QStringList backedUpFileNames();

QString backupsFolder(const QString &dataFolder);

// An SQLite connection that is closed when it goes.
struct CloseConnection {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;

struct Opened {
    Connection db;
    int code = SQLITE_OK;
    QString message;
};
// Opens the file with extended result codes, waiting at most lockWait for
// another program's lock; on failure the code and SQLite's message say why.
Opened openSqlite(const QString &path, int flags, std::chrono::milliseconds lockWait);

// Whether SQLite's result code means that another connection holds the file.
bool isBusy(int code);

QString sqliteText(sqlite3 *db);

// Why a file that another program holds cannot be used, in the user's words.
QString busyText(const QString &path);

} // namespace BackupFiles
