#include "XlsxSpreadsheet.h"

#include "DataFiles.h"
#include "Seams.h"
#include "SheetFolder.h"
#include "XlsxPackage.h"
#include "XlsxWorksheet.h"
#include "XmlPart.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <pugixml.hpp>
#include <string_view>

// An .xlsx file is a zip of XML parts. The template is read whole into memory
// as a package, the parts that change are edited as XML documents, and the
// whole is zipped again when the workbook is shown. Only what the tournament
// sheet needs is handled: text cells, the cell cursor and pictures on the
// first sheet.

namespace {

const QString kSheetPart = QStringLiteral("xl/worksheets/sheet1.xml");

constexpr const char *kRelationshipsNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char *kSpreadsheetDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
constexpr const char *kDrawingMainNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char *kDrawingRelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing";
constexpr const char *kImageRelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
constexpr const char *kDrawingContentType = "application/vnd.openxmlformats-officedocument.drawing+xml";

// DrawingML measures in English Metric Units.
constexpr double kEmuPerPoint = 12700.0;

QByteArray utf8(const QString &text) {
    return text.toUtf8();
}

// ---- drawing ------------------------------------------------------------------------

void setEmu(pugi::xml_node element, const char *first, double firstPoints, const char *second, double secondPoints) {
    element.append_attribute(first) = static_cast<long long>(std::llround(firstPoints * kEmuPerPoint));
    element.append_attribute(second) = static_cast<long long>(std::llround(secondPoints * kEmuPerPoint));
}

struct PicturePlace {
    double left, top, width, height;
};

// A picture fixed to the page position, so that neither column widths nor
// row heights move it.
void appendPictureAnchor(pugi::xml_node drawing, const QString &imageId, const QString &description,
                         const PicturePlace &place) {
    unsigned maxId = 0;
    for (const pugi::xpath_node &node : drawing.select_nodes("//*[local-name()='cNvPr']")) {
        maxId = std::max(maxId, node.node().attribute("id").as_uint());
    }
    const unsigned id = maxId + 1;

    pugi::xml_node anchor = drawing.append_child("xdr:absoluteAnchor");
    setEmu(anchor.append_child("xdr:pos"), "x", place.left, "y", place.top);
    setEmu(anchor.append_child("xdr:ext"), "cx", place.width, "cy", place.height);

    pugi::xml_node picture = anchor.append_child("xdr:pic");
    pugi::xml_node properties = picture.append_child("xdr:nvPicPr");
    pugi::xml_node common = properties.append_child("xdr:cNvPr");
    common.append_attribute("id") = id;
    common.append_attribute("name") = utf8(QStringLiteral("Picture %1").arg(id)).constData();
    common.append_attribute("descr") = utf8(xmlSafe(description)).constData();
    properties.append_child("xdr:cNvPicPr").append_child("a:picLocks").append_attribute("noChangeAspect") = 1;

    pugi::xml_node fill = picture.append_child("xdr:blipFill");
    fill.append_child("a:blip").append_attribute("r:embed") = utf8(imageId).constData();
    fill.append_child("a:stretch").append_child("a:fillRect");

    pugi::xml_node shape = picture.append_child("xdr:spPr");
    pugi::xml_node transform = shape.append_child("a:xfrm");
    setEmu(transform.append_child("a:off"), "x", place.left, "y", place.top);
    setEmu(transform.append_child("a:ext"), "cx", place.width, "cy", place.height);
    pugi::xml_node geometry = shape.append_child("a:prstGeom");
    geometry.append_attribute("prst") = "rect";
    geometry.append_child("a:avLst");

    anchor.append_child("xdr:clientData");
}

// ---- the spreadsheet ------------------------------------------------------------------------

class XlsxSpreadsheet final : public Spreadsheet {
public:
    explicit XlsxSpreadsheet(QString outputFolder) : m_outputFolder(std::move(outputFolder)) {}

