#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

// The folder that the filled tournament sheets go to. It is a cache: every
// sheet is a new file "Турнир <date> <time>.xlsx", since an application that
// still has an earlier sheet open keeps a lock on it, and the newest 30 stay.

// Writes the bytes under the first name that no file, folder or link in the
// folder has: "Турнир 2026-01-01 10-00-00.xlsx", then "… (2).xlsx" and so on.
// The file appears only whole (a hidden temporary file takes the name once it
// is written), so a full disk or a kill leaves no sheet behind, and a name that
// another program takes meanwhile gives the next one. The folder must exist.
// Returns the path of the new file.
Result<QString> writeSheetFile(const QString &folder, const QByteArray &bytes);

// Deletes the sheets past the newest 30 and the temporary files of an export
// that was killed more than an hour ago. Other files are left alone.
void pruneSheetFolder(const QString &folder);
