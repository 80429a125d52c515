#pragma once

#include "Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The team lists and the used-teams log as their editors show and save them.
// A file is shown line by line, decoded from Windows-1251; whatever line ends it
// has (CR LF, LF or a lone CR), its lines appear as lines of the editor. The
// editor's text is saved as Windows-1251 with its lines separated by CR LF and
// no line end after the last line.

struct EditorText {
    QString text;        // the lines joined by '\n', and '\n' after the last when the file ends with a line end
    qsizetype lines = 0; // the lines of the file: a final line end starts no further line
};

EditorText editorText(QByteArrayView bytes);
Result<EditorText> loadEditorText(const QString &fileName);

// The bytes that a file is saved as from an editor's text. The text may separate
// its lines with '\n', CR LF, a lone CR or the Unicode line and paragraph
// separators. A character that Windows-1251 cannot hold fails the save: the
// message names the file, the first such character and its line.
Result<QByteArray> editorBytes(const QString &text, const QString &fileName);

// "(37)": the line count as the team lists window shows it under its list.
QString lineCountCaption(qsizetype lines);
