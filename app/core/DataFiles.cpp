#include "DataFiles.h"

#include "LineScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TeamListNames teamListNames(const QString &listFile) {
    const QString nationalExhausted = QStringLiteral("Сборные кончились. Перезапустите!");
    if (listFile == DataFile::Teams4) {
        return {QStringLiteral(" - Клубы 4*"), QStringLiteral("Клубы 4* кончились. Перезапустите!")};
    }
    if (listFile == DataFile::Teams45) {
        return {QStringLiteral(" - Клубы 4,5*"), QStringLiteral("Клубы 4,5* кончились. Перезапустите!")};
    }
    if (listFile == DataFile::Teams5) {
        return {QStringLiteral(" - Клубы 5*"), QStringLiteral("Клубы 5* кончились. Перезапустите!")};
    }
    if (listFile == DataFile::NatTeams45) {
        return {QStringLiteral(" - Сборные 4* - 4,5*"), nationalExhausted};
    }
    if (listFile == DataFile::NatTeams5) {
        return {QStringLiteral(" - Сборные 5*"), nationalExhausted};
    }
    if (listFile == DataFile::NatTeams) {
        return {QString(), nationalExhausted};
    }
    return {};
}

QStringList dataFileNames() {
    return {DataFile::Settings,       DataFile::Teams4,    DataFile::Teams45,      DataFile::Teams5,
            DataFile::NatTeams45,     DataFile::NatTeams5, DataFile::NatTeams,     DataFile::UsedTeamsLog,
            DataFile::LastTournament, DataFile::Gift,      DataFile::PoolRemainder};
}

QList<QByteArrayView> splitLineViews(QByteArrayView data) {
    QList<QByteArrayView> lines;
    LineScanner scanner(data, LineScanner::Check::None);
    QByteArrayView line;
    while (scanner.next(line)) {
        lines.append(line);
    }
    return lines;
}

Lines splitLines(QByteArrayView data) {
    Lines lines;
    for (const QByteArrayView line : splitLineViews(data)) {
        lines.append(line.toByteArray());
    }
    return lines;
}

LineFile::LineFile(QByteArray bytes) : m_bytes(std::move(bytes)), m_lines(splitLineViews(m_bytes)) {}

QByteArray joinLines(const Lines &lines) {
    qsizetype total = 0;
    for (const QByteArray &line : lines) {
        total += line.size() + 2;
    }
    QByteArray bytes;
    bytes.reserve(total);
    for (const QByteArray &line : lines) {
        bytes.append(line);
        bytes.append("\r\n", 2);
    }
    return bytes;
}

QString fileErrorText(const QString &fileName, const QString &reason) {
    return QStringLiteral("%1: %2").arg(reason, displayPath(fileName));
}

Status checkRegularFile(const QString &fileName, const QString &notRegular) {
    // One look at the file answers all three questions.
    const QFileInfo info(fileName);
    if (!info.exists()) {
        return Failure{fileErrorText(fileName, QStringLiteral("File not found"))};
    }
    if (info.isDir()) {
        return Failure{fileErrorText(fileName, QStringLiteral("Is a directory"))};
    }
    if (!info.isFile()) {
        return Failure{fileErrorText(fileName, notRegular)};
    }
    return {};
}

Result<QByteArray> readFileBytes(const QString &fileName) {
    if (Status regular = checkRegularFile(fileName, QStringLiteral("это не обычный файл")); !regular.ok()) {
        return regular;
    }
    // Unbuffered, the bytes go from the system straight into the array that
    // readAll sizes once from the file's length: they are copied once, however
    // small the file.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return Failure{fileErrorText(fileName, file.errorString())};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return Failure{fileErrorText(fileName, file.errorString())};
    }
    return bytes;
}

Result<Lines> readLines(const QString &fileName) {
    Result<QByteArray> bytes = readFileBytes(fileName);
    if (!bytes.ok()) {
        return bytes.status();
    }
    return splitLines(bytes.value());
}

Result<LineFile> readLineFile(const QString &fileName) {
    Result<QByteArray> bytes = readFileBytes(fileName);
    if (!bytes.ok()) {
        return bytes.status();
    }
    return LineFile(std::move(bytes).value());
}

Status writeLines(const QString &fileName, const Lines &lines, Durability durability) {
    return writeFileBytes(fileName, joinLines(lines), durability);
}

Status appendLines(const QString &fileName, const Lines &lines) {
    return appendOnNewLine(fileName, joinLines(lines));
}

QByteArray lineAt(const Lines &lines, qsizetype index) {
    return index >= 0 && index < lines.size() ? lines[index] : QByteArray();
}

namespace {

QString withSeparator(const QString &dir) {
    QString native = QDir::toNativeSeparators(dir);
    if (!native.endsWith(QDir::separator())) {
        native += QDir::separator();
    }
    return native;
}

} // namespace

QString programDirectoryFor(const QString &executableDir, const QString &installedFiles) {
    // The template is made by every build and installed with the rest, so the
    // folder that holds it holds all the shipped files.
    const QString marker = QStringLiteral("table.xlsx");
    if (QFileInfo(QDir(executableDir).filePath(marker)).isFile()) {
        return withSeparator(executableDir);
    }
    if (!installedFiles.isEmpty()) {
        const QString installed = QDir::cleanPath(QDir(executableDir).filePath(installedFiles));
        if (QFileInfo(QDir(installed).filePath(marker)).isFile()) {
            return withSeparator(installed);
        }
    }
    return withSeparator(executableDir);
}

QString programDirectory() {
#ifdef KORVANA_INSTALLED_FILES
    const QString installedFiles = QStringLiteral(KORVANA_INSTALLED_FILES);
#else
    const QString installedFiles;
#endif
    return programDirectoryFor(QCoreApplication::applicationDirPath(), installedFiles);
}
