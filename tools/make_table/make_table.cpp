// Writes the tournament sheet template "table.xlsx": the sheet that the final
// table fills with the players, their teams and the first round, and that the
// players print to write down the scores.
//
// The program fills these cells, which stay empty here: A2:A4 (players),
// B2:B4 (their teams), B7:C9 (the first round) and E8 (the cell cursor). The
// prize picture goes to left 263, top 115, 60 x 60 points, which is the column E
// beside the first round; the rows and columns below are sized so that it lands
// there.
//
// Usage: make_table OUTPUT.xlsx

#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <tuple>
#include <xlsxwriter.h>

namespace {

// A font that LibreOffice ships, so that the sheet looks the same wherever it
// is opened.
constexpr const char *kFont = "Liberation Sans";

enum class Kind { Heading, Entry, Score, Place, Label, Title, Section, Caption, Line };

struct Edges {
    uint8_t top = LXW_BORDER_NONE, bottom = LXW_BORDER_NONE, left = LXW_BORDER_NONE, right = LXW_BORDER_NONE;
    auto key() const { return std::tuple(top, bottom, left, right); }
};

class Formats {
public:
    explicit Formats(lxw_workbook *workbook) : m_workbook(workbook) {}

    lxw_format *get(Kind kind, Edges edges = {}) {
        const auto key = std::tuple(kind, edges.key());
        if (auto found = m_cache.find(key); found != m_cache.end()) {
            return found->second;
        }
        lxw_format *format = workbook_add_format(m_workbook);
        format_set_font_name(format, kFont);
        format_set_font_size(format, 10);
        format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
        switch (kind) {
        case Kind::Heading:
            format_set_bold(format);
            format_set_align(format, LXW_ALIGN_CENTER);
            format_set_bg_color(format, 0xD9E1F2);
            break;
        case Kind::Entry: // a name written by the program: long names shrink to fit
            format_set_font_size(format, 11);
            format_set_align(format, LXW_ALIGN_CENTER);
            format_set_shrink(format);
            break;
        case Kind::Score:
        case Kind::Place:
            format_set_font_size(format, 11);
            format_set_align(format, LXW_ALIGN_CENTER);
            break;
        case Kind::Label:
            format_set_font_size(format, 9);
            format_set_font_color(format, 0x595959);
            format_set_align(format, LXW_ALIGN_RIGHT);
            format_set_indent(format, 1);
            break;
        case Kind::Title:
            format_set_font_size(format, 16);
            format_set_bold(format);
            format_set_align(format, LXW_ALIGN_CENTER);
            break;
        case Kind::Section:
            format_set_font_size(format, 12);
            format_set_bold(format);
            format_set_align(format, LXW_ALIGN_VERTICAL_BOTTOM);
            break;
        case Kind::Caption:
            format_set_font_size(format, 9);
            format_set_italic(format);
            format_set_text_wrap(format);
            format_set_align(format, LXW_ALIGN_VERTICAL_BOTTOM);
            break;
        case Kind::Line: // a line to write on by hand
            format_set_bottom(format, LXW_BORDER_THIN);
            break;
        }
        if (kind == Kind::Place) {
            format_set_bold(format);
        }
        if (edges.top) {
            format_set_top(format, edges.top);
        }
        if (edges.bottom) {
            format_set_bottom(format, edges.bottom);
        }
        if (edges.left) {
            format_set_left(format, edges.left);
        }
        if (edges.right) {
            format_set_right(format, edges.right);
        }
        m_cache.emplace(key, format);
        return format;
    }

private:
    lxw_workbook *m_workbook;
    std::map<std::tuple<Kind, std::tuple<uint8_t, uint8_t, uint8_t, uint8_t>>, lxw_format *> m_cache;
};

// A block of cells with a medium frame around it and thin lines inside.
struct Block {
    lxw_row_t firstRow, lastRow;
    lxw_col_t firstCol, lastCol;

