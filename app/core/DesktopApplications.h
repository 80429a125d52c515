#pragma once

#include <QString>

// Whether the desktop has an application for a local file, asked before the file
// is handed to xdg-open: xdg-open counts as a success as soon as it starts, even
// where nothing then shows the file (Debian without a spreadsheet application).
// Asks `xdgMime query default <the file's MIME type>`: false when it names no
// application or fails. True when the question cannot be asked at all (no
// xdg-mime, or no answer within two seconds): the opener then decides alone.
bool desktopHasApplicationFor(const QString &localFile, const QString &xdgMime = QStringLiteral("xdg-mime"));
