#include "Support.h"
#include "XlsxPackage.h"
#include "XlsxWorksheet.h"
#include "XmlPart.h"

#include <optional>
#include <ostream>
#include <pugixml.hpp>
#include <vector>

// Test failures show a part by its name and size.
void PrintTo(const XlsxPart &part, std::ostream *out) {
    *out << part.name.toStdString() << " (" << part.bytes.size() << " bytes)";
}

namespace {

const QString kSheet = QStringLiteral("xl/worksheets/sheet1.xml");
const QString kDrawing = QStringLiteral("xl/drawings/drawing1.xml");

// Parts as a workbook has them, in an order that is not alphabetical: XML
// that deflates well, an empty part and every byte value.
std::vector<XlsxPart> sampleParts() {
    QByteArray binary;
    for (int i = 0; i < 256; ++i) {
        binary.append(static_cast<char>(i));
    }
    return {{kContentTypesPart, "<Types>" + QByteArray("<Default Extension=\"xml\"/>").repeated(40) + "</Types>"},
            {kSheet, "<worksheet><sheetData/></worksheet>"},
            {QStringLiteral("xl/empty.bin"), {}},
            {QStringLiteral("xl/media/image1.png"), binary}};
}

pugi::xml_node parsed(pugi::xml_document &document, const char *xml) {
    EXPECT_EQ(parseXml(document, xml), QString()) << xml;
    return document.document_element();
}

} // namespace

TEST(XlsxPackage, KeepsEveryPartsNameBytesAndOrderThroughAZip) {
    const std::vector<XlsxPart> parts = sampleParts();
    QByteArray zipped[2];
    for (const XlsxPackage::Compression compression :
         {XlsxPackage::Compression::Deflate, XlsxPackage::Compression::Store}) {
        const std::optional<QByteArray> bytes = XlsxPackage(parts).toZip(compression);
        ASSERT_TRUE(bytes.has_value());
        const std::optional<XlsxPackage> back = XlsxPackage::fromZip(*bytes);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->parts(), parts);
        zipped[static_cast<int>(compression)] = *bytes;
    }
    // Stored parts can be read in the zip's bytes, deflated ones cannot.
    EXPECT_FALSE(zipped[0].contains(parts[0].bytes));
    EXPECT_TRUE(zipped[1].contains(parts[0].bytes));
}

TEST(XlsxPackage, RefusesBytesThatAreNotAWholeZip) {
    const QByteArray good = *XlsxPackage(sampleParts()).toZip(XlsxPackage::Compression::Store);
    ASSERT_TRUE(XlsxPackage::fromZip(good).has_value());
    QByteArray damaged = good;
    const qsizetype sheetText = damaged.indexOf("<sheetData/>");
    ASSERT_GE(sheetText, 0);
    damaged[sheetText + 1] = 'S'; // the part's CRC no longer matches
    for (const QByteArray &bytes :
         {QByteArray(), QByteArray("<worksheet/>"), good.left(good.size() / 2), good.chopped(22), damaged}) {
        EXPECT_FALSE(XlsxPackage::fromZip(bytes).has_value()) << bytes.size() << " bytes";
    }
}

TEST(XlsxPackage, PutReplacesAPartInItsPlaceAndAddsANewOneAtTheEnd) {
    XlsxPackage package(sampleParts());
    package.put(kSheet, "<worksheet/>");
    package.put(QStringLiteral("xl/media/image3.png"), "png");
    ASSERT_EQ(package.parts().size(), 5u);
    EXPECT_EQ(package.parts()[1], (XlsxPart{kSheet, "<worksheet/>"}));
    EXPECT_EQ(package.parts()[4].name, QStringLiteral("xl/media/image3.png"));
    const QByteArray *sheet = package.find(kSheet);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(*sheet, "<worksheet/>");
    EXPECT_EQ(package.find(QStringLiteral("xl/media")), nullptr);
    EXPECT_EQ(package.freeName(QStringLiteral("xl/media/image"), QStringLiteral(".png")),
              QStringLiteral("xl/media/image2.png"));
}