    Edges edgesAt(lxw_row_t row, lxw_col_t col) const {
        return {row == firstRow ? uint8_t(LXW_BORDER_MEDIUM) : uint8_t(LXW_BORDER_THIN),
                row == lastRow ? uint8_t(LXW_BORDER_MEDIUM) : uint8_t(LXW_BORDER_THIN),
                col == firstCol ? uint8_t(LXW_BORDER_MEDIUM) : uint8_t(LXW_BORDER_THIN),
                col == lastCol ? uint8_t(LXW_BORDER_MEDIUM) : uint8_t(LXW_BORDER_THIN)};
    }
};

class Sheet {
public:
    Sheet(lxw_worksheet *worksheet, Formats &formats) : m_ws(worksheet), m_formats(formats) {}

    // A cell of a block; an empty text leaves the cell empty but framed.
    void put(const Block &block, lxw_row_t row, lxw_col_t col, Kind kind, const char *text = "") {
        lxw_format *format = m_formats.get(kind, block.edgesAt(row, col));
        if (*text) {
            worksheet_write_string(m_ws, row, col, text, format);
        } else {
            worksheet_write_blank(m_ws, row, col, format);
        }
    }

    // Cells of a block merged into one, each keeping its part of the frame.
    void merge(const Block &block, lxw_row_t row, lxw_col_t firstCol, lxw_col_t lastCol, Kind kind, const char *text) {
        worksheet_merge_range(m_ws, row, firstCol, row, lastCol, text,
                              m_formats.get(kind, block.edgesAt(row, firstCol)));
        for (lxw_col_t col = firstCol + 1; col <= lastCol; ++col) {
            worksheet_write_blank(m_ws, row, col, m_formats.get(kind, block.edgesAt(row, col)));
        }
    }

    void text(lxw_row_t row, lxw_col_t col, Kind kind, const char *text) {
        worksheet_write_string(m_ws, row, col, text, m_formats.get(kind));
    }

