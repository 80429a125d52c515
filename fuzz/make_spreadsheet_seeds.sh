#!/usr/bin/env bash
# Writes the small workbooks in fuzz/corpus/spreadsheet that seed the spreadsheet
# fuzzer: each holds only the parts the spreadsheet reads, stored uncompressed
# as the fuzzer's own mutations store them. Needs zip.
#   fuzz/make_spreadsheet_seeds.sh
set -euo pipefail
out=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/corpus/spreadsheet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

main_ns='http://schemas.openxmlformats.org/spreadsheetml/2006/main'
rel_ns='http://schemas.openxmlformats.org/officeDocument/2006/relationships'
pkg_ns='http://schemas.openxmlformats.org/package/2006/relationships'
decl='<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
types_start="$decl<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" ContentType=\"application/xml\"/>"
sheet_type='<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'

# part NAME CONTENT: writes one part of the workbook being made.
part() {
    mkdir -p "$work/$(dirname "$1")"
    printf '%s' "$2" >"$work/$1"
}

# workbook NAME PART...: zips the parts in the order given, content types first.
workbook() {
    local name=$1
    shift
    rm -f "$out/$name"
    (cd "$work" && find . -type f -exec touch -d '2024-01-01 00:00:00' {} + &&
        zip -q -0 -X -D -nw "$out/$name" "$@")
    rm -rf "${work:?}"/*
}

mkdir -p "$out"

# The least that opens: content types and a sheet with no rows.
part '[Content_Types].xml' "$types_start$sheet_type</Types>"
part xl/worksheets/sheet1.xml "$decl<worksheet xmlns=\"$main_ns\"><sheetData/></worksheet>"
workbook minimal.xlsx '[Content_Types].xml' xl/worksheets/sheet1.xml

# The shape of the tournament sheet: framed empty cells among headings, a used
# range, a cursor, rows and cells that leave out their numbers, and elements that
# must stay after the ones the spreadsheet adds.
part '[Content_Types].xml' "$types_start$sheet_type</Types>"
part xl/worksheets/sheet1.xml "$decl<worksheet xmlns=\"$main_ns\" xmlns:r=\"$rel_ns\"><dimension ref=\"A1:H19\"/><sheetViews><sheetView workbookViewId=\"0\"><selection activeCell=\"E8\" sqref=\"E8\"/></sheetView></sheetViews><sheetData><row r=\"1\" spans=\"1:8\"><c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"2\"/></row><row r=\"2\"><c r=\"A2\" s=\"4\"/><c r=\"B2\" s=\"5\"/><c r=\"E2\" t=\"inlineStr\"><is><t>Приз</t></is></c></row><row><c s=\"4\"/><c/></row><row r=\"7\"><c r=\"B7\" s=\"5\"/><c r=\"C7\" s=\"5\"/></row><row r=\"9\"><c r=\"B9\"/><c/><c r=\"E9\"><f>SUM(A1:A2)</f><v>0</v></c></row><row r=\"19\"><c r=\"H19\"/></row></sheetData><mergeCells count=\"1\"><mergeCell ref=\"E2:H2\"/></mergeCells><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/><headerFooter/><extLst/></worksheet>"
workbook cells.xlsx '[Content_Types].xml' xl/worksheets/sheet1.xml

# A sheet with a picture already: the prize picture joins its drawing.
part '[Content_Types].xml' "$types_start<Default Extension=\"png\" ContentType=\"image/png\"/>$sheet_type<Override PartName=\"/xl/drawings/drawing1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/></Types>"
part xl/worksheets/sheet1.xml "$decl<worksheet xmlns=\"$main_ns\" xmlns:r=\"$rel_ns\"><sheetData><row r=\"2\"><c r=\"A2\"/></row></sheetData><drawing r:id=\"rId1\"/></worksheet>"
part xl/worksheets/_rels/sheet1.xml.rels "$decl<Relationships xmlns=\"$pkg_ns\"><Relationship Id=\"rId1\" Type=\"$rel_ns/drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>"
part xl/drawings/drawing1.xml "$decl<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" xmlns:r=\"$rel_ns\"><xdr:absoluteAnchor><xdr:pos x=\"0\" y=\"0\"/><xdr:ext cx=\"12700\" cy=\"12700\"/><xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"3\" name=\"Picture 3\"/><xdr:cNvPicPr/></xdr:nvPicPr><xdr:blipFill><a:blip r:embed=\"rId1\"/></xdr:blipFill><xdr:spPr/></xdr:pic><xdr:clientData/></xdr:absoluteAnchor></xdr:wsDr>"
part xl/drawings/_rels/drawing1.xml.rels "$decl<Relationships xmlns=\"$pkg_ns\"><Relationship Id=\"rId1\" Type=\"$rel_ns/image\" Target=\"../media/image1.png\"/></Relationships>"
mkdir -p "$work/xl/media"
printf 'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==' |
    base64 -d >"$work/xl/media/image1.png"
workbook drawing.xlsx '[Content_Types].xml' xl/worksheets/sheet1.xml xl/worksheets/_rels/sheet1.xml.rels \
    xl/drawings/drawing1.xml xl/drawings/_rels/drawing1.xml.rels xl/media/image1.png

# Frozen panes: the cursor belongs to the active pane.
part '[Content_Types].xml' "$types_start$sheet_type</Types>"
part xl/worksheets/sheet1.xml "$decl<worksheet xmlns=\"$main_ns\"><sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/><selection pane=\"bottomLeft\" activeCell=\"A2\" sqref=\"A2\"/></sheetView></sheetViews><sheetData><row r=\"1\"><c r=\"XFD1\"/></row><row r=\"8\"><c r=\"E8\"/><c r=\"AA8\"/></row></sheetData></worksheet>"
workbook pane.xlsx '[Content_Types].xml' xl/worksheets/sheet1.xml
