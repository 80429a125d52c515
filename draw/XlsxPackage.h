#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <pugixml.hpp>
#include <vector>

// An .xlsx file is a package: a zip of parts, most of them XML, tied together by
// relationship parts ("_rels/*.rels") and typed by "[Content_Types].xml". This
// unit holds the parts in memory and edits the relationships and content types;
// what a part means to the spreadsheet is left to the spreadsheet. The header
// is for draw/ and its tests only: it needs pugixml.

// A part: its name in the zip, as in "xl/worksheets/sheet1.xml", and its bytes.
struct XlsxPart {
    QString name;
    QByteArray bytes;

    bool operator==(const XlsxPart &) const = default;
};

// The parts of a package in their order in the zip.
class XlsxPackage {
public:
    // How the parts go into the zip: deflated, as a spreadsheet application
    // writes them, or stored as they are, so that a change to the zip's bytes
    // reaches a part's text (the fuzz harness relies on this).
    enum class Compression { Deflate, Store };

    XlsxPackage() = default;
    explicit XlsxPackage(std::vector<XlsxPart> parts) : m_parts(std::move(parts)) {}

    // Empty when the bytes are not a zip that can be read to the end with every
    // part's CRC right.
    static std::optional<XlsxPackage> fromZip(const QByteArray &bytes);
    // The parts zipped in their order; empty when the zip cannot be written.
    std::optional<QByteArray> toZip(Compression compression = Compression::Deflate) const;

    // The bytes of the first part of that name; nullptr when there is none.
    const QByteArray *find(const QString &name) const;
    // Replaces the bytes of the first part of that name, or adds the part at the end.
    void put(const QString &name, QByteArray bytes);
    // "prefix1suffix", "prefix2suffix", ...: the first name that no part has.
    QString freeName(const QString &prefix, const QString &suffix) const;

    const std::vector<XlsxPart> &parts() const { return m_parts; }
    void clear() { m_parts.clear(); }

private:
    std::vector<XlsxPart> m_parts;
};

// ---- relationships ------------------------------------------------------------

inline constexpr char kPackageRelationshipsNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";

// The part that holds a part's relationships:
// "xl/worksheets/sheet1.xml" -> "xl/worksheets/_rels/sheet1.xml.rels".
QString relationshipsPart(const QString &part);
// A relationship's target, relative to the part that holds the relationship or
// absolute ("/xl/media/image1.png"), as a part name.
QString resolveTarget(const QString &sourcePart, const QString &target);
// A part name as a target relative to the part that refers to it.
QString relativeTarget(const QString &sourcePart, const QString &part);
// Appends a relationship under the first id "rId1", "rId2", ... that the
// relationships element does not use yet, and returns that id.
QString addRelationship(pugi::xml_node relationships, const char *type, const QString &target);

// ---- content types --------------------------------------------------------------

inline const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");

// Gives every part whose name ends in the extension a content type, unless an
// entry for the extension (in any letter case) is there already. The entry goes
// after the last entry of its kind.
void addDefaultContentType(pugi::xml_node types, const char *extension, const char *contentType);
// Gives one part a content type, unless the part has an entry already.
void addOverrideContentType(pugi::xml_node types, const QString &part, const char *contentType);
