#pragma once

#include "Result.h"

#include <QString>
#include <memory>

// One running program per data folder: two copies on one folder would draw the
// same team twice and overwrite each other's saves. The lock is a kernel lock on
// a hidden file in the folder, so it goes with the process that holds it: a copy
// that crashed or was killed leaves nothing that stops the next start.
class DataFolderLock {
public:
    inline static const QString FileName = QStringLiteral(".korvana.lock");

    // Takes the folder for this program. The failure is the message to show
    // before the program ends: another copy has the folder, or the folder
    // cannot be written.
    static Result<std::unique_ptr<DataFolderLock>> acquire(const QString &folder);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

private:
    explicit DataFolderLock(int fd) : m_fd(fd) {}
    int m_fd;
};

// Takes the folder and removes the temporary files that a killed copy of the
// program left beside the data files. The failure is the message to show.
Result<std::unique_ptr<DataFolderLock>> claimDataFolder(const QString &folder);
