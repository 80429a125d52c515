#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

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
Status writeFileBytes(const QString &fileName, QByteArrayView bytes, Durability durability = Durability::Synced);

// Appends bytes that hold whole lines, all of them or none: a short or failed
// write cuts the file back to its old length, and a file that the append made is
// removed again. A last line without a line end gets one first, so that nothing
// is glued onto it. A file that does not exist is created.
Status appendOnNewLine(const QString &fileName, QByteArrayView bytes);

// Writes a file that must not exist yet, so that it appears only whole: the bytes
// go to a hidden temporary file in the same folder, which takes the name once it
// is written, synced and closed. A name that is taken by then is a failure
// (EEXIST), and nothing is left behind.
Status writeNewFile(const QString &path, QByteArrayView bytes);

// The temporary files that a killed program may have left beside the given files
// ("last.txt.Ab3xYz" beside "last.txt"). Only names that this program makes match.
bool isTemporarySibling(const QString &entry, const QStringList &fileNames);
// Removes them from the folder; returns how many went.
int removeTemporarySiblings(const QString &folder, const QStringList &fileNames);
