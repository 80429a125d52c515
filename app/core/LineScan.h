#pragma once

#include "Cp1251.h"

#include <QByteArrayView>
#include <optional>

// Walks a data file's bytes line by line, cutting them as splitLineViews does
// (CR LF, LF or a lone CR ends a line; a last line without a line end is a line),
// and, when asked, checks them as checkCp1251Text does in the same pass. The
// team lists run to tens of thousands of lines, so the walk looks at eight bytes
// at a time and stops only at a line end or at a byte that the check must see.
class LineScanner {
public:
    enum class Check { Cp1251Text, None };

    explicit LineScanner(QByteArrayView data, Check check = Check::Cp1251Text);

    // The next line as a view into the data; false once the data is used up.
    bool next(QByteArrayView &line);
    // The number of lines handed out so far.
    qsizetype lines() const { return m_line - 1; }
    // Once next() has returned false: the first reason the bytes are not
    // Windows-1251 text, with the same line and words as checkCp1251Text.
    std::optional<TextProblem> problem() const;

private:
    qsizetype findNotable(qsizetype from) const;
    void checkByte(qsizetype &index);

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_line = 1; // 1-based number of the line that next() hands out
    // The bytes are still checked: no byte that text never holds was found yet.
    bool m_checking;
    // Every byte from 0x80 up so far began a whole UTF-8 sequence.
    bool m_allHighBytesAreUtf8 = true;
    qsizetype m_firstUtf8Line = 0;
    std::optional<TextProblem> m_byteProblem;
};
