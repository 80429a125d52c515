#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Tables as CSV for spreadsheets: UTF-8 with a byte-order mark (so that
// LibreOffice and Excel take the text as UTF-8), ';' between the fields, CR LF
// after every record. A field holding ';', '"', CR or LF is put in quotes with
// its quotes doubled. A field that a spreadsheet would run as a formula (it
// starts with '=', '+', '-', '@', a tab or CR, and is not a plain negative
// number) gets a leading apostrophe, so that a player named "=HYPERLINK(...)"
// stays a name. Every other field is written as it stands.

QByteArray csvBytes(const QStringList &header, const std::vector<QStringList> &rows);

// Writes the table to the file whole or not at all; the failure names the file.
Status writeCsvFile(const QString &fileName, const QStringList &header, const std::vector<QStringList> &rows);
