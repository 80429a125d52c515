#include "SheetPage.h"

#include "Elide.h"
#include "FileWriting.h"
#include "Tournament.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <array>
#include <numeric>

namespace {

// The template's grid in points, measured as LibreOffice prints it: the column
// widths (pixels of the default font times 0.79) and the row heights.
constexpr std::array<double, 8> kColumns = {45.8, 85.3, 85.3, 26.1, 89.3, 23.7, 23.7, 23.7};
constexpr std::array<double, 19> kRows = {20, 20, 20, 20, 20, 20, 20, 20, 20, 16, 20, 26, 26, 26, 36, 20, 26, 26, 26};
// The prize picture's place from the top left corner of the sheet.
constexpr QRectF kPicture(263, 115, 60, 60);
// Margins in points: left and right 0.7 inch, top and bottom 0.6 inch.
constexpr double kSideMargin = 50.4;
constexpr double kEndMargin = 43.2;

const char *const kFontFamily = "Liberation Sans";

enum class Kind { Heading, Entry, Score, Place, Label, Title, Section, Caption };

class Grid {
public:
    // fontScale turns a size in points into the size that the scaled painter
    // draws at that many points.
    Grid(QPainter &painter, QPointF origin, double fontScale)
        : m_painter(painter), m_origin(origin), m_fontScale(fontScale) {}

    // The rectangle of the cells from (row, col) to (lastRow, lastCol).
    QRectF cells(int row, int col, int lastRow, int lastCol) const {
        const double left = std::accumulate(kColumns.begin(), kColumns.begin() + col, 0.0);
        const double right = std::accumulate(kColumns.begin(), kColumns.begin() + lastCol + 1, 0.0);
        const double top = std::accumulate(kRows.begin(), kRows.begin() + row, 0.0);
        const double bottom = std::accumulate(kRows.begin(), kRows.begin() + lastRow + 1, 0.0);
        return QRectF(left, top, right - left, bottom - top).translated(m_origin);
    }
    QRectF cell(int row, int col) const { return cells(row, col, row, col); }

    void text(const QRectF &area, Kind kind, const QString &whole) {
        if (whole.isEmpty()) {
            return;
        }
        // A name of any length is laid out as at most a cell's worth.
        const QString text = elided(whole);
        QFont font(QString::fromLatin1(kFontFamily));
        font.setPointSizeF(10);
        int flags = Qt::AlignVCenter;
        QRectF box = area;
        switch (kind) {
        case Kind::Heading:
            font.setBold(true);
            flags |= Qt::AlignHCenter;
            break;
        case Kind::Entry:
        case Kind::Score:
            font.setPointSizeF(11);
            flags |= Qt::AlignHCenter;
            break;
        case Kind::Place:
            font.setPointSizeF(11);
            font.setBold(true);
            flags |= Qt::AlignHCenter;
            break;
        case Kind::Label:
            font.setPointSizeF(9);
            flags |= Qt::AlignRight;
            box.adjust(0, 0, -6, 0);
            break;
        case Kind::Title:
            font.setPointSizeF(16);
            font.setBold(true);
            flags |= Qt::AlignHCenter;
            break;
        case Kind::Section:
            font.setPointSizeF(12);
            font.setBold(true);
            flags = Qt::AlignBottom | Qt::AlignLeft;
            break;
        case Kind::Caption:
            font.setPointSizeF(9);
            font.setItalic(true);
            flags = Qt::AlignBottom | Qt::AlignLeft | Qt::TextWordWrap;
            break;
        }
        box.adjust(2, 0, -2, 0);
        font.setPointSizeF(font.pointSizeF() * m_fontScale);
        if (kind == Kind::Entry) {
            // A long name shrinks to fit its cell, as in the template.
            const double width = QFontMetricsF(font, m_painter.device()).horizontalAdvance(text);
            if (width > box.width()) {
                font.setPointSizeF(std::max(4.0 * m_fontScale, font.pointSizeF() * box.width() / width));
            }
        }
        m_painter.setFont(font);
        m_painter.setPen(kind == Kind::Label ? QColor(0x59, 0x59, 0x59) : QColor(Qt::black));
        m_painter.drawText(box, flags, text);
    }

    // A block of cells with a medium frame around it and thin lines inside; the
    // heading row, when asked for, is shaded. A heading merged over the first two
    // columns has no line between them.
    void block(int firstRow, int firstCol, int lastRow, int lastCol, bool shadedHeading, bool mergedHeading = false) {
        if (shadedHeading) {
            m_painter.fillRect(cells(firstRow, firstCol, firstRow, lastCol), QColor(0xD9, 0xE1, 0xF2));
        }
        m_painter.setBrush(Qt::NoBrush);
        m_painter.setPen(QPen(Qt::black, 0.5));
        for (int row = firstRow + 1; row <= lastRow; ++row) {
            const QRectF top = cells(row, firstCol, row, lastCol);
            m_painter.drawLine(top.topLeft(), top.topRight());
        }
        for (int col = firstCol + 1; col <= lastCol; ++col) {
            const bool merged = mergedHeading && col == firstCol + 1;
            const QRectF left = cells(merged ? firstRow + 1 : firstRow, col, lastRow, col);
            m_painter.drawLine(left.topLeft(), left.bottomLeft());
        }
        m_painter.setPen(QPen(Qt::black, 1.5));
        m_painter.drawRect(cells(firstRow, firstCol, lastRow, lastCol));
    }

