#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <sys/types.h>

// Writing the data files so that a failure never costs the old contents. Every
// write, the sync and the close are checked; whatever fails, the user reads one
// message that names the file and the cause.

// A file's absolute path as messages show it.
QString displayPath(const QString &fileName);

// The cause of a failed system call as the user reads it: "на диске не осталось
// места" for ENOSPC, and so on; the system's own text for the rare ones.
QString systemErrorText(int errnum);

// Whether a write waits until its bytes are on the disk.
enum class Durability {
    Synced,   // the file and then its folder are synced: the new content outlives a crash
    Unsynced, // left to the system: for scratch files that nothing reads after a crash
};

// Replaces the whole file: the bytes go to a temporary sibling, which is synced
// (unless asked not to be) and renamed over the file only when every step
// succeeded, so that the file is never seen half-written. On any failure the
// old file stays byte for byte and the temporary file is removed. A file that
// did not exist is created. A symbolic link keeps pointing at the file it names.
// A file that nobody may write (no write permission for this user, or none at
// all) is refused and left as it is, as an in-place write would be.
Status writeFileBytes(const QString &fileName, QByteArrayView bytes, Durability durability = Durability::Synced);

// Appends bytes that hold whole lines, all of them or none: a short or failed
// write cuts the file back to its old length, and a file that the append made is
// removed again. A last line without a line end gets one first, so that nothing
// is glued onto it. A file that does not exist is created. When only the close
// fails after the synced write, the outcome is what the file holds then: the
// whole append is a success, anything else a failure that says so.
Status appendOnNewLine(const QString &fileName, QByteArrayView bytes);

// Writes a file that must not exist yet, so that it appears only whole: the bytes
// go to a hidden temporary file in the same folder, which takes the name once it
// is written, synced and closed. A name that is taken by then is a failure
// (EEXIST), and nothing is left behind.
Status writeNewFile(const QString &path, QByteArrayView bytes);

// The temporary files that a killed program may have left beside the given files:
// the file's name, the program's marker and six letters or digits
// ("last.txt.korvana-tmp.Ab3xYz" beside "last.txt"), hidden or not. Only names
// that this program makes match; a user's "last.txt.backup" never does.
inline constexpr char kTemporaryMarker[] = ".korvana-tmp.";
bool isTemporarySibling(const QString &entry, const QStringList &fileNames);
// Removes them from the folder; returns how many went. The caller holds the
// folder's lock, so that no running copy of the program loses a file it writes.
int removeTemporarySiblings(const QString &folder, const QStringList &fileNames);

// The system calls of the writers above. Tests replace one to make it fail or
// to watch the order of the calls; the program uses the system's own.
struct FileSystemCalls {
    std::function<ssize_t(int, const void *, size_t)> write;
    std::function<int(int)> fsync;
    std::function<int(int)> close;
    std::function<int(const char *, const char *)> rename;
    std::function<int(const char *, const char *)> link;
};
// The calls in use.
FileSystemCalls &fileSystemCalls();
// Puts the system's own calls back.
void resetFileSystemCalls();
