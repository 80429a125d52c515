#pragma once

#include "FileWriting.h"
#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// A data file is a sequence of lines of bytes. Reading accepts CR LF, LF and a
// lone CR as line ends; a last line without a line end is a line, and an empty
// line is a line. Writing ends every line with CR LF.
using Lines = QList<QByteArray>;

namespace DataFile {
inline const QString Settings = QStringLiteral("settings.ini");
inline const QString Teams4 = QStringLiteral("teams4.txt");
inline const QString Teams45 = QStringLiteral("teams45.txt");
inline const QString Teams5 = QStringLiteral("teams5.txt");
inline const QString NatTeams45 = QStringLiteral("natteams45.txt");
inline const QString NatTeams5 = QStringLiteral("natteams5.txt");
inline const QString NatTeams = QStringLiteral("natteams.txt");
inline const QString UsedTeamsLog = QStringLiteral("all_last.txt");
inline const QString LastTournament = QStringLiteral("last.txt");
inline const QString Gift = QStringLiteral("gift.txt");
inline const QString PoolRemainder = QStringLiteral("temp");
} // namespace DataFile

// Every data file that the program writes in the working directory.
QStringList dataFileNames();

// The five lists that can be the list of a run, in the order in which their
// lines are counted at start-up.
inline const std::array<QString, 5> kRunLists = {DataFile::Teams4, DataFile::Teams45, DataFile::Teams5,
                                                 DataFile::NatTeams45, DataFile::NatTeams5};

// How the program names a list of the run to the user.
struct TeamListNames {
    QString captionSuffix;    // of the main window while the list is the list of the run
    QString exhaustedMessage; // shown when a draw finds the list run dry
};

// The names of one of the five lists, or of "natteams.txt" (which has no caption
// suffix); empty texts for any other file name.
TeamListNames teamListNames(const QString &listFile);

// The lines of the data, as views into it.
QList<QByteArrayView> splitLineViews(QByteArrayView data);
Lines splitLines(QByteArrayView data);
QByteArray joinLines(const Lines &lines); // every line followed by CR LF

// The lines of a whole file without a copy of each line: the object keeps the
// file's bytes and views into them. Used for the team lists, which can run to
// tens of thousands of lines.
class LineFile {
public:
    LineFile() = default;
    explicit LineFile(QByteArray bytes);

    qsizetype size() const { return m_lines.size(); }
    QByteArrayView operator[](qsizetype index) const { return m_lines[index]; }
    QList<QByteArrayView>::const_iterator begin() const { return m_lines.cbegin(); }
    QList<QByteArrayView>::const_iterator end() const { return m_lines.cend(); }

private:
    QByteArray m_bytes; // never modified, so the views stay valid in every copy
    QList<QByteArrayView> m_lines;
};

// The text that tells the user which file failed and why; a missing file reads
// "File not found".
QString fileErrorText(const QString &fileName, const QString &reason);
// Fails, naming the file, when it is missing, a folder, or not a regular file (a
// pipe or a device would block a reading or never end it); notRegular says why
// such a file does not serve.
Status checkRegularFile(const QString &fileName, const QString &notRegular);

Result<QByteArray> readFileBytes(const QString &fileName);
Result<Lines> readLines(const QString &fileName);
Result<LineFile> readLineFile(const QString &fileName);

// Replaces the whole file (see writeFileBytes): a failed write, and a crash
// unless the write is unsynced, leaves the old content.
Status writeLines(const QString &fileName, const Lines &lines, Durability durability = Durability::Synced);
// Appends the lines, one each, whole or not at all (see appendOnNewLine).
Status appendLines(const QString &fileName, const Lines &lines);

// The line at a 0-based index, or an empty line where the file has none.
QByteArray lineAt(const Lines &lines, qsizetype index);

// The directory of the program's shipped files (pictures and templates) with a
// final separator. In a build tree they lie beside the executable; an installed
// program finds them in its share folder, named relative to the executable's
// folder so that the installed tree can be moved whole.
QString programDirectory();
// The rule behind it: the executable's folder when it holds the shipped files,
// else installedFiles (relative to it) when that does, else the executable's
// folder, so that a message about a missing file names the place it was sought.
QString programDirectoryFor(const QString &executableDir, const QString &installedFiles);
