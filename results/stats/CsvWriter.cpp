#include "CsvWriter.h"

#include "FileWriting.h"

#include <algorithm>

namespace {

// Whether a spreadsheet could take the field for a formula: it starts with one
// of the characters that begin a formula in LibreOffice or Excel. A plain whole
// number ("-3", a goal difference) is a number there, not a formula, and stays
// a number.
bool opensAsFormula(const QString &field) {
    if (field.isEmpty() || !QStringView(u"=+-@\t\r").contains(field.front())) {
        return false;
    }
    const bool number = field.size() > 1 && field.front() == u'-' &&
                        std::all_of(field.begin() + 1, field.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return !number;
}

void appendField(QString &out, const QString &text) {
    // A leading apostrophe keeps such a field a text, as spreadsheets show it.
    const QString field = opensAsFormula(text) ? u'\'' + text : text;
    const bool quoted = field.contains(u';') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n');
    if (!quoted) {
        out += field;
        return;
    }
    out += u'"';
    for (const QChar c : field) {
        if (c == u'"') {
            out += u'"';
        }
        out += c;
    }
    out += u'"';
}

void appendRecord(QString &out, const QStringList &fields) {
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k > 0) {
            out += u';';
        }
        appendField(out, fields[k]);
    }
    out += QStringLiteral("\r\n");
}

} // namespace

QByteArray csvBytes(const QStringList &header, const std::vector<QStringList> &rows) {
    QString text;
    appendRecord(text, header);
    for (const QStringList &row : rows) {
        appendRecord(text, row);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

Status writeCsvFile(const QString &fileName, const QStringList &header, const std::vector<QStringList> &rows) {
    return writeFileBytes(fileName, csvBytes(header, rows));
}
