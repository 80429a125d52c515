#include "XlsxWorksheet.h"

#include "XmlPart.h"

#include <QStringList>
#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// The children of a worksheet in the order the file format requires.
// clang-format off
const char *const kWorksheetOrder[] = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
    "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
    "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
    "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties",
    "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF",
    "picture", "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};
// clang-format on

// The last column (XFD) and row of a sheet.
constexpr int kLastColumn = 16384;
constexpr int kLastRow = 1048576;

// The column of a cell reference such as "C9"; 0 when it names none, as when
// its letters go past the last column (XFD). The count stops there, so that a
// long run of letters cannot overflow.
int columnOf(const char *ref) {
    int column = 0;
    for (; *ref >= 'A' && *ref <= 'Z'; ++ref) {
        column = column * 26 + (*ref - 'A' + 1);
        if (column > kLastColumn) {
            return 0;
        }
    }
    return column;
}

// The row element of a row number, added in order when the row has none.
// Rows and cells without a number follow the one before them.
pugi::xml_node rowElement(pugi::xml_node sheetData, int number) {
    int previous = 0;
    for (pugi::xml_node row : sheetData.children("row")) {
        const int r = row.attribute("r").as_int(previous + 1);
        previous = r;
        if (r == number) {
            return row;
        }
        if (r > number) {
            pugi::xml_node added = sheetData.insert_child_before("row", row);
            added.append_attribute("r") = number;
            return added;
        }
    }
    pugi::xml_node added = sheetData.append_child("row");
    added.append_attribute("r") = number;
    return added;
}

pugi::xml_node cellElement(pugi::xml_node row, const CellRef &ref) {
    const QByteArray name = ref.name().toUtf8();
    int previous = 0;
    pugi::xml_node before;
    for (pugi::xml_node cell : row.children("c")) {
        const pugi::xml_attribute r = cell.attribute("r");
        const int column = r ? columnOf(r.value()) : previous + 1;
        if (column == 0) {
            // A reference that names no column: the cell is left as it is, and
            // neither matches nor places a cell.
            continue;
        }
        previous = column;
        if (column == ref.column) {
            return cell;
        }
        if (column > ref.column) {
            before = cell;
            break;
        }
    }
    pugi::xml_node added = before ? row.insert_child_before("c", before) : row.append_child("c");
    added.append_attribute("r") = name.constData();
    // The row's span of columns is only a hint; a stale one is worse than none.
    row.remove_attribute("spans");
    return added;
}

// Widens the sheet's used range, when the sheet records one, to hold a cell.
void coverInDimension(pugi::xml_node worksheet, const CellRef &ref) {
    pugi::xml_attribute range = worksheet.child("dimension").attribute("ref");
    if (!range) {
        return;
    }
    const QStringList corners = QString::fromUtf8(range.value()).split(u':');
    const std::optional<CellRef> first = parseCellRef(corners.value(0));
    const std::optional<CellRef> last = parseCellRef(corners.value(corners.size() > 1 ? 1 : 0));
    if (!first || !last) {
        return;
    }
    const CellRef from{std::min(first->column, ref.column), std::min(first->row, ref.row)};
    const CellRef to{std::max(last->column, ref.column), std::max(last->row, ref.row)};
    range.set_value((from.name() + u':' + to.name()).toUtf8().constData());
}

void setCellText(pugi::xml_node cell, const QString &text) {
    while (pugi::xml_node child = cell.first_child()) {
        cell.remove_child(child);
    }
    // The cell keeps its style ("s"); what made it a formula or a number goes.
    cell.remove_attribute("cm");
    cell.remove_attribute("vm");
    pugi::xml_attribute type = cell.attribute("t");
    if (!type) {
        type = cell.append_attribute("t");
    }
    type.set_value("inlineStr");
    pugi::xml_node t = cell.append_child("is").append_child("t");
    t.append_attribute("xml:space") = "preserve";
    t.text().set(xmlSafe(text).toUtf8().constData());
}

} // namespace

QString CellRef::name() const {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26) {
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    }
    return letters + QString::number(row);
}

std::optional<CellRef> parseCellRef(QStringView text) {
    CellRef ref;
    qsizetype i = 0;
    for (; i < text.size() && i < 3; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'a' && c <= u'z') {
            ref.column = ref.column * 26 + (c - u'a' + 1);
        } else if (c >= u'A' && c <= u'Z') {
            ref.column = ref.column * 26 + (c - u'A' + 1);
        } else {
            break;
        }
    }
    const QStringView digits = text.mid(i);
    if (i == 0 || digits.isEmpty() || digits.size() > 7 || digits.front() == u'0' ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    ref.row = digits.toInt();
    if (ref.column > kLastColumn || ref.row > kLastRow) {
        return std::nullopt;
    }
    return ref;
}

pugi::xml_node insertInOrder(pugi::xml_node worksheet, const char *name) {
    const auto *const begin = std::begin(kWorksheetOrder);
    const auto *const end = std::end(kWorksheetOrder);
    const auto *const own = std::find_if(begin, end, [&](const char *n) { return std::string_view(n) == name; });
    for (pugi::xml_node child : worksheet.children()) {
        const auto *const position =
            std::find_if(begin, end, [&](const char *n) { return std::string_view(n) == child.name(); });
        if (position != end && position > own) {
            return worksheet.insert_child_before(name, child);
        }
    }
    return worksheet.append_child(name);
}

void writeCellText(pugi::xml_node worksheet, const CellRef &ref, const QString &text) {
    setCellText(cellElement(rowElement(worksheet.child("sheetData"), ref.row), ref), text);
    coverInDimension(worksheet, ref);
}
