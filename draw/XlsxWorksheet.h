#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <pugixml.hpp>

// The XML of a worksheet part as the spreadsheet edits it: cells named as a
// formula names them, rows and cells kept in order, and the worksheet's
// children in the order the file format requires. The header is for draw/ and
// its tests only: it needs pugixml.

struct CellRef {
    int column = 0; // 1-based, A = 1
    int row = 0;    // 1-based

    // "E8"
    QString name() const;
};

// "a2", "E8": up to three letters and a row number, as a formula names a cell.
// Empty for anything else, and past the last column (XFD) or row.
std::optional<CellRef> parseCellRef(QStringView text);

// Adds a child to the worksheet in the place the format gives it.
pugi::xml_node insertInOrder(pugi::xml_node worksheet, const char *name);

// Writes text into a cell as a string of its own: the row and the cell are
// added in order when the sheet has none, the cell keeps its style, and the
// sheet's used range, when it records one, widens to hold the cell.
void writeCellText(pugi::xml_node worksheet, const CellRef &ref, const QString &text);