    Status open(const QString &templatePath) override;
    Status putRange(const QString &cell, const QString &text) override;
    Status select(const QString &cell) override;
    Status addPicture(const QString &path, bool linkToFile, bool saveWithDocument, double left, double top,
                      double width, double height) override;
    Result<Shown> show() override;

private:
    // The parts that a new picture changes, read before anything changes.
    struct PictureParts {
        pugi::xml_document types, sheetRels, drawing, drawingRels;
        QString drawingPart;
        bool joinsDrawing = false; // the sheet has a drawing already
    };
    Status loadPictureParts(PictureParts &parts) const;
    Status loadDrawing(PictureParts &parts) const;
    // Relates the sheet to the drawing (when it is new) and the drawing to the
    // picture; the picture's relationship id.
    QString linkPicture(PictureParts &parts, const QString &mediaPart);
    void storePictureParts(const PictureParts &parts, const QString &mediaPart, const QByteArray &png);

    Status loadPart(pugi::xml_document &document, const QString &part) const;
    // A part that may not exist yet: an empty document with the root element.
    Status loadOrCreatePart(pugi::xml_document &document, const QString &part, const char *rootName,
                            const char *ns) const;
    Status notOpen(const QString &call) const;

    QString m_outputFolder;
    QString m_template; // empty until a template is open
    XlsxPackage m_package;
    pugi::xml_document m_sheet; // written back into the package on show
};

Status XlsxSpreadsheet::notOpen(const QString &call) const {
    return Failure{QStringLiteral("%1: книга не открыта").arg(call)};
}

Status XlsxSpreadsheet::loadPart(pugi::xml_document &document, const QString &part) const {
    const QByteArray *bytes = m_package.find(part);
    if (!bytes) {
        return Failure{fileErrorText(m_template, QStringLiteral("Шаблон таблицы повреждён (нет части %1)").arg(part))};
    }
    const QString problem = parseXml(document, *bytes);
    if (!problem.isEmpty()) {
        return Failure{
            fileErrorText(m_template, QStringLiteral("Шаблон таблицы повреждён (часть %1: %2)").arg(part, problem))};
    }
    return {};
}

Status XlsxSpreadsheet::loadOrCreatePart(pugi::xml_document &document, const QString &part, const char *rootName,
                                         const char *ns) const {
    if (m_package.find(part)) {
        return loadPart(document, part);
    }
    newXmlDocument(document, rootName).append_attribute("xmlns") = ns;
    return {};
}

Status XlsxSpreadsheet::open(const QString &templatePath) {
    m_template.clear();
    m_package.clear();
    m_sheet.reset();

    const Result<QByteArray> bytes = readFileBytes(templatePath);
    if (!bytes.ok()) {
        return Failure{QStringLiteral("Не удалось открыть шаблон таблицы. ") + bytes.error()};
    }
    std::optional<XlsxPackage> package = XlsxPackage::fromZip(bytes.value());
    if (!package) {
        return Failure{fileErrorText(templatePath, QStringLiteral("Шаблон таблицы повреждён (это не книга .xlsx)"))};
    }
    m_package = std::move(*package);
    m_template = templatePath;
    pugi::xml_document types;
    Status status = loadPart(types, kContentTypesPart);
    if (status.ok()) {
        status = loadPart(m_sheet, kSheetPart);
    }
    if (status.ok() && std::string_view(m_sheet.document_element().name()) != "worksheet") {
        status =
            Failure{fileErrorText(m_template, QStringLiteral("Шаблон таблицы повреждён (%1 не лист)").arg(kSheetPart))};
    }
    if (status.ok() && !m_sheet.document_element().child("sheetData")) {
        status = Failure{fileErrorText(m_template, QStringLiteral("Шаблон таблицы повреждён (в листе нет ячеек)"))};
    }
    if (!status.ok()) {
        m_template.clear();
        m_package.clear();
        m_sheet.reset();
    }
    return status;
}

Status XlsxSpreadsheet::putRange(const QString &cell, const QString &text) {
    if (m_template.isEmpty()) {
        return notOpen(QStringLiteral("Range"));
    }
    const std::optional<CellRef> ref = parseCellRef(cell);
    if (!ref) {
        return Failure{QStringLiteral("Range: неверное имя ячейки «%1»").arg(cell)};
    }
    writeCellText(m_sheet.document_element(), *ref, text);
    return {};
}

Status XlsxSpreadsheet::select(const QString &cell) {
    if (m_template.isEmpty()) {
        return notOpen(QStringLiteral("Select"));
    }
    const std::optional<CellRef> ref = parseCellRef(cell);
    if (!ref) {
        return Failure{QStringLiteral("Select: неверное имя ячейки «%1»").arg(cell)};
    }
    const pugi::xml_node worksheet = m_sheet.document_element();
    pugi::xml_node views = worksheet.child("sheetViews");
    if (!views) {
        views = insertInOrder(worksheet, "sheetViews");
    }
    pugi::xml_node view = views.child("sheetView");
    if (!view) {
        view = views.append_child("sheetView");
        view.append_attribute("workbookViewId") = 0;
    }
    while (pugi::xml_node old = view.child("selection")) {
        view.remove_child(old);
    }
    // With split or frozen panes the cursor belongs to the active pane.
    const pugi::xml_node pane = view.child("pane");
    pugi::xml_node selection = pane ? view.insert_child_after("selection", pane) : view.prepend_child("selection");
    if (pane.attribute("activePane")) {
        selection.append_attribute("pane") = pane.attribute("activePane").value();
    }
    const QByteArray name = utf8(ref->name());
    selection.append_attribute("activeCell") = name.constData();
    selection.append_attribute("sqref") = name.constData();
    return {};
}

namespace {

// The picture as the workbook stores it, a PNG part; a failure names the file.
Result<QByteArray> pictureAsPng(const QString &path) {
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        return Failure{
            fileErrorText(path, QStringLiteral("Не удалось загрузить картинку (%1)").arg(reader.errorString()))};
    }
    QByteArray png;
    QBuffer pngBuffer(&png);
    if (!pngBuffer.open(QIODevice::WriteOnly) || !image.save(&pngBuffer, "PNG")) {
        return Failure{fileErrorText(path, QStringLiteral("Не удалось преобразовать картинку в PNG"))};
    }
    return png;
}

Status checkPicturePlace(bool linkToFile, bool saveWithDocument, const PicturePlace &place) {
    // The workbook goes to another application as a file of its own, so the
    // picture always travels inside it; a picture that is neither linked nor
    // saved has nothing to show.
    if (!linkToFile && !saveWithDocument) {
        return Failure{QStringLiteral("AddPicture: картинка не связана с файлом и не сохраняется в книге")};
    }
    const std::array<double, 4> numbers = {place.left, place.top, place.width, place.height};
    if (std::any_of(numbers.begin(), numbers.end(), [](double v) { return !std::isfinite(v) || v < 0; }) ||
        place.width <= 0 || place.height <= 0) {
        return Failure{QStringLiteral("AddPicture: неверное место или размер картинки")};
    }
    return {};
}

} // namespace

