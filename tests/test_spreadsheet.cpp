#include "Support.h"
#include "TournamentSheet.h"
#include "XlsxPackage.h"
#include "XlsxSpreadsheet.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Parts = std::map<QString, QByteArray>;

Parts readZip(const QString &path) {
    Parts parts;
    const Result<QByteArray> bytes = readFileBytes(path);
    const std::optional<XlsxPackage> package = bytes.ok() ? XlsxPackage::fromZip(bytes.value()) : std::nullopt;
    if (!package) {
        ADD_FAILURE() << "not a zip: " << path.toStdString();
        return parts;
    }
    for (const XlsxPart &part : package->parts()) {
        parts[part.name] = part.bytes;
    }
    return parts;
}

void writeZip(const QString &path, const Parts &parts) {
    std::vector<XlsxPart> list;
    for (const auto &[name, bytes] : parts) {
        list.push_back({name, bytes});
    }
    const std::optional<QByteArray> zipped = XlsxPackage(std::move(list)).toZip();
    ASSERT_TRUE(zipped.has_value());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(*zipped) == zipped->size())
        << path.toStdString();
}

struct Xml {
    explicit Xml(const QByteArray &bytes) {
        EXPECT_TRUE(document.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size())))
            << bytes.left(200).data();
    }
    pugi::xml_node root() const { return document.document_element(); }
    pugi::xml_node find(const char *xpath) const { return document.select_node(xpath).node(); }
    QString value(const char *xpath) const {
        return QString::fromUtf8(document.select_node(xpath).attribute().value());
    }
    pugi::xml_document document;
};

pugi::xml_node cell(const Xml &sheet, const char *ref) {
    return sheet.root()
        .child("sheetData")
        .find_child_by_attribute("row", "r", QByteArray(ref + 1).constData())
        .find_child_by_attribute("c", "r", ref);
}

const TournamentSheet kValues = {{{"Андрей", "Сергей", "Дмитрий"},
                                  {"Спартак Москва", "Боруссия Дортмунд", "Манчестер Юнайтед"},
                                  {{{"Боруссия Дортмунд", "Спартак Москва"},
                                    {"Спартак Москва", "Манчестер Юнайтед"},
                                    {"Манчестер Юнайтед", "Боруссия Дортмунд"}}},
                                  {}},
                                 {},
                                 {}};

const char *const kCells[] = {"A2", "A3", "A4", "B2", "B3", "B4", "B7", "C7", "B8", "C8", "B9", "C9"};

class SpreadsheetTest : public WorkDirTest {
protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        ASSERT_TRUE(QFile::exists(tournamentTemplatePath())) << "the build stages the template beside the tests";
        // A 64 x 64 bitmap with a pattern, so that a picture stored turned or
        // cut would not compare equal.
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 255));
        QPainter painter(&image);
        painter.fillRect(0, 0, 32, 16, QColor(0, 128, 0));
        painter.fillRect(40, 40, 20, 10, QColor(0, 0, 200));
        painter.end();
        ASSERT_TRUE(image.save(path("ball.bmp"), "BMP"));
        values = kValues;
        values.prizePicture = path("ball.bmp");
    }

    Result<SheetExport> exportSheet(const QString &templatePath = tournamentTemplatePath()) {
        auto sheet = makeXlsxSpreadsheet(path("out"));
        return exportTournamentSheet(*sheet, values, templatePath);
    }

    // A copy of the template with some parts replaced; an empty part is left out.
    QString variantTemplate(const Parts &changes) {
        Parts parts = readZip(tournamentTemplatePath());
        for (const auto &[name, bytes] : changes) {
            if (bytes.isEmpty()) {
                parts.erase(name);
            } else {
                parts[name] = bytes;
            }
        }
        writeZip(path("variant.xlsx"), parts);
        return path("variant.xlsx");
    }

    QStringList written() const { return QDir(path("out")).entryList(QDir::Files); }

    TournamentSheet values;
};

