#pragma once

#include "Result.h"

#include <QString>

// The spreadsheet application as the final table drives it: a template is
// opened, cells are written, the cursor is placed, the prize picture is put on
// the sheet and the workbook is shown to the user for printing. A new object
// stands for a new instance of the application. Each call reports a failure in
// a text that names the file or the call that failed.
class Spreadsheet {
public:
    // What "show" did: the workbook that the user sees, and whether the
    // desktop accepted to open it. When it did not, the file is still written
    // and the user can open it by hand.
    struct Shown {
        QString file;
        bool desktopOpened = false;
    };

    virtual ~Spreadsheet() = default;

    // Opens the workbook from a template; the template itself is never changed.
    virtual Status open(const QString &templatePath) = 0;
    // Writes text into a cell of the first sheet, named as in "a2" or "C9".
    virtual Status putRange(const QString &cell, const QString &text) = 0;
    // Puts the cell cursor on a cell.
    virtual Status select(const QString &cell) = 0;
    // Puts a picture on the sheet at a position and size in points. The
    // workbook keeps its own copy of the picture when saveWithDocument is set.
    virtual Status addPicture(const QString &path, bool linkToFile, bool saveWithDocument, double left, double top,
                              double width, double height) = 0;
    // Makes the workbook visible to the user.
    virtual Result<Shown> show() = 0;
};
