#include "DesktopApplications.h"

#include <QMimeDatabase>
#include <QProcess>

bool desktopHasApplicationFor(const QString &localFile, const QString &xdgMime) {
    const QString type = QMimeDatabase().mimeTypeForFile(localFile).name();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForStarted(2000)) {
        return true;
    }
    if (!query.waitForFinished(2000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}
