#pragma once

#include "Backups.h"
#include "DatabaseCheck.h"
#include "StatsConnection.h"

#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class BackupsWindow;
}

// The window "Резервные копии": the backups of the data folder newest first,
// the restore of one, and the copy of the book to a file of the user's and its
// restore. A restore asks first, saves the current state as a backup of its own
// (so that the restore can be undone) and asks the program to close every
// connection to the database while the files are replaced and to open them
// again afterwards.
class BackupsWindow : public QWidget {
    Q_OBJECT

public:
    explicit BackupsWindow(std::chrono::milliseconds lockWait = StatsConnection::kProgramLockWait,
                           QWidget *parent = nullptr);
    ~BackupsWindow() override;

    // Asks for a file: the dialog's caption, and whether it is for saving. An
    // empty answer cancels. A file dialog unless another chooser is installed.
    using FileChooser = std::function<QString(const QString &caption, bool forSaving)>;
    void setFileChooser(FileChooser chooser);

public slots:
    // "Резервные копии..." of the main window: reads the list and shows the window.
    void openBackups();
    // Reads the list again when the window is on screen.
    void reread();

signals:
    // The files of the database are about to be replaced: every connection closes.
    void databaseReleaseRequested();
    // They were replaced (or the attempt ended): every window reads again.
    void databaseReplaced();

private:
    void readList();
    void restoreClick();
    void exportClick();
    void importClick();
    // Saves the current state, replaces the files while the database is closed,
    // and reports. `source` is the file that comes in, `what` names it to the user.
    void restoreFrom(const QString &source, const QString &what, const std::function<Status()> &replace,
                     bool withTextFiles);

    std::unique_ptr<Ui::BackupsWindow> ui;
    std::chrono::milliseconds m_lockWait;
    std::vector<BackupEntry> m_backups;
    FileChooser m_chooseFile;
};

// The words of a restore's question about what changes in the book.
QString bookChangeText(const Result<BookChange> &change);
// A backup's time as the window shows it.
QString backupTimeText(const QDateTime &taken);
