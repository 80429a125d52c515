#pragma once

#include "Result.h"
#include "TournamentSheet.h"

#include <QString>

class QPagedPaintDevice;
class QPainter;

// The tournament sheet drawn by the program itself, for the printer and for PDF:
// the same page as the template "table.xlsx" once filled. A4 upright, the sheet
// centred across the page and at its top margin: players and their teams, the
// title and a line for the date, the prize picture beside the first round, the
// second round and the final table empty for handwriting, and the footer.

// Gives the device the sheet's page: A4 portrait with the template's margins.
void setSheetPageLayout(QPagedPaintDevice &device);

// Paints the sheet on the current page of the device that the painter is open
// on, which must be the given device. Names are drawn as plain text; a prize
// picture that is not given or cannot be read leaves its place empty.
void paintSheetPage(QPainter &painter, const QPagedPaintDevice &device, const TournamentSheet &sheet);

// Writes the sheet as a one-page PDF. The file appears whole or not at all: the
// page is made in memory and replaces the file in one step.
Status writeSheetPdf(const TournamentSheet &sheet, const QString &pdfPath);

// The name the PDF is saved under: the chosen one, with ".pdf" added unless it
// already ends in it (in any letter case), so "sheet.v2" becomes "sheet.v2.pdf".
QString pdfFileName(const QString &chosen);