TEST_F(SpreadsheetTest, FillsTheTwelveCellsAsTextInTheirStylesAndPutsTheCursorOnE8) {
    const Xml before(readZip(tournamentTemplatePath())["xl/worksheets/sheet1.xml"]);
    const Result<SheetExport> result = exportSheet();
    ASSERT_TRUE(result.ok()) << result.error().toStdString();
    EXPECT_TRUE(result.value().desktopOpened);
    EXPECT_TRUE(result.value().notices.isEmpty());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(result.value().file));

    const Xml sheet(readZip(result.value().file)["xl/worksheets/sheet1.xml"]);
    const QString expected[] = {values.players[0],       values.players[1],       values.players[2],
                                values.teams[0],         values.teams[1],         values.teams[2],
                                values.firstRound[0][0], values.firstRound[0][1], values.firstRound[1][0],
                                values.firstRound[1][1], values.firstRound[2][0], values.firstRound[2][1]};
    for (int i = 0; i < 12; ++i) {
        const pugi::xml_node filled = cell(sheet, kCells[i]);
        const pugi::xml_node empty = cell(before, kCells[i]);
        ASSERT_TRUE(empty) << kCells[i] << " is a framed cell of the template";
        EXPECT_FALSE(empty.first_child()) << kCells[i] << " is empty in the template";
        EXPECT_STREQ(filled.attribute("t").value(), "inlineStr") << kCells[i];
        EXPECT_EQ(QString::fromUtf8(filled.child("is").child_value("t")), expected[i]) << kCells[i];
        EXPECT_STREQ(filled.attribute("s").value(), empty.attribute("s").value()) << kCells[i] << " keeps its style";
    }
    EXPECT_EQ(QString::fromUtf8(cell(sheet, "A1").child_value("v")),
              QString::fromUtf8(cell(before, "A1").child_value("v")))
        << "the headings stay";
    EXPECT_FALSE(cell(sheet, "E8").first_child());
    EXPECT_EQ(sheet.value("//sheetView/selection/@activeCell"), "E8");
    EXPECT_EQ(sheet.value("//sheetView/selection/@sqref"), "E8");
    EXPECT_EQ(sheet.document.select_nodes("//sheetView/selection").size(), 1u);
}

TEST_F(SpreadsheetTest, PutsThePrizePictureAtItsPlaceInPointsWithItsRelationships) {
    const Result<SheetExport> result = exportSheet();
    ASSERT_TRUE(result.ok()) << result.error().toStdString();
    Parts parts = readZip(result.value().file);

    const Xml sheet(parts["xl/worksheets/sheet1.xml"]);
    EXPECT_STREQ(sheet.root().attribute("xmlns:r").value(),
                 "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    const pugi::xml_node drawingRef = sheet.root().child("drawing");
    ASSERT_TRUE(drawingRef);
    EXPECT_STREQ(drawingRef.previous_sibling().name(), "headerFooter");
    EXPECT_FALSE(drawingRef.next_sibling());

    const Xml sheetRels(parts["xl/worksheets/_rels/sheet1.xml.rels"]);
    const pugi::xml_node toDrawing =
        sheetRels.root().find_child_by_attribute("Relationship", "Id", drawingRef.attribute("r:id").value());
    EXPECT_STREQ(toDrawing.attribute("Type").value(),
                 "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing");
    EXPECT_STREQ(toDrawing.attribute("Target").value(), "../drawings/drawing1.xml");

    const Xml drawing(parts["xl/drawings/drawing1.xml"]);
    const pugi::xml_node anchor = drawing.root().child("xdr:absoluteAnchor");
    ASSERT_TRUE(anchor);
    // A point is 12,700 EMU.
    const auto emu = [](pugi::xml_node node, const char *name) { return node.attribute(name).as_llong(); };
    for (const pugi::xml_node place : {anchor, anchor.child("xdr:pic").child("xdr:spPr").child("a:xfrm")}) {
        const pugi::xml_node pos = place.child("xdr:pos") ? place.child("xdr:pos") : place.child("a:off");
        const pugi::xml_node ext = place.child("xdr:ext") ? place.child("xdr:ext") : place.child("a:ext");
        EXPECT_EQ(emu(pos, "x"), 263 * 12700);
        EXPECT_EQ(emu(pos, "y"), 115 * 12700);
        EXPECT_EQ(emu(ext, "cx"), 60 * 12700);
        EXPECT_EQ(emu(ext, "cy"), 60 * 12700);
    }

    const Xml drawingRels(parts["xl/drawings/_rels/drawing1.xml.rels"]);
    const char *imageId = anchor.select_node(".//a:blip").node().attribute("r:embed").value();
    const pugi::xml_node toImage = drawingRels.root().find_child_by_attribute("Relationship", "Id", imageId);
    EXPECT_STREQ(toImage.attribute("Target").value(), "../media/image1.png");
    const QImage stored = QImage::fromData(parts["xl/media/image1.png"], "PNG");
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.convertToFormat(QImage::Format_RGB32),
              QImage(path("ball.bmp")).convertToFormat(QImage::Format_RGB32));

    const Xml types(parts["[Content_Types].xml"]);
    EXPECT_EQ(types.value("//Default[@Extension='png']/@ContentType"), "image/png");
    EXPECT_EQ(types.value("//Override[@PartName='/xl/drawings/drawing1.xml']/@ContentType"),
              "application/vnd.openxmlformats-officedocument.drawing+xml");
}