Status XlsxSpreadsheet::loadDrawing(PictureParts &parts) const {
    const pugi::xml_node drawingRef = m_sheet.document_element().child("drawing");
    if (!drawingRef) {
        parts.drawingPart = m_package.freeName(QStringLiteral("xl/drawings/drawing"), QStringLiteral(".xml"));
        newXmlDocument(parts.drawing, "xdr:wsDr");
        return {};
    }
    // The sheet has pictures already: this one joins them.
    const pugi::xml_node relation = parts.sheetRels.document_element().find_child_by_attribute(
        "Relationship", "Id", drawingRef.attribute("r:id").value());
    if (!relation) {
        return Failure{
            fileErrorText(m_template, QStringLiteral("Шаблон таблицы повреждён (рисунки листа не найдены)"))};
    }
    parts.drawingPart = resolveTarget(kSheetPart, QString::fromUtf8(relation.attribute("Target").value()));
    parts.joinsDrawing = true;
    return loadPart(parts.drawing, parts.drawingPart);
}

Status XlsxSpreadsheet::loadPictureParts(PictureParts &parts) const {
    Status status = loadPart(parts.types, kContentTypesPart);
    if (status.ok()) {
        status =
            loadOrCreatePart(parts.sheetRels, relationshipsPart(kSheetPart), "Relationships", kPackageRelationshipsNs);
    }
    if (status.ok()) {
        status = loadDrawing(parts);
    }
    if (status.ok()) {
        status = loadOrCreatePart(parts.drawingRels, relationshipsPart(parts.drawingPart), "Relationships",
                                  kPackageRelationshipsNs);
    }
    const pugi::xml_node root = parts.drawing.document_element();
    const pugi::xml_node worksheet = m_sheet.document_element();
    if (status.ok() && (!bindPrefix(root, "xdr", kSpreadsheetDrawingNs) || !bindPrefix(root, "a", kDrawingMainNs) ||
                        !bindPrefix(root, "r", kRelationshipsNs) || !bindPrefix(worksheet, "r", kRelationshipsNs))) {
        status = Failure{
            fileErrorText(m_template, QStringLiteral("Шаблон таблицы повреждён (неизвестные пространства имён XML)"))};
    }
    return status;
}