    // A line to write on by hand along the bottom of the cells.
    void line(int row, int firstCol, int lastCol) {
        const QRectF area = cells(row, firstCol, row, lastCol);
        m_painter.setPen(QPen(Qt::black, 0.5));
        m_painter.drawLine(area.bottomLeft(), area.bottomRight());
    }

private:
    QPainter &m_painter;
    QPointF m_origin;
    double m_fontScale;
};

// A block of matches as the template has it: a heading over the two team
// columns, "Счёт" over the score column and a label for each match on the left.
void matchBlock(Grid &grid, int headingRow, const QString &heading, int firstMatch, const FirstRoundTeams *firstRound) {
    grid.block(headingRow, 1, headingRow + 3, 3, true, true);
    grid.text(grid.cells(headingRow, 1, headingRow, 2), Kind::Heading, heading);
    grid.text(grid.cell(headingRow, 3), Kind::Heading, QStringLiteral("Счёт"));
    for (int match = 0; match < kFirstRoundMatches; ++match) {
        const int row = headingRow + 1 + match;
        grid.text(grid.cell(row, 0), Kind::Label, QStringLiteral("Матч %1").arg(firstMatch + match));
        if (firstRound) {
            grid.text(grid.cell(row, 1), Kind::Entry, (*firstRound)[match][0]);
            grid.text(grid.cell(row, 2), Kind::Entry, (*firstRound)[match][1]);
        }
    }
}

} // namespace

void setSheetPageLayout(QPagedPaintDevice &device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kSideMargin, kEndMargin, kSideMargin, kEndMargin), QPageLayout::Point));
}

void paintSheetPage(QPainter &painter, const QPagedPaintDevice &device, const TournamentSheet &sheet) {
    painter.save();
    // The painter starts at the top left corner of the printable area in device
    // pixels; the sheet is drawn in points. Fonts are sized for the device, so
    // their point sizes are taken down by the same scale.
    const double scale = device.logicalDpiY() / 72.0;
    painter.scale(device.logicalDpiX() / 72.0, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF page = device.pageLayout().paintRect(QPageLayout::Point);
    const double sheetWidth = std::accumulate(kColumns.begin(), kColumns.end(), 0.0);
    Grid grid(painter, QPointF(std::max(0.0, (page.width() - sheetWidth) / 2), 0), 1 / scale);

    // Players and their teams.
    grid.block(0, 0, 3, 1, true);
    grid.text(grid.cell(0, 0), Kind::Heading, QStringLiteral("Игрок"));
    grid.text(grid.cell(0, 1), Kind::Heading, QStringLiteral("Команда"));
    for (int k = 0; k < kPlayers; ++k) {
        grid.text(grid.cell(1 + k, 0), Kind::Entry, sheet.players[k]);
        grid.text(grid.cell(1 + k, 1), Kind::Entry, sheet.teams[k]);
    }

    // The title, a line for the date and the caption of the prize.
    grid.text(grid.cells(0, 2, 0, 7), Kind::Title, QStringLiteral("Турнир"));
    grid.text(grid.cell(1, 4), Kind::Label, QStringLiteral("Дата:"));
    grid.line(1, 5, 7);
    grid.text(grid.cells(3, 4, 4, 7), Kind::Caption, QStringLiteral("Приз за лучшего бомбардира (прошлый турнир)"));

    matchBlock(grid, 5, QStringLiteral("Первый круг"), 1, &sheet.firstRound);
    matchBlock(grid, 10, QStringLiteral("Второй круг"), 4, nullptr);

    // The final table, filled in by hand.
    grid.text(grid.cell(14, 0).adjusted(0, 0, 200, 0), Kind::Section, QStringLiteral("Итоговая таблица"));
    grid.block(15, 0, 18, 7, true);
    const std::array<const char *, 8> headings = {"Место", "Игрок", "Команда", "Очки", "Мячи", "В", "Н", "П"};
    for (int col = 0; col < 8; ++col) {
        grid.text(grid.cell(15, col), Kind::Heading, QString::fromUtf8(headings[static_cast<size_t>(col)]));
    }
    for (int place = 1; place <= kPlayers; ++place) {
        grid.text(grid.cell(15 + place, 0), Kind::Place, QString::number(place));
    }

    // The prize picture beside the first round.
    if (!sheet.prizePicture.isEmpty()) {
        const QImage picture(sheet.prizePicture);
        if (!picture.isNull()) {
            painter.drawImage(kPicture.translated(grid.cell(0, 0).topLeft()), picture);
        }
    }

    // The footer at the bottom right of the page.
    QFont footer(QString::fromLatin1(kFontFamily));
    footer.setPointSizeF(8 / scale);
    painter.setFont(footer);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, page.height() - 12, page.width(), 12), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Korvana 3"));
    painter.restore();
}

Status writeSheetPdf(const TournamentSheet &sheet, const QString &pdfPath) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Турнир"));
        writer.setCreator(QStringLiteral("Korvana 3"));
        writer.setResolution(300);
        setSheetPageLayout(writer);
        QPainter painter;
        if (!painter.begin(&writer)) {
            return Failure{QStringLiteral("Не удалось нарисовать лист турнира для PDF.")};
        }
        paintSheetPage(painter, writer, sheet);
        painter.end();
    }
    return writeFileBytes(pdfPath, bytes);
}

QString pdfFileName(const QString &chosen) {
    return chosen.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? chosen : chosen + QStringLiteral(".pdf");
}
