#pragma once

#include <QString>
#include <functional>

class QObject;
class QUrl;

// Whether the desktop has an application for a local file, asked before the file
// is handed to xdg-open: xdg-open counts as a success as soon as it starts, even
// where nothing then shows the file (Debian without a spreadsheet application).
// Asks `xdgMime query default <the file's MIME type>`: false when it names no
// application or fails. True when the question cannot be asked at all (no
// xdg-mime, or no answer within two seconds): the opener then decides alone.
bool desktopHasApplicationFor(const QString &localFile, const QString &xdgMime = QStringLiteral("xdg-mime"));

// Hands a local file or a web address to the desktop's opener without waiting
// for it. False when the opener could not be started at all. Otherwise its exit
// is watched by the event loop of `context`'s thread, which never blocks on it:
// when it ends with a failure (xdg-open's 3 when no application could be
// started, 4 when the action failed, or a signal), `failed` runs there. While
// the opener runs, the application it started may stay its child (xdg-open on
// a bare X session waits for the application); leaving the program or deleting
// `context` stops the watch, never the application.
bool startDesktopOpener(const QUrl &url, QObject *context, std::function<void()> failed,
                        const QString &opener = QStringLiteral("xdg-open"));

// Says what was saved where, and asks whether to open the folder that holds it
// (No is the default: the box is also the end of the saving). Yes hands the
// folder to the desktop; a desktop that cannot open it is told.
void tellSavedAndOfferFolder(const QString &saved, const QString &folder);
