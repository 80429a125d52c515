#include "BackupFiles.h"

#include "Backups.h"
#include "DataFiles.h"
#include "FileWriting.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

std::function<void(const char *)> &stepHook() {
    static std::function<void(const char *)> hook;
    return hook;
}

} // namespace

void setBackupStepHook(std::function<void(const char *step)> hook) {
    stepHook() = std::move(hook);
}

namespace BackupFiles {

void step(const char *name) {
    if (stepHook()) {
        stepHook()(name);
    }
}

QString randomSuffix() {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < kSuffixLength; ++i) {
        suffix.append(QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))]));
    }
    return suffix;
}

QByteArray encoded(const QString &path) {
    return QFile::encodeName(path);
}

void syncFolder(const QString &folder) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int syncFile(const QString &path) {
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    return ::close(fd) == 0 ? error : (error != 0 ? error : errno);
}

int copyFileSynced(const QString &from, const QString &to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        return source.error() == QFileDevice::OpenError && !source.exists() ? ENOENT : EIO;
    }
    const int fd = ::open(encoded(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    QByteArray chunk;
    while (error == 0 && !(chunk = source.read(1 << 20)).isEmpty()) {
        const char *data = chunk.constData();
        qsizetype left = chunk.size();
        while (left > 0) {
            const ssize_t written = fileSystemCalls().write(fd, data, static_cast<size_t>(left));
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = written < 0 ? errno : ENOSPC;
                break;
            }
            data += written;
            left -= written;
        }
    }
    if (error == 0 && source.error() != QFileDevice::NoError) {
        error = EIO;
    }
    if (error == 0 && fileSystemCalls().fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error;
}

int renameFile(const QString &from, const QString &to) {
    step("rename");
    return fileSystemCalls().rename(encoded(from).constData(), encoded(to).constData()) == 0 ? 0 : errno;
}

QStringList backedUpFileNames() {
    QStringList names = dataFileNames();
    names.removeAll(DataFile::PoolRemainder);
    return names;
}

QString backupsFolder(const QString &dataFolder) {
    return QDir(dataFolder).filePath(Backups::FolderName);
}

Opened openSqlite(const QString &path, int flags, std::chrono::milliseconds lockWait) {
    sqlite3 *raw = nullptr;
    Opened opened;
    opened.code = sqlite3_open_v2(encoded(path).constData(), &raw, flags | SQLITE_OPEN_NOFOLLOW, nullptr);
    opened.db.reset(raw);
    if (opened.code != SQLITE_OK) {
        opened.message = raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("out of memory");
        opened.db.reset();
        return opened;
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, static_cast<int>(lockWait.count()));
    return opened;
}

bool isBusy(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString sqliteText(sqlite3 *db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QString busyText(const QString &path) {
    return QStringLiteral("Файл %1 занят другой программой. Закройте программу, которая его использует "
                          "(например, DB Browser for SQLite), и повторите.")
        .arg(displayPath(path));
}

} // namespace BackupFiles