TEST_F(SpreadsheetTest, LeavesTheTemplateAsItIsAndWritesEveryExportAsANewFile) {
    const QByteArray templateBytes = readFileBytes(tournamentTemplatePath()).value();
    const Result<SheetExport> first = exportSheet();
    const Result<SheetExport> second = exportSheet();
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_NE(first.value().file, second.value().file);
    EXPECT_EQ(written().size(), 2);
    EXPECT_EQ(readFileBytes(tournamentTemplatePath()).value(), templateBytes);
}

TEST_F(SpreadsheetTest, ASheetAppearsOnlyWholeAndTheFolderKeepsTheNewestThirty) {
    // A full disk: no sheet, whole or cut, is left to be handed to the desktop.
    {
        const FileSizeLimit fullDisk(1024);
        const Result<SheetExport> result = exportSheet();
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(result.error().contains(QStringLiteral("Таблица турнира не записана")))
            << result.error().toStdString();
    }
    EXPECT_EQ(folderEntries(path("out")), QStringList());
    EXPECT_TRUE(opened.empty());

    // Thirty-five older sheets and a leftover of a killed export: the newest
    // thirty sheets stay, other files are not touched.
    const QDateTime now = QDateTime::currentDateTime();
    for (int k = 1; k <= 35; ++k) {
        const QString numbered = QStringLiteral("out/Турнир 2026-01-01 10-00-00 (%1).xlsx").arg(k);
        write(numbered, "old sheet");
        QFile file(path(numbered));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(now.addDays(-k), QFileDevice::FileModificationTime);
    }
    write("out/.Турнир 2026-01-01 10-00-00.xlsx.korvana-tmp.AbC123", "cut");
    QFile leftover(path("out/.Турнир 2026-01-01 10-00-00.xlsx.korvana-tmp.AbC123"));
    ASSERT_TRUE(leftover.open(QIODevice::ReadWrite));
    leftover.setFileTime(now.addDays(-1), QFileDevice::FileModificationTime);
    leftover.close();
    write("out/notes.txt", "mine");

    const Result<SheetExport> result = exportSheet();
    ASSERT_TRUE(result.ok()) << result.error().toStdString();
    const QStringList entries = folderEntries(path("out"));
    EXPECT_EQ(entries.size(), 31) << entries.join(u'\n').toStdString();
    EXPECT_TRUE(entries.contains("notes.txt"));
    EXPECT_TRUE(entries.contains(QFileInfo(result.value().file).fileName()));
    EXPECT_TRUE(entries.contains(QStringLiteral("Турнир 2026-01-01 10-00-00 (29).xlsx")));
    EXPECT_FALSE(entries.contains(QStringLiteral("Турнир 2026-01-01 10-00-00 (30).xlsx")))
        << "the thirtieth old sheet is the thirty-first in all";
}

