// Feeds arbitrary bytes to the spreadsheet as the tournament sheet's template
// and fills it as the final table does: five cells, the cursor, the prize
// picture, then "show". Checks that nothing crashes, that filling an opened
// template never fails, and that a workbook that was written is a zip whose
// sheet parses and holds what was written.
//
// A template is a zip, and a zip checks each part's CRC, so bytes changed at
// random are almost always refused before any XML is read. The custom mutator
// below therefore unzips the input, changes one part, and zips it again,
// storing the parts uncompressed; now and then it changes the raw bytes too,
// so that the zip reader is not left out.
#include "Seams.h"
#include "XlsxPackage.h"
#include "XlsxSpreadsheet.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t *data, std::size_t size, std::size_t maxSize);

namespace {

void check(bool condition, const char *what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The bytes changed by libFuzzer's own mutations, with room to grow. Those
// mutations need a byte to start from.
QByteArray mutated(QByteArray bytes, std::size_t room) {
    if (bytes.isEmpty()) {
        bytes = "<";
    }
    const auto size = static_cast<std::size_t>(bytes.size());
    bytes.resize(static_cast<qsizetype>(size + room));
    const std::size_t newSize = LLVMFuzzerMutate(reinterpret_cast<std::uint8_t *>(bytes.data()), size, size + room);
    bytes.resize(static_cast<qsizetype>(newSize));
    return bytes;
}

// Where each input is written as the template, and what every input uses.
struct Workplace {
    QTemporaryDir dir;
    QString templatePath;
    QString picturePath;
    QString outputFolder;
    QByteArray storedPicture; // the picture as the workbook keeps it

    static QString tempRoot() {
        // Memory-backed where the machine has it: every input is written once.
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    }

    Workplace() : dir(QDir(tempRoot()).filePath(QStringLiteral("korvana-fuzz-XXXXXX"))) {
        check(dir.isValid(), "the temporary folder is made");
        templatePath = dir.filePath(QStringLiteral("template.xlsx"));
        picturePath = dir.filePath(QStringLiteral("prize.png"));
        outputFolder = dir.filePath(QStringLiteral("out"));

        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        image.setPixel(1, 2, qRgb(0, 128, 0));
        check(image.save(picturePath, "PNG"), "the picture is written");
        QBuffer buffer(&storedPicture);
        check(buffer.open(QIODevice::WriteOnly) && QImageReader(picturePath).read().save(&buffer, "PNG"),
              "the picture is encoded as the workbook keeps it");

        // Nothing is handed to the desktop.
        setDesktopOpener([](const QUrl &) { return false; });
    }
};

Workplace &workplace() {
    static Workplace instance;
    return instance;
}

struct Fill {
    const char *cell;
    const char *text;
};

// The cells the final table fills, in the letter case it uses, and the last
// column of a sheet; texts with characters that XML escapes.
constexpr Fill kFills[] = {
    {"a2", "Андрей & <Сергей>"}, {"B7", "Спартак \"Москва\""},  {"c9", "Боруссия 'Дортмунд'"},
    {"E8", "Манчестер Юнайтед"}, {"XFD1", "последний столбец"},
};

void checkWorkbook(const QString &file, bool pictureAdded) {
    QFile written(file);
    check(written.open(QIODevice::ReadOnly), "the written workbook can be read");
    const std::optional<XlsxPackage> package = XlsxPackage::fromZip(written.readAll());
    check(package.has_value(), "the written workbook unzips");

    const QByteArray *sheetXml = nullptr;
    bool pictureStored = false;
    for (const auto &[name, content] : package->parts()) {
        if (name == QLatin1String("xl/worksheets/sheet1.xml")) {
            sheetXml = &content;
        }
        pictureStored =
            pictureStored || (name.startsWith(QLatin1String("xl/media/")) && content == workplace().storedPicture);
    }
    check(sheetXml != nullptr, "the written workbook has its sheet");
    pugi::xml_document sheet;
    check(static_cast<bool>(sheet.load_buffer(sheetXml->constData(), static_cast<std::size_t>(sheetXml->size()),
                                              pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8)),
          "the written sheet parses");
    check(std::strcmp(sheet.document_element().name(), "worksheet") == 0, "the written sheet is a worksheet");

    std::vector<std::string> texts;
    for (const pugi::xpath_node &t : sheet.select_nodes("/worksheet/sheetData/row/c/is/t")) {
        texts.emplace_back(t.node().child_value());
    }
    for (const Fill &fill : kFills) {
        check(std::find(texts.begin(), texts.end(), fill.text) != texts.end(), "every written text is in the sheet");
    }
    check(static_cast<bool>(sheet.select_node("/worksheet/sheetViews/sheetView/selection[@activeCell='E8']")),
          "the cursor is on E8");
    if (pictureAdded) {
        check(pictureStored, "the picture is stored in the workbook");
        check(static_cast<bool>(sheet.document_element().child("drawing")), "the sheet refers to its drawing");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    (void)workplace();
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t *data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    std::minstd_rand random(seed);
    const std::optional<XlsxPackage> read =
        random() % 8 == 0
            ? std::nullopt
            : XlsxPackage::fromZip(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    if (!read || read->parts().empty()) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    std::vector<XlsxPart> parts = read->parts();
    const std::size_t room = maxSize > size ? maxSize - size : 0;
    const std::size_t chosen = random() % parts.size();
    switch (random() % 16) {
    case 0: // a part goes
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(chosen));
        break;
    case 1: // a part is renamed
        parts[chosen].name = QString::fromUtf8(mutated(parts[chosen].name.toUtf8(), 16));
        break;
    default:
        parts[chosen].bytes = mutated(parts[chosen].bytes, room);
        break;
    }
    // Stored uncompressed, so that later changes to the raw bytes still reach the XML.
    const std::optional<QByteArray> zipped = XlsxPackage(std::move(parts)).toZip(XlsxPackage::Compression::Store);
    if (!zipped || static_cast<std::size_t>(zipped->size()) > maxSize) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    std::memcpy(data, zipped->constData(), static_cast<std::size_t>(zipped->size()));
    return static_cast<std::size_t>(zipped->size());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Workplace &place = workplace();
    {
        QFile file(place.templatePath);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
                      static_cast<qint64>(size),
              "the template is written");
    }

    const std::unique_ptr<Spreadsheet> sheet = makeXlsxSpreadsheet(place.outputFolder);
    if (!sheet->open(place.templatePath).ok()) {
        check(!sheet->show().ok(), "a template that did not open shows nothing");
        return 0;
    }
    for (const Fill &fill : kFills) {
        check(sheet->putRange(QString::fromLatin1(fill.cell), QString::fromUtf8(fill.text)).ok(),
              "an opened template takes text in any cell");
    }
    check(sheet->select(QStringLiteral("e8")).ok(), "an opened template takes the cursor");
    const bool pictureAdded = sheet->addPicture(place.picturePath, false, true, 263, 115, 60, 60).ok();

    const Result<Spreadsheet::Shown> shown = sheet->show();
    if (shown.ok()) {
        check(!shown.value().desktopOpened, "the desktop is never asked");
        const QString file = QDir::fromNativeSeparators(shown.value().file);
        checkWorkbook(file, pictureAdded);
        check(QFile::remove(file), "the written workbook is removed");
    }
    check(QDir(place.outputFolder).isEmpty(), "no workbook is left behind");
    return 0;
}
