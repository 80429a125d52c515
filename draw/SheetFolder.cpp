#include "SheetFolder.h"

#include "DataFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// How many sheets the output folder keeps; older ones are deleted as new ones come.
constexpr int kSheetsKept = 30;
const QString kSheetPrefix = QStringLiteral("Турнир ");
const QString kSheetSuffix = QStringLiteral(".xlsx");

} // namespace

Result<QString> writeSheetFile(const QString &folder, const QByteArray &bytes) {
    const QString stem = kSheetPrefix + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    for (int n = 1; n <= 1000; ++n) {
        const QString name =
            n == 1 ? stem + kSheetSuffix : QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(kSheetSuffix);
        const QString path = QDir(folder).filePath(name);
        // A name is taken by a file, a folder or a link, a dangling one too.
        const auto taken = [&path] { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); };
        if (taken()) {
            continue;
        }
        if (const Status written = writeNewFile(path, bytes); !written.ok()) {
            // Another program took the name meanwhile: the next one is free.
            if (taken()) {
                continue;
            }
            return Failure{QStringLiteral("Таблица турнира не записана. ") + written.error()};
        }
        return path;
    }
    return Failure{fileErrorText(folder, QStringLiteral("Не удалось подобрать новое имя для таблицы"))};
}

// The newest sheets stay, older ones go, and so do the temporary files of an
// export that was killed (older than an hour, so that another copy of the
// program, working on another data folder, keeps its own).
void pruneSheetFolder(const QString &folder) {
    const QDir dir(folder);
    const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo &leftover : dir.entryInfoList({u'.' + kSheetPrefix + u'*' + kSheetSuffix +
                                                        QLatin1StringView(kTemporaryMarker) + QStringLiteral("??????")},
                                                       QDir::Files | QDir::Hidden)) {
        if (leftover.lastModified() < anHourAgo) {
            QFile::remove(leftover.filePath());
        }
    }
    QFileInfoList sheets = dir.entryInfoList({kSheetPrefix + u'*' + kSheetSuffix}, QDir::Files);
    std::sort(sheets.begin(), sheets.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime first = a.lastModified();
        const QDateTime second = b.lastModified();
        return first != second ? first > second : a.fileName() > b.fileName();
    });
    for (qsizetype i = kSheetsKept; i < sheets.size(); ++i) {
        QFile::remove(sheets[i].filePath());
    }
}