// Another program takes the sheet's name between the look and the write: the
// sheet goes under the next free name, and the other file stays.
TEST_F(SpreadsheetTest, ANameTakenMeanwhileGivesTheNextFreeName) {
    QString takenName;
    fileSystemCalls().link = [&takenName](const char *from, const char *to) {
        if (takenName.isEmpty()) {
            takenName = QFile::decodeName(to);
            QFile other(takenName);
            EXPECT_TRUE(other.open(QIODevice::WriteOnly));
            other.write("the other program's");
        }
        return ::link(from, to);
    };
    const Result<SheetExport> result = exportSheet();
    resetFileSystemCalls();
    ASSERT_TRUE(result.ok()) << result.error().toStdString();
    EXPECT_TRUE(result.value().file.endsWith(QStringLiteral(" (2).xlsx"))) << result.value().file.toStdString();
    QFile other(takenName);
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "the other program's");
}

TEST_F(SpreadsheetTest, FillsTheSheetWithoutAPictureWhenThePrizeIsMissing) {
    for (const QString &prize : {QString(), path("images/nothing.bmp")}) {
        values.prizePicture = prize;
        const Result<SheetExport> result = exportSheet();
        ASSERT_TRUE(result.ok()) << result.error().toStdString();
        ASSERT_EQ(result.value().notices.size(), 1);
        EXPECT_TRUE(prize.isEmpty() ? result.value().notices[0].contains("gift.txt")
                                    : result.value().notices[0].contains(prize));
        const Parts parts = readZip(result.value().file);
        EXPECT_FALSE(parts.count("xl/drawings/drawing1.xml"));
        EXPECT_EQ(cell(Xml(parts.at("xl/worksheets/sheet1.xml")), "A2").child("is").child_value("t"),
                  std::string("Андрей"));
    }
}

TEST_F(SpreadsheetTest, ReportsTheWrittenFileWhenTheDesktopCannotShowIt) {
    desktopAccepts = false;
    const Result<SheetExport> result = exportSheet();
    ASSERT_TRUE(result.ok());
    EXPECT_FALSE(result.value().desktopOpened);
    ASSERT_EQ(result.value().notices.size(), 1);
    EXPECT_TRUE(result.value().notices[0].contains(result.value().file));
    EXPECT_TRUE(QFile::exists(result.value().file));
}