QString XlsxSpreadsheet::linkPicture(PictureParts &parts, const QString &mediaPart) {
    if (!parts.joinsDrawing) {
        const QString id = addRelationship(parts.sheetRels.document_element(), kDrawingRelType,
                                           relativeTarget(kSheetPart, parts.drawingPart));
        insertInOrder(m_sheet.document_element(), "drawing").append_attribute("r:id") = utf8(id).constData();
        addOverrideContentType(parts.types.document_element(), parts.drawingPart, kDrawingContentType);
    }
    addDefaultContentType(parts.types.document_element(), "png", "image/png");
    return addRelationship(parts.drawingRels.document_element(), kImageRelType,
                           relativeTarget(parts.drawingPart, mediaPart));
}

void XlsxSpreadsheet::storePictureParts(const PictureParts &parts, const QString &mediaPart, const QByteArray &png) {
    m_package.put(mediaPart, png);
    m_package.put(parts.drawingPart, xmlBytes(parts.drawing));
    m_package.put(relationshipsPart(parts.drawingPart), xmlBytes(parts.drawingRels));
    m_package.put(relationshipsPart(kSheetPart), xmlBytes(parts.sheetRels));
    m_package.put(kContentTypesPart, xmlBytes(parts.types));
}

Status XlsxSpreadsheet::addPicture(const QString &path, bool linkToFile, bool saveWithDocument, double left, double top,
                                   double width, double height) {
    if (m_template.isEmpty()) {
        return notOpen(QStringLiteral("AddPicture"));
    }
    const PicturePlace place{left, top, width, height};
    if (const Status checked = checkPicturePlace(linkToFile, saveWithDocument, place); !checked.ok()) {
        return checked;
    }
    const Result<QByteArray> png = pictureAsPng(path);
    if (!png.ok()) {
        return png.status();
    }
    // Everything that can fail is read first, so that a failure leaves the
    // workbook as it was.
    PictureParts parts;
    if (const Status loaded = loadPictureParts(parts); !loaded.ok()) {
        return loaded;
    }
    const QString mediaPart = m_package.freeName(QStringLiteral("xl/media/image"), QStringLiteral(".png"));
    const QString imageId = linkPicture(parts, mediaPart);
    appendPictureAnchor(parts.drawing.document_element(), imageId, QFileInfo(path).fileName(), place);
    storePictureParts(parts, mediaPart, png.value());
    return {};
}

Result<Spreadsheet::Shown> XlsxSpreadsheet::show() {
    if (m_template.isEmpty()) {
        return Failure{notOpen(QStringLiteral("Visible")).error()};
    }
    m_package.put(kSheetPart, xmlBytes(m_sheet));
    const std::optional<QByteArray> bytes = m_package.toZip();
    if (!bytes) {
        return Failure{fileErrorText(m_template, QStringLiteral("Не удалось собрать книгу по шаблону"))};
    }
    if (!QDir().mkpath(m_outputFolder)) {
        return Failure{fileErrorText(m_outputFolder, QStringLiteral("Не удалось создать папку для таблиц"))};
    }
    Result<QString> file = writeSheetFile(m_outputFolder, *bytes);
    if (!file.ok()) {
        return file.status();
    }
    pruneSheetFolder(m_outputFolder);
    const bool opened = openWithDesktop(QUrl::fromLocalFile(file.value()));
    return Shown{QDir::toNativeSeparators(file.value()), opened};
}

} // namespace

std::unique_ptr<Spreadsheet> makeXlsxSpreadsheet(const QString &outputFolder) {
    return std::make_unique<XlsxSpreadsheet>(outputFolder);
}
