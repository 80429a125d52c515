#include "EditorText.h"

#include "CharacterNames.h"
#include "Cp1251.h"
#include "DataFiles.h"

#include <QStringList>

namespace {

bool isLineBreak(QChar ch) {
    return ch == u'\n' || ch == u'\r' || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator;
}

// The editor's lines; CR LF counts as one break.
QStringList editorLines(const QString &text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i])) {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

} // namespace

EditorText editorText(QByteArrayView bytes) {
    const QList<QByteArrayView> lines = splitLineViews(bytes);
    EditorText result;
    result.lines = lines.size();
    qsizetype size = lines.isEmpty() ? 0 : lines.size() - 1;
    for (const QByteArrayView line : lines) {
        size += line.size();
    }
    result.text.reserve(size);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            result.text.append(u'\n');
        }
        result.text.append(fromCp1251(lines[i]));
    }
    // The editor shows the file's text as it is, its final line end included, so
    // that saving an unchanged file gives the same lines back (an empty last
    // line among them).
    if (!bytes.isEmpty() && (bytes.back() == '\n' || bytes.back() == '\r')) {
        result.text.append(u'\n');
    }
    return result;
}

Result<EditorText> loadEditorText(const QString &fileName) {
    const Result<QByteArray> bytes = readFileBytes(fileName);
    if (!bytes.ok()) {
        return bytes.status();
    }
    return editorText(bytes.value());
}

Result<QByteArray> editorBytes(const QString &text, const QString &fileName) {
    const QStringList lines = editorLines(text);
    QByteArray bytes;
    bytes.reserve(text.size() + lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The text is split into lines already, so only a character that the code
        // page lacks can stand in the way.
        if (const std::optional<char32_t> bad = unstorableOnALine(lines[i])) {
            return Failure{QStringLiteral("Файл %1 не сохранён: символ %2 в строке %3 нельзя записать в "
                                          "кодировке Windows-1251. Исправьте строку и сохраните снова.")
                               .arg(fileName, describeCharacter(*bad))
                               .arg(i + 1)};
        }
        const QByteArray line = toCp1251(lines[i]).value();
        if (i > 0) {
            bytes.append("\r\n", 2);
        }
        bytes.append(line);
    }
    return bytes;
}

QString lineCountCaption(qsizetype lines) {
    return QStringLiteral("(%1)").arg(lines);
}
