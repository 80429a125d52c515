#include "DesktopApplications.h"

#include "Seams.h"

#include <QDir>
#include <QMimeDatabase>
#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QUrl>
#include <cerrno>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

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

namespace {

// Watches one opener through a process file descriptor, which becomes readable
// when the process ends. Unlike a QProcess, going away neither kills the opener
// nor waits for it; an opener that outlives the watch is reaped by the system
// once the program has ended.
class OpenerWatch : public QObject {
public:
    OpenerWatch(pid_t pid, int pidFd, QObject *context, std::function<void()> failed)
        : QObject(context), m_pid(pid), m_pidFd(pidFd), m_failed(std::move(failed)),
          m_notifier(pidFd, QSocketNotifier::Read, this) {
        connect(&m_notifier, &QSocketNotifier::activated, this, &OpenerWatch::ended);
    }
    ~OpenerWatch() override { ::close(m_pidFd); }
    OpenerWatch(const OpenerWatch &) = delete;
    OpenerWatch &operator=(const OpenerWatch &) = delete;

private:
    void ended() {
        m_notifier.setEnabled(false);
        int status = 0;
        pid_t reaped = -1;
        do {
            reaped = ::waitpid(m_pid, &status, 0);
        } while (reaped < 0 && errno == EINTR);
        // A status that cannot be read says nothing against the opener.
        const bool failed = reaped == m_pid && !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const std::function<void()> report = std::move(m_failed);
        deleteLater();
        if (failed && report) {
            report();
        }
    }

    pid_t m_pid;
    int m_pidFd;
    std::function<void()> m_failed;
    QSocketNotifier m_notifier;
};

} // namespace

bool startDesktopOpener(const QUrl &url, QObject *context, std::function<void()> failed, const QString &opener) {
    const QByteArray program = opener.toLocal8Bit();
    const QByteArray argument =
        url.isLocalFile() ? url.toLocalFile().toLocal8Bit() : url.toString(QUrl::FullyEncoded).toLocal8Bit();
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(argument.constData()), nullptr};
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be run as its own failure.
    if (::posix_spawnp(&pid, program.constData(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidFd < 0) {
        // No way to watch it without blocking: the opener runs on, unwatched.
        return true;
    }
    new OpenerWatch(pid, pidFd, context, std::move(failed));
    return true;
}

void tellSavedAndOfferFolder(const QString &saved, const QString &folder) {
    if (messages().askYesNo(saved + QStringLiteral("\n\nОткрыть папку %1?").arg(QDir::toNativeSeparators(folder))) !=
        Messages::Answer::Yes) {
        return;
    }
    if (!openWithDesktop(QUrl::fromLocalFile(folder))) {
        messages().error(QStringLiteral("Папку %1 открыть не удалось: на этом компьютере нет программы, которая "
                                        "показывает папки.")
                             .arg(QDir::toNativeSeparators(folder)));
    }
}