TEST_F(SpreadsheetTest, StopsWithAMessageNamingTheFileThatFailed) {
    write("not a zip.xlsx", "just text");
    write("not a picture.bmp", "just text");
    write("a file", "");
    const QString noSheet = variantTemplate({{"xl/worksheets/sheet1.xml", {}}});
    struct Case {
        QString templatePath, prize, output, named;
    };
    const Case cases[] = {
        {path("missing.xlsx"), path("ball.bmp"), path("out"), path("missing.xlsx")},
        {path("not a zip.xlsx"), path("ball.bmp"), path("out"), path("not a zip.xlsx")},
        {noSheet, path("ball.bmp"), path("out"), "sheet1.xml"},
        {tournamentTemplatePath(), path("not a picture.bmp"), path("out"), path("not a picture.bmp")},
        {tournamentTemplatePath(), path("ball.bmp"), path("a file/out"), path("a file/out")},
    };
    for (const Case &c : cases) {
        values.prizePicture = c.prize;
        auto sheet = makeXlsxSpreadsheet(c.output);
        const Result<SheetExport> result = exportTournamentSheet(*sheet, values, c.templatePath);
        ASSERT_FALSE(result.ok()) << c.named.toStdString();
        EXPECT_TRUE(result.error().contains(c.named)) << result.error().toStdString();
    }
    EXPECT_TRUE(written().isEmpty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(SpreadsheetTest, KeepsRowsAndCellsInOrderAndJoinsWhatTheSheetHasAlready) {
    // A sheet without the relationships prefix, with relationships of its own
    // and an element that must stay after the drawing.
    QByteArray sheetXml = readZip(tournamentTemplatePath())["xl/worksheets/sheet1.xml"];
    sheetXml.replace(" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"", "");
    sheetXml.replace("</worksheet>", "<extLst/></worksheet>");
    const QString variant = variantTemplate(
        {{"xl/worksheets/sheet1.xml", sheetXml},
         {"xl/worksheets/_rels/sheet1.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "hyperlink\" Target=\"https://example.org/\" TargetMode=\"External\"/></Relationships>"}});

    auto sheet = makeXlsxSpreadsheet(path("out"));
    ASSERT_TRUE(sheet->open(variant).ok());
    for (const char *ref : {"c2", "J5", "a25", "a21", "C3"}) {
        ASSERT_TRUE(sheet->putRange(QString::fromLatin1(ref), QString::fromLatin1(ref)).ok());
    }
    EXPECT_FALSE(sheet->putRange("5A", "x").ok());
    EXPECT_FALSE(sheet->select("A0").ok());
    ASSERT_TRUE(sheet->addPicture(path("ball.bmp"), true, true, 263, 115, 60, 60).ok());
    ASSERT_TRUE(sheet->addPicture(path("ball.bmp"), true, true, 10, 300, 30, 30).ok());
    const Result<Spreadsheet::Shown> shown = sheet->show();
    ASSERT_TRUE(shown.ok()) << shown.error().toStdString();
    Parts parts = readZip(shown.value().file);

    const Xml xml(parts["xl/worksheets/sheet1.xml"]);
    int previousRow = 0;
    for (const pugi::xml_node row : xml.root().child("sheetData").children("row")) {
        EXPECT_GT(row.attribute("r").as_int(), previousRow);
        previousRow = row.attribute("r").as_int();
        QString previousRef;
        for (const pugi::xml_node c : row.children("c")) {
            const QString ref = QString::fromUtf8(c.attribute("r").value());
            EXPECT_TRUE(previousRef.isEmpty() || previousRef.size() < ref.size() ||
                        (previousRef.size() == ref.size() && previousRef < ref))
                << previousRef.toStdString() << " before " << ref.toStdString();
            previousRef = ref;
        }
    }
    for (const char *ref : {"c2", "J5", "a25", "a21", "C3"}) {
        EXPECT_STREQ(cell(xml, QByteArray(ref).toUpper().constData()).child("is").child_value("t"), ref);
    }
    EXPECT_EQ(xml.value("/worksheet/dimension/@ref"), "A1:J25");
    EXPECT_STREQ(xml.root().child("drawing").attribute("r:id").value(), "rId2");
    EXPECT_STREQ(xml.root().child("drawing").next_sibling().name(), "extLst");
    EXPECT_TRUE(xml.root().attribute("xmlns:r"));

    const Xml drawing(parts["xl/drawings/drawing1.xml"]);
    EXPECT_EQ(drawing.document.select_nodes("//xdr:absoluteAnchor").size(), 2u);
    EXPECT_EQ(drawing.value("(//xdr:cNvPr)[2]/@id"), "2");
    EXPECT_TRUE(parts.count("xl/media/image2.png"));
    EXPECT_EQ(Xml(parts["xl/worksheets/_rels/sheet1.xml.rels"]).document.select_nodes("//Relationship").size(), 2u);
}

// A reference whose letters go past the last column (XFD) names no cell: reading
// it overflowed the column count. Such a cell is left as it is, and the cells
// around it are found and filled as usual.
TEST_F(SpreadsheetTest, LeavesACellWhoseReferenceIsPastTheLastColumnAsItIs) {
    QByteArray sheetXml = readZip(tournamentTemplatePath())["xl/worksheets/sheet1.xml"];
    ASSERT_TRUE(sheetXml.contains("<c r=\"A2\" s=\"4\"/>"));
    sheetXml.replace("<c r=\"A2\" s=\"4\"/>",
                     "<c r=\"AAAAAAAAAAAAAAAAAAAA2\" s=\"7\"/><c r=\"XFE2\"/><c r=\"A2\" s=\"4\"/>");
    const QString variant = variantTemplate({{"xl/worksheets/sheet1.xml", sheetXml}});

    auto sheet = makeXlsxSpreadsheet(path("out"));
    ASSERT_TRUE(sheet->open(variant).ok());
    for (const char *ref : {"a2", "B2", "XFD2"}) {
        ASSERT_TRUE(sheet->putRange(QString::fromLatin1(ref), QString::fromLatin1(ref)).ok()) << ref;
    }
    const Result<Spreadsheet::Shown> shown = sheet->show();
    ASSERT_TRUE(shown.ok()) << shown.error().toStdString();

    const Xml xml(readZip(shown.value().file)["xl/worksheets/sheet1.xml"]);
    const pugi::xml_node row = xml.root().child("sheetData").find_child_by_attribute("row", "r", "2");
    std::vector<std::string> refs;
    for (const pugi::xml_node c : row.children("c")) {
        refs.emplace_back(c.attribute("r").value());
    }
    EXPECT_EQ(refs,
              (std::vector<std::string>{"AAAAAAAAAAAAAAAAAAAA2", "XFE2", "A2", "B2", "E2", "F2", "G2", "H2", "XFD2"}));
    const pugi::xml_node past = row.first_child();
    EXPECT_STREQ(past.attribute("s").value(), "7");
    EXPECT_FALSE(past.first_child()) << "the cell past the last column stays empty";
    EXPECT_STREQ(cell(xml, "A2").attribute("s").value(), "4") << "the framed cell is the one filled";
    EXPECT_STREQ(cell(xml, "A2").child("is").child_value("t"), "a2");
    EXPECT_STREQ(row.find_child_by_attribute("c", "r", "XFD2").child("is").child_value("t"), "XFD2");
}

// LibreOffice opens the filled workbook and prints it with the names and the picture.
TEST_F(SpreadsheetTest, LibreOfficePrintsTheFilledSheet) {
    const QString soffice = QStandardPaths::findExecutable("soffice");
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (soffice.isEmpty() || pdftoppm.isEmpty() || pdftotext.isEmpty()) {
        GTEST_SKIP() << "soffice or poppler-utils not installed: the sheet is not rendered";
    }
    const Result<SheetExport> result = exportSheet();
    ASSERT_TRUE(result.ok());
    const auto run = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    };
    run(soffice, {"--headless", "-env:UserInstallation=" + QUrl::fromLocalFile(path("lo")).toString(), "--convert-to",
                  "pdf", "--outdir", path("pdf"), result.value().file});
    const QString pdf = path("pdf/") + QFileInfo(result.value().file).completeBaseName() + ".pdf";
    ASSERT_TRUE(QFile::exists(pdf));
    run(pdftoppm, {"-png", "-r", "60", "-singlefile", pdf, path("page")});
    run(pdftotext, {"-layout", pdf, path("page.txt")});

    const QImage page(path("page.png"));
    ASSERT_FALSE(page.isNull());
    int prizeColoured = 0;
    int dark = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            prizeColoured += c.red() > 200 && c.green() < 60 && c.blue() > 200;
            dark += c.lightness() < 100;
        }
    }
    EXPECT_GT(dark, 500) << "text and frames";
    EXPECT_GT(prizeColoured, 500) << "the picture";
    const QString text = QString::fromUtf8(read("page.txt"));
    for (const QString &name : {values.players[0], values.players[2], values.teams[0], QStringLiteral("Первый круг")}) {
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
    }
}

} // namespace
