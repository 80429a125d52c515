#pragma once

#include "Result.h"
#include "Spreadsheet.h"
#include "Tournament.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

// What the printed tournament sheet shows, as the main window holds it: the
// players, their teams and the first round of the tournament, and the prize.
struct TournamentSheet : Tournament {
    QString prizePicture; // the picture recorded in "gift.txt"; may be empty
    QString date;         // the tournament's date as "last.txt" records it; may be empty
};

// The sheet was filled and shown, or at least written: the file, whether the
// desktop opened it, and the messages that the user should read before the
// final table goes on (a prize picture that could not be put on the sheet, a
// sheet that the desktop could not show).
struct SheetExport {
    QString file;
    bool desktopOpened = false;
    QStringList notices;
};

// The template beside the program: its directory followed by "table.xlsx".
QString tournamentTemplatePath();
// Where the filled sheets are written: a folder "Korvana 3" in the user's cache.
QString tournamentSheetFolder();
// The spreadsheet that the program uses; each call starts a new one.
std::unique_ptr<Spreadsheet> makeTournamentSpreadsheet();

// Fills the template and shows it: the template is opened, the twelve cells are
// written from "a2" to "c9", the cursor goes to "e8", the prize picture goes to
// left 263, top 115, 60 x 60 points, and the workbook is shown. A failure stops
// at its step. A prize picture that is not recorded or not found leaves the
// sheet without a picture and a notice.
Result<SheetExport> exportTournamentSheet(Spreadsheet &sheet, const TournamentSheet &values,
                                          const QString &templatePath = tournamentTemplatePath());
