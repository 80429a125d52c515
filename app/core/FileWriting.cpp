#include "FileWriting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kSuffixLength = 6;
constexpr char kSuffixAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QByteArray randomSuffix() {
    QByteArray suffix(kSuffixLength, Qt::Uninitialized);
    for (char &c : suffix) {
        c = kSuffixAlphabet[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kSuffixAlphabet - 1))];
    }
    return suffix;
}

FileSystemCalls systemCalls() {
    return {::write, ::fsync, ::close, ::rename, ::link};
}

FileSystemCalls &calls() {
    static FileSystemCalls inUse = systemCalls();
    return inUse;
}

// A file descriptor that is closed on every way out unless the close is checked.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            calls().close(m_fd);
        }
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    // The close's own result: NFS and full disks may report a lost write only here.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return calls().close(fd) == 0;
    }

private:
    int m_fd;
};

// Writes all the bytes; 0, or the errno of the write that stopped short.
int writeAll(int fd, QByteArrayView bytes) {
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = calls().write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return ENOSPC;
        }
        data += written;
        left -= written;
    }
    return 0;
}

int syncAndClose(Descriptor &fd) {
    if (calls().fsync(fd.get()) != 0) {
        return errno;
    }
    return fd.close() ? 0 : errno;
}

// Makes the name last on disk once the rename is done; a failure here cannot
// bring the old file back, so it is not reported.
void syncFolder(const QByteArray &folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        calls().fsync(fd);
        calls().close(fd);
    }
}

// A new file beside `path` named "<prefix><name>.korvana-tmp.XXXXXX", created
// exclusively and never through a link planted under that name.
struct Temporary {
    int fd = -1;
    QByteArray path;
};
Temporary createSibling(const QByteArray &path, const char *prefix) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : path.left(slash + 1);
    const QByteArray name = path.mid(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        Temporary temporary;
        temporary.path = folder + prefix + name + kTemporaryMarker + randomSuffix();
        temporary.fd = ::open(temporary.path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (temporary.fd >= 0 || errno != EEXIST) {
            return temporary;
        }
    }
    return {};
}

QByteArray folderOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : path.left(qMax<qsizetype>(slash, 1));
}

// The file that a rewrite replaces: the target of a symbolic link, else the name itself.
QByteArray replacedPath(const QString &fileName) {
    const QFileInfo info(fileName);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty()) {
            return QFile::encodeName(target);
        }
    }
    return QFile::encodeName(fileName);
}

Failure writeFailure(const QString &fileName, int errnum, bool existed) {
    const QString outcome =
        existed ? QStringLiteral("Прежнее содержимое файла не изменено.") : QStringLiteral("Файл не создан.");
    return Failure{QStringLiteral("Не удалось сохранить файл %1: %2. %3")
                       .arg(displayPath(fileName), systemErrorText(errnum), outcome)};
}

// Writes the temporary file whole; 0 or the errno of the step that failed.
int fillTemporary(Descriptor &fd, QByteArrayView bytes, const struct stat *old, Durability durability) {
    // The new file keeps the old one's permissions.
    if (old && ::fchmod(fd.get(), old->st_mode & 07777) != 0) {
        return errno;
    }
    if (const int error = writeAll(fd.get(), bytes)) {
        return error;
    }
    if (durability == Durability::Unsynced) {
        return fd.close() ? 0 : errno;
    }
    return syncAndClose(fd);
}

} // namespace

FileSystemCalls &fileSystemCalls() {
    return calls();
}

void resetFileSystemCalls() {
    calls() = systemCalls();
}

