#include "Cp1251.h"

#include "LineScan.h"

#include <array>

namespace {

// Unicode code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
// 0x98 is unassigned in Windows-1251 and maps to U+0098 so that every byte
// survives a round trip.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t decodeByte(unsigned char byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    }
    return kUpperHalf[byte - 0x80];
}

std::optional<char> encodeChar(char16_t ch) {
    if (ch < 0x80) {
        return static_cast<char>(ch);
    }
    if (ch >= 0x0410 && ch <= 0x044F) {
        return static_cast<char>(0xC0 + (ch - 0x0410));
    }
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == ch) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

} // namespace

QString fromCp1251(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out[i] = QChar(decodeByte(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

QStringList fromCp1251(const QList<QByteArray> &lines) {
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray &line : lines) {
        texts.append(fromCp1251(line));
    }
    return texts;
}

std::optional<QByteArray> toCp1251(const QString &text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        const std::optional<char> byte = encodeChar(ch.unicode());
        if (!byte) {
            return std::nullopt;
        }
        bytes.append(*byte);
    }
    return bytes;
}

std::optional<char32_t> unstorableOnALine(const QString &text) {
    for (const char32_t codePoint : text.toUcs4()) {
        if (codePoint == U'\r' || codePoint == U'\n' || codePoint > 0xFFFF ||
            !encodeChar(static_cast<char16_t>(codePoint))) {
            return codePoint;
        }
    }
    return std::nullopt;
}

std::optional<TextProblem> checkCp1251Text(QByteArrayView data) {
    LineScanner scanner(data);
    QByteArrayView line;
    while (scanner.next(line)) {
    }
    return scanner.problem();
}
