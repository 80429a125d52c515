#include "DataFolderLock.h"

#include "DataFiles.h"
#include "FileWriting.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString notAPlainFile(const QString &folderPath, const QString &what) {
    return QStringLiteral("Программа не может работать с папкой данных %1: на месте файла блокировки %2 стоит %3. "
                          "Удалите его, программа сделает свой. Программа будет закрыта.")
        .arg(folderPath, DataFolderLock::FileName, what);
}

} // namespace

Result<std::unique_ptr<DataFolderLock>> DataFolderLock::acquire(const QString &folder) {
    const QString folderPath = QDir::toNativeSeparators(QDir(folder).absolutePath());
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(FileName));
    // Never through a link: a link planted under the lock's name would have the
    // program truncate whatever file it points at.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP) {
            return Failure{notAPlainFile(folderPath, QStringLiteral("символическая ссылка"))};
        }
        return Failure{QStringLiteral("Программа не может работать с папкой данных %1: %2. Программа будет закрыта.")
                           .arg(folderPath, systemErrorText(error))};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Failure{notAPlainFile(folderPath, QStringLiteral("не обычный файл"))};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return Failure{QStringLiteral("С папкой данных %1 уже работает другая копия Korvana 3. Две копии в одной "
                                          "папке записывали бы файлы друг поверх друга, поэтому эта копия будет "
                                          "закрыта. Продолжайте в уже открытой программе.")
                               .arg(folderPath)};
        }
        return Failure{QStringLiteral("Не удалось занять папку данных %1: %2. Программа будет закрыта.")
                           .arg(folderPath, systemErrorText(error))};
    }
    // Who holds the folder, for a curious reader of the file; the lock itself is
    // the kernel's. A file with a second name (a hard link) may be another file
    // of the user's, so it is locked but not written.
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    if (info.st_nlink == 1 && ::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, pid.constData(), static_cast<size_t>(pid.size()), 0);
    }
    return std::unique_ptr<DataFolderLock>(new DataFolderLock(fd));
}

DataFolderLock::~DataFolderLock() {
    // Closing releases the lock; the file stays, so that no other start races its removal.
    ::close(m_fd);
}

Result<std::unique_ptr<DataFolderLock>> claimDataFolder(const QString &folder) {
    Result<std::unique_ptr<DataFolderLock>> lock = DataFolderLock::acquire(folder);
    if (lock.ok()) {
        removeTemporarySiblings(folder, dataFileNames());
    }
    return lock;
}