QString displayPath(const QString &fileName) {
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

QString systemErrorText(int errnum) {
    switch (errnum) {
    case ENOSPC:
        return QStringLiteral("на диске не осталось места");
    case EDQUOT:
        return QStringLiteral("исчерпана дисковая квота");
    case EFBIG:
        return QStringLiteral("файл больше, чем разрешено записывать");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода на диске");
    case ENOENT:
        return QStringLiteral("файл или папка не найдены");
    case ENOTDIR:
        return QStringLiteral("в пути к файлу стоит не папка");
    case EISDIR:
        return QStringLiteral("на месте файла стоит папка");
    case EEXIST:
        return QStringLiteral("файл с таким именем уже есть");
    default:
        return QString::fromLocal8Bit(std::strerror(errnum));
    }
}

// Whether the rename may replace the file: a file that this user may not write
// stays as it is. Root may write anything, so a file without any write
// permission counts as one that must not change for root either.
bool mayReplace(const QByteArray &path, const struct stat &old) {
    return (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.constData(), W_OK) == 0;
}

Status writeFileBytes(const QString &fileName, QByteArrayView bytes, Durability durability) {
    const QByteArray path = replacedPath(fileName);
    struct stat old {};
    const bool existed = ::stat(path.constData(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        return writeFailure(fileName, EISDIR, true);
    }
    if (existed && !mayReplace(path, old)) {
        return writeFailure(fileName, EACCES, true);
    }
    const Temporary temporary = createSibling(path, "");
    if (temporary.fd < 0) {
        return writeFailure(fileName, errno, existed);
    }
    Descriptor fd(temporary.fd);
    int error = fillTemporary(fd, bytes, existed ? &old : nullptr, durability);
    if (error == 0 && calls().rename(temporary.path.constData(), path.constData()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.path.constData());
        return writeFailure(fileName, error, existed);
    }
    if (durability == Durability::Synced) {
        syncFolder(folderOf(path));
    }
    return {};
}

namespace {

// Whether the file ends in a line end; false for an empty file.
Failure appendFailure(const QString &fileName, int errnum) {
    return Failure{QStringLiteral("Не удалось дописать файл %1: %2. В файл ничего не добавлено.")
                       .arg(displayPath(fileName), systemErrorText(errnum))};
}

Result<bool> endsWithLineEnd(int fd, off_t size, const QString &fileName) {
    if (size == 0) {
        return false;
    }
    char last = 0;
    if (::pread(fd, &last, 1, size - 1) != 1) {
        return appendFailure(fileName, errno);
    }
    return last == '\n' || last == '\r';
}

// The close of an append failed after its synced write: what the file holds
// tells whether the lines went in. Reported as they stand, so that a retry
// neither loses them nor writes them twice.
Status appendOutcomeOnDisk(const QString &fileName, int closeError, off_t oldSize, const QByteArray &appended) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return Failure{QStringLiteral("Не удалось дописать файл %1: %2. Дописано ли что-нибудь, неизвестно: файл не "
                                      "открывается (%3). Проверьте конец файла.")
                           .arg(displayPath(fileName), systemErrorText(closeError), file.errorString())};
    }
    const qint64 size = file.size();
    if (size == oldSize) {
        return appendFailure(fileName, closeError);
    }
    if (size == oldSize + appended.size() && file.seek(oldSize) && file.read(appended.size()) == appended) {
        return {};
    }
    return Failure{QStringLiteral("Не удалось дописать файл %1: %2. Конец файла не такой, каким его записала "
                                  "программа, проверьте его.")
                       .arg(displayPath(fileName), systemErrorText(closeError))};
}

} // namespace

Status appendOnNewLine(const QString &fileName, QByteArrayView bytes) {
    const QByteArray path = QFile::encodeName(fileName);
    bool created = false;
    int raw = ::open(path.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (raw < 0 && errno == ENOENT) {
        raw = ::open(path.constData(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        created = raw >= 0;
    }
    if (raw < 0) {
        return appendFailure(fileName, errno);
    }
    Descriptor fd(raw);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return appendFailure(fileName, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return appendFailure(fileName, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    const Result<bool> ended = endsWithLineEnd(fd.get(), info.st_size, fileName);
    if (!ended.ok()) {
        return ended.status();
    }
    QByteArray whole = info.st_size > 0 && !ended.value() ? QByteArray("\r\n") : QByteArray();
    whole.append(bytes);

    int error = writeAll(fd.get(), whole);
    if (error == 0 && calls().fsync(fd.get()) != 0) {
        error = errno;
    }
    if (error != 0) {
        // Whatever part went out is cut off again: the file holds whole lines only.
        if (created) {
            ::unlink(path.constData());
        } else if (::ftruncate(fd.get(), info.st_size) != 0 || calls().fsync(fd.get()) != 0) {
            return Failure{appendFailure(fileName, error).text +
                           QStringLiteral(" Внимание: обрезать недописанную строку не удалось (%1), проверьте конец "
                                          "файла.")
                               .arg(systemErrorText(errno))};
        }
        return appendFailure(fileName, error);
    }
    if (!fd.close()) {
        return appendOutcomeOnDisk(fileName, errno, info.st_size, whole);
    }
    return {};
}

Status writeNewFile(const QString &path, QByteArrayView bytes) {
    const QByteArray target = QFile::encodeName(path);
    const Temporary temporary = createSibling(target, ".");
    if (temporary.fd < 0) {
        return writeFailure(path, errno, false);
    }
    Descriptor fd(temporary.fd);
    int error = fillTemporary(fd, bytes, nullptr, Durability::Synced);
    // A hard link takes the name only when it is free; the temporary name goes after.
    // Where the file system has no hard links, a rename after a look does nearly as well.
    if (error == 0 && calls().link(temporary.path.constData(), target.constData()) != 0) {
        error = errno;
        if ((error == EPERM || error == EOPNOTSUPP) && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
            error = calls().rename(temporary.path.constData(), target.constData()) == 0 ? 0 : errno;
        }
    }
    ::unlink(temporary.path.constData());
    if (error != 0) {
        return writeFailure(path, error, false);
    }
    syncFolder(folderOf(target));
    return {};
}

bool isTemporarySibling(const QString &entry, const QStringList &fileNames) {
    const QStringView view = entry.startsWith(u'.') ? QStringView(entry).mid(1) : QStringView(entry);
    const QLatin1StringView marker(kTemporaryMarker);
    const qsizetype stemLength = view.size() - kSuffixLength - marker.size();
    if (stemLength <= 0 || view.mid(stemLength, marker.size()) != marker) {
        return false;
    }
    const QStringView suffix = view.right(kSuffixLength);
    const bool alphanumeric = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
    return alphanumeric && fileNames.contains(view.left(stemLength).toString());
}

int removeTemporarySiblings(const QString &folder, const QStringList &fileNames) {
    const QDir dir(folder);
    int removed = 0;
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isTemporarySibling(entry, fileNames) && ::unlink(QFile::encodeName(dir.filePath(entry)).constData()) == 0) {
            ++removed;
        }
    }
    return removed;
}