    lxw_worksheet *worksheet() const { return m_ws; }

private:
    lxw_worksheet *m_ws;
    Formats &m_formats;
};

// A block of matches: a heading row, then three matches with the number of each
// match on the left and a score column on the right.
void matchBlock(Sheet &sheet, lxw_row_t headingRow, const char *heading, int firstMatch) {
    const Block block{headingRow, headingRow + 3, 1, 3};
    sheet.merge(block, headingRow, 1, 2, Kind::Heading, heading);
    sheet.put(block, headingRow, 3, Kind::Heading, "Счёт");
    for (lxw_row_t row = headingRow + 1; row <= block.lastRow; ++row) {
        const std::string label = "Матч " + std::to_string(firstMatch + (row - headingRow - 1));
        sheet.text(row, 0, Kind::Label, label.c_str());
        sheet.put(block, row, 1, Kind::Entry);
        sheet.put(block, row, 2, Kind::Entry);
        sheet.put(block, row, 3, Kind::Score);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xlsx\n", argv[0]);
        return 2;
    }
    lxw_workbook *workbook = workbook_new(argv[1]);
    if (!workbook) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    // A fixed date keeps the template the same from one build to the next.
    lxw_doc_properties properties{};
    properties.title = const_cast<char *>("Турнир");
    properties.author = const_cast<char *>("Korvana 3");
    properties.created = 1704067200; // 2024-01-01
    workbook_set_properties(workbook, &properties);

    // The workbook's default font sets the unit of column widths; a spreadsheet
    // without Calibri would measure them in a wider substitute. The first format
    // of the workbook is that default.
    lxw_format *defaultFormat = STAILQ_FIRST(workbook->formats);
    format_set_font_name(defaultFormat, kFont);
    format_set_font_size(defaultFormat, 10);
    format_set_font_scheme(defaultFormat, "");

    Formats formats(workbook);
    lxw_worksheet *ws = workbook_add_worksheet(workbook, "Турнир");
    Sheet sheet(ws, formats);

    // Column widths in pixels of the default font's digits. LibreOffice draws a
    // pixel of these as about 0.79 point (Excel as 0.75), so A to D end at about
    // 244 points and column E, which holds the prize picture (263 to 323 points),
    // starts a little before it. F to H are the narrow columns of the final table.
    const int widths[] = {58, 108, 108, 33, 113, 30, 30, 30};
    for (lxw_col_t col = 0; col < 8; ++col) {
        worksheet_set_column_pixels(ws, col, col, widths[col], nullptr);
    }
    // Row heights in points: rows 1 to 9 are 20 points, so that the first round
    // (rows 6 to 9) spans 100 to 180 points and the picture (115 to 175) stands
    // beside it. The rows below, filled in by hand, are taller.
    for (lxw_row_t row = 0; row < 9; ++row) {
        worksheet_set_row(ws, row, 20, nullptr);
    }
    worksheet_set_row(ws, 9, 16, nullptr);
    for (lxw_row_t row = 10; row < 19; ++row) {
        worksheet_set_row(ws, row, row == 10 || row == 15 ? 20 : 26, nullptr);
    }
    worksheet_set_row(ws, 14, 36, nullptr);

    // Players and their teams.
    const Block players{0, 3, 0, 1};
    sheet.put(players, 0, 0, Kind::Heading, "Игрок");
    sheet.put(players, 0, 1, Kind::Heading, "Команда");
    for (lxw_row_t row = 1; row <= 3; ++row) {
        sheet.put(players, row, 0, Kind::Entry);
        sheet.put(players, row, 1, Kind::Entry);
    }

    // The title and a line for the date.
    worksheet_merge_range(ws, 0, 2, 0, 7, "Турнир", formats.get(Kind::Title));
    worksheet_write_string(ws, 1, 4, "Дата:", formats.get(Kind::Label));
    for (lxw_col_t col = 5; col <= 7; ++col) {
        worksheet_write_blank(ws, 1, col, formats.get(Kind::Line));
    }

    // The prize of the previous tournament: the program puts its picture below
    // this caption, in E6:E9.
    worksheet_merge_range(ws, 3, 4, 4, 7, "Приз за лучшего бомбардира (прошлый турнир)", formats.get(Kind::Caption));

    matchBlock(sheet, 5, "Первый круг", 1);
    matchBlock(sheet, 10, "Второй круг", 4);

    // The final table, filled in by hand.
    worksheet_write_string(ws, 14, 0, "Итоговая таблица", formats.get(Kind::Section));
    const Block table{15, 18, 0, 7};
    const char *const headings[] = {"Место", "Игрок", "Команда", "Очки", "Мячи", "В", "Н", "П"};
    for (lxw_col_t col = 0; col < 8; ++col) {
        sheet.put(table, 15, col, Kind::Heading, headings[col]);
    }
    const char *const places[] = {"1", "2", "3"};
    for (lxw_row_t row = 16; row <= 18; ++row) {
        sheet.put(table, row, 0, Kind::Place, places[row - 16]);
        sheet.put(table, row, 1, Kind::Entry);
        sheet.put(table, row, 2, Kind::Entry);
        for (lxw_col_t col = 3; col < 8; ++col) {
            sheet.put(table, row, col, Kind::Score);
        }
    }

    // Printing: A4 upright, the whole sheet on one page.
    worksheet_set_paper(ws, 9);
    worksheet_set_portrait(ws);
    worksheet_print_area(ws, 0, 0, 18, 7);
    worksheet_fit_to_pages(ws, 1, 1);
    worksheet_center_horizontally(ws);
    worksheet_set_margins(ws, 0.6, 0.6, 0.7, 0.7);
    worksheet_set_footer(ws, "&R&8Korvana 3");
    worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);
    worksheet_set_selection(ws, 7, 4, 7, 4);

    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], lxw_strerror(error));
        return 1;
    }
    return 0;
}
