#include "CsvWriter.h"

#include "FileWriting.h"

namespace {

void appendField(QString &out, const QString &field) {
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
