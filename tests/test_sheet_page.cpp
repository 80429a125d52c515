// The tournament sheet that the program draws itself, checked in the PDF it
// writes through poppler's tools.
#include "SheetPage.h"
#include "Support.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

namespace {

class SheetPage : public WorkDirTest {
protected:
    // The output of a poppler tool; an empty string when it failed.
    static QString run(const QString &tool, const QStringList &arguments) {
        QProcess process;
        process.start(tool, arguments);
        EXPECT_TRUE(process.waitForFinished(30000)) << tool.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The PDF's text with its layout kept, one string per line, or skips.
    QStringList layoutLines(const QString &pdf) {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) {
            return {};
        }
        return run(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).split(u'\n');
    }

    static int lineWith(const QStringList &lines, const QString &text) {
        for (int k = 0; k < lines.size(); ++k) {
            if (lines[k].contains(text)) {
                return k;
            }
        }
        return -1;
    }

    TournamentSheet sheet() const {
        TournamentSheet values;
        values.players = {QStringLiteral("Вася"), QStringLiteral("Петя <b>"), QStringLiteral("Коля & Ко")};
        values.teams = {QStringLiteral("Бавария"), QStringLiteral("Ювентус"), QStringLiteral("Челси")};
        values.firstRound = {{{QStringLiteral("Ювентус"), QStringLiteral("Челси")},
                              {QStringLiteral("Бавария"), QStringLiteral("Ювентус")},
                              {QStringLiteral("Челси"), QStringLiteral("Бавария")}}};
        return values;
    }
};

} // namespace

TEST_F(SheetPage, PlayersTeamsAndTheFirstRoundStandInTheirPlacesAsPlainText) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const Status written = writeSheetPdf(sheet(), path("sheet.pdf"));
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    const QStringList lines = layoutLines(path("sheet.pdf"));

    // Each player on the line of his team, his name first, and the names as typed.
    const TournamentSheet values = sheet();
    int previous = lineWith(lines, QStringLiteral("Игрок"));
    ASSERT_GE(previous, 0) << lines.join(u'\n').toStdString();
    for (int k = 0; k < 3; ++k) {
        const int row = lineWith(lines, values.players[k]);
        ASSERT_GT(row, previous) << values.players[k].toStdString() << "\n" << lines.join(u'\n').toStdString();
        EXPECT_GT(lines[row].indexOf(values.teams[k]), lines[row].indexOf(values.players[k]))
            << lines[row].toStdString();
        previous = row;
    }

    // Below the players the first round, its matches in order, each pair on one line.
    const int firstRound = lineWith(lines, QStringLiteral("Первый круг"));
    EXPECT_GT(firstRound, previous);
    previous = firstRound;
    for (int match = 0; match < 3; ++match) {
        const int row = lineWith(lines, QStringLiteral("Матч %1").arg(match + 1));
        ASSERT_GT(row, previous) << lines.join(u'\n').toStdString();
        const QString &line = lines[row];
        const qsizetype first = line.indexOf(values.firstRound[match][0]);
        const qsizetype second = line.indexOf(values.firstRound[match][1], first + 1);
        EXPECT_GE(first, 0) << line.toStdString();
        EXPECT_GT(second, first) << line.toStdString();
        previous = row;
    }

    // Then the second round and the final table, left for handwriting.
    const int secondRound = lineWith(lines, QStringLiteral("Второй круг"));
    const int table = lineWith(lines, QStringLiteral("Итоговая таблица"));
    EXPECT_GT(secondRound, previous);
    EXPECT_GT(table, secondRound);
}

TEST_F(SheetPage, ThePageIsA4PortraitWithThePrizePictureBesideTheFirstRound) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) {
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    }
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(path("prize.png")));
    TournamentSheet values = sheet();
    values.prizePicture = path("prize.png");
    ASSERT_TRUE(writeSheetPdf(values, path("sheet.pdf")).ok());

    // At 72 dpi a pixel is a point, so the page is A4 upright. The sheet is
    // centred across the page and starts at the top margin; the picture stands
    // 263 points right of its left edge and 115 below its top, 60 points square.
    run(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-singlefile"),
                   path("sheet.pdf"), path("page")});
    const QImage page(path("page.png"));
    ASSERT_EQ(page.size(), QSize(595, 842));
    const double sheetLeft = (595 - 403.0) / 2;
    const QPoint inside(qRound(sheetLeft + 263 + 30), qRound(43.2 + 115 + 30));
    const auto isRed = [](QColor colour) { return colour.red() > 200 && colour.green() < 50 && colour.blue() < 50; };
    EXPECT_TRUE(isRed(page.pixelColor(inside)));
    EXPECT_TRUE(isRed(page.pixelColor(inside + QPoint(-27, -27))));
    EXPECT_TRUE(isRed(page.pixelColor(inside + QPoint(27, 27))));
    EXPECT_FALSE(isRed(page.pixelColor(inside + QPoint(-33, 0)))) << "the picture is 60 points wide";
    EXPECT_FALSE(isRed(page.pixelColor(inside + QPoint(0, 33)))) << "the picture is 60 points high";
}

TEST_F(SheetPage, AFailedWriteKeepsTheOldFile) {
    write("sheet.pdf", "old");
    Status written;
    {
        const FileSizeLimit fullDisk(1000);
        written = writeSheetPdf(sheet(), path("sheet.pdf"));
    }
    EXPECT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QStringLiteral("sheet.pdf"))) << written.error().toStdString();
    EXPECT_EQ(read("sheet.pdf"), "old");
}
