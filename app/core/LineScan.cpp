#include "LineScan.h"

#include <QtEndian>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Word = quint64;
constexpr Word kOnes = 0x0101010101010101ULL;
constexpr Word kHighBits = 0x8080808080808080ULL;

// The top bit of every byte of the word that is below n (n at most 0x80). Above
// a marked byte a borrow may mark more, but the lowest marked byte is always
// right, and only the lowest one is used.
constexpr Word bytesBelow(Word word, unsigned n) {
    return (word - kOnes * n) & ~word & kHighBits;
}

constexpr Word bytesEqual(Word word, unsigned value) {
    return bytesBelow(word ^ (kOnes * value), 1);
}

// Length of a valid UTF-8 multi-byte sequence starting at data[i], or 0.
qsizetype utf8SequenceLength(const char *data, qsizetype size, qsizetype i) {
    const auto lead = static_cast<unsigned char>(data[i]);
    qsizetype length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > size) {
        return 0;
    }
    for (qsizetype k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(data[i + k]);
        if (next < 0x80 || next > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

} // namespace

LineScanner::LineScanner(QByteArrayView data, Check check)
    : m_data(data.data()), m_size(data.size()), m_checking(check == Check::Cp1251Text) {}

// The first byte from `from` on that is a line end or that the check must look
// at; m_size when there is none. Which bytes the check must see shrinks as it
// learns: high bytes only while the file may still be UTF-8, nothing but line
// ends once it has found its problem.
qsizetype LineScanner::findNotable(qsizetype from) const {
    qsizetype i = from;
#if defined(__SSE2__)
    // Sixteen bytes at a time where the processor compares them all at once. A
    // byte less x, stopped at zero, is zero for every byte up to x.
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const __m128i lastLineEnd = _mm_set1_epi8('\r');
    const __m128i deleteByte = _mm_set1_epi8(0x7F);
    const __m128i unassigned = _mm_set1_epi8(static_cast<char>(0x98));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= m_size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m_data + i));
        int notable = 0;
        if (!m_checking) {
            notable = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(bytes, lastLineEnd), zero));
        } else {
            const __m128i control = _mm_cmpeq_epi8(_mm_subs_epu8(bytes, lastControl), zero);
            notable = _mm_movemask_epi8(_mm_or_si128(
                control, _mm_or_si128(_mm_cmpeq_epi8(bytes, deleteByte), _mm_cmpeq_epi8(bytes, unassigned))));
            if (m_allHighBytesAreUtf8) {
                notable |= _mm_movemask_epi8(bytes);
            }
        }
        if (notable != 0) {
            return i + std::countr_zero(static_cast<unsigned>(notable));
        }
    }
#endif
    for (; i + qsizetype(sizeof(Word)) <= m_size; i += sizeof(Word)) {
        const Word word = qFromLittleEndian<Word>(m_data + i);
        Word notable = 0;
        if (!m_checking) {
            notable = bytesBelow(word, '\r' + 1);
        } else {
            notable = bytesBelow(word, 0x20) | bytesEqual(word, 0x7F) | bytesEqual(word, 0x98);
            if (m_allHighBytesAreUtf8) {
                notable |= word & kHighBits;
            }
        }
        if (notable != 0) {
            return i + std::countr_zero(notable) / 8;
        }
    }
    for (; i < m_size; ++i) {
        const auto byte = static_cast<unsigned char>(m_data[i]);
        if (byte <= '\r' ||
            (m_checking && (byte < 0x20 || byte == 0x7F || byte == 0x98 || (byte >= 0x80 && m_allHighBytesAreUtf8)))) {
            break;
        }
    }
    return i;
}

// Looks at a byte inside a line and moves past it, or past the whole UTF-8
// sequence that it begins.
void LineScanner::checkByte(qsizetype &index) {
    const auto byte = static_cast<unsigned char>(m_data[index]);
    ++index;
    if (!m_checking || byte == '\t') {
        return;
    }
    if (byte < 0x20 || byte == 0x7F || byte == 0x98) {
        const QString hex = QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        m_byteProblem = TextProblem{m_line, QStringLiteral("байт 0x%1 не бывает в тексте Windows-1251").arg(hex)};
        m_checking = false;
        return;
    }
    if (byte >= 0x80 && m_allHighBytesAreUtf8) {
        const qsizetype length = utf8SequenceLength(m_data, m_size, index - 1);
        if (length == 0) {
            m_allHighBytesAreUtf8 = false;
            return;
        }
        if (m_firstUtf8Line == 0) {
            m_firstUtf8Line = m_line;
        }
        index += length - 1;
    }
}

bool LineScanner::next(QByteArrayView &line) {
    if (m_pos >= m_size) {
        return false;
    }
    const qsizetype start = m_pos;
    qsizetype i = start;
    for (;;) {
        i = findNotable(i);
        if (i == m_size) {
            line = QByteArrayView(m_data + start, i - start);
            m_pos = i;
            break;
        }
        if (isLineEnd(m_data[i])) {
            line = QByteArrayView(m_data + start, i - start);
            m_pos = m_data[i] == '\r' && i + 1 < m_size && m_data[i + 1] == '\n' ? i + 2 : i + 1;
            break;
        }
        checkByte(i);
    }
    ++m_line;
    return true;
}

std::optional<TextProblem> LineScanner::problem() const {
    if (m_byteProblem) {
        return m_byteProblem;
    }
    // Russian text in Windows-1251 practically never forms valid UTF-8 sequences,
    // so a file whose every non-ASCII byte does is a file saved as UTF-8.
    if (m_checking && m_allHighBytesAreUtf8 && m_firstUtf8Line != 0) {
        return TextProblem{m_firstUtf8Line, QStringLiteral("файл сохранён в UTF-8, а не в Windows-1251")};
    }
    return std::nullopt;
}