TEST(XlsxRelationships, ResolvesTargetsFromTheirPartAndMakesRelativeOnesBack) {
    EXPECT_EQ(relationshipsPart(kSheet), QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels"));
    EXPECT_EQ(resolveTarget(kSheet, QStringLiteral("../drawings/drawing1.xml")), kDrawing);
    EXPECT_EQ(resolveTarget(kSheet, QStringLiteral("/xl/drawings/./drawing1.xml")), kDrawing);
    EXPECT_EQ(resolveTarget(QStringLiteral("xl/workbook.xml"), QStringLiteral("worksheets/sheet1.xml")), kSheet);
    EXPECT_EQ(relativeTarget(kSheet, kDrawing), QStringLiteral("../drawings/drawing1.xml"));
    EXPECT_EQ(relativeTarget(kSheet, QStringLiteral("xl/worksheets/sheet2.xml")), QStringLiteral("sheet2.xml"));
    for (const QString &part :
         {kDrawing, kSheet, QStringLiteral("xl/media/image1.png"), QStringLiteral("docProps/app.xml")}) {
        EXPECT_EQ(resolveTarget(kDrawing, relativeTarget(kDrawing, part)), part);
    }
}

TEST(XlsxRelationships, GivesANewRelationshipTheFirstFreeId) {
    pugi::xml_document document;
    const pugi::xml_node rels = parsed(document, "<Relationships><Relationship Id=\"rId1\"/>"
                                                 "<Relationship Id=\"rId3\"/></Relationships>");
    EXPECT_EQ(addRelationship(rels, "drawing", QStringLiteral("../drawings/drawing1.xml")), QStringLiteral("rId2"));
    EXPECT_EQ(addRelationship(rels, "image", QStringLiteral("../media/image1.png")), QStringLiteral("rId4"));
    const pugi::xml_node added = rels.find_child_by_attribute("Relationship", "Id", "rId2");
    EXPECT_STREQ(added.attribute("Type").value(), "drawing");
    EXPECT_STREQ(added.attribute("Target").value(), "../drawings/drawing1.xml");
    EXPECT_EQ(rels.select_nodes("Relationship").size(), 4u);
}

TEST(XlsxContentTypes, AddsEachExtensionAndPartOnce) {
    pugi::xml_document document;
    const pugi::xml_node types =
        parsed(document, "<Types><Default Extension=\"PNG\" ContentType=\"image/png\"/>"
                         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"w\"/></Types>");
    for (int round = 0; round < 2; ++round) {
        addDefaultContentType(types, "png", "image/png");
        addDefaultContentType(types, "jpeg", "image/jpeg");
        addOverrideContentType(types, QStringLiteral("xl/workbook.xml"), "w");
        addOverrideContentType(types, kDrawing, "d");
    }
    EXPECT_EQ(types.select_nodes("Default").size(), 2u);
    EXPECT_STREQ(types.child("Default").next_sibling().attribute("Extension").value(), "jpeg");
    EXPECT_EQ(types.select_nodes("Override").size(), 2u);
    EXPECT_STREQ(types.last_child().attribute("PartName").value(), "/xl/drawings/drawing1.xml");
}

TEST(XmlPart, KeepsABlankTextAndTheDeclarationThroughBytes) {
    pugi::xml_document document;
    pugi::xml_node root = newXmlDocument(document, "worksheet");
    root.append_child("t").text().set(" ");
    root.append_child("u").text().set(xmlSafe(QStringLiteral("Андрей & <Сергей>\x01\t")).toUtf8().constData());
    const QByteArray bytes = xmlBytes(document);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>")) << bytes.data();

    pugi::xml_document back;
    ASSERT_EQ(parseXml(back, bytes), QString());
    EXPECT_STREQ(back.document_element().child_value("t"), " ");
    EXPECT_EQ(QString::fromUtf8(back.document_element().child_value("u")), QStringLiteral("Андрей & <Сергей>\t"));
}

TEST(XmlPart, RefusesAPartThatIsNotXmlOrHasNoRootElement) {
    pugi::xml_document document;
    EXPECT_TRUE(parseXml(document, "<a><b></a>").contains(QStringLiteral("offset")));
    EXPECT_FALSE(parseXml(document, "<?xml version=\"1.0\"?>").isEmpty());
    EXPECT_FALSE(parseXml(document, "").isEmpty());
}

TEST(XmlPart, BindsAPrefixOnceAndNeverToAnotherNamespace) {
    pugi::xml_document document;
    const pugi::xml_node root = parsed(document, "<wsDr xmlns:a=\"urn:a\"/>");
    EXPECT_TRUE(bindPrefix(root, "a", "urn:a"));
    EXPECT_TRUE(bindPrefix(root, "r", "urn:r"));
    EXPECT_TRUE(bindPrefix(root, "r", "urn:r"));
    EXPECT_FALSE(bindPrefix(root, "a", "urn:other"));
    EXPECT_STREQ(root.attribute("xmlns:a").value(), "urn:a");
    EXPECT_EQ(std::distance(root.attributes_begin(), root.attributes_end()), 2);
}

TEST(XlsxWorksheet, NamesCellsUpToTheLastColumnAndRow) {
    for (const char *name : {"A1", "e8", "Z26", "AA1", "XFD1048576"}) {
        const std::optional<CellRef> ref = parseCellRef(QString::fromLatin1(name));
        ASSERT_TRUE(ref.has_value()) << name;
        EXPECT_EQ(ref->name(), QString::fromLatin1(name).toUpper());
    }
    EXPECT_EQ(parseCellRef(u"AB3")->column, 28);
    for (const char *name : {"", "A", "7", "5A", "A0", "A01", "XFE1", "A1048577", "AAAA1", "A1:B2", "A 1"}) {
        EXPECT_FALSE(parseCellRef(QString::fromLatin1(name)).has_value()) << name;
    }
}
