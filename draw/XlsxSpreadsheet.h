#pragma once

#include "Spreadsheet.h"

#include <QString>
#include <memory>

// The spreadsheet on Linux: fills a copy of an .xlsx template in memory and, on
// "show", writes it as a new file in the output folder and hands that file to
// the desktop's spreadsheet application. Every show writes a new file, since an
// application that still has an earlier sheet open keeps a lock on it. The file
// appears only whole, and the folder keeps the newest 30 sheets.
std::unique_ptr<Spreadsheet> makeXlsxSpreadsheet(const QString &outputFolder);
