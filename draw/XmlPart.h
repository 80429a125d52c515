#pragma once

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

// The XML parts of an .xlsx package as pugixml documents: read from bytes and
// written back as UTF-8 without added whitespace. The header is for draw/ and
// its tests only: it needs pugixml.

// Parses a part into the document. Empty text when it parsed and has a root
// element; otherwise why not, with the offset of the fault. Whitespace-only
// text is kept where it is the only content of an element, so that a cell
// holding a blank stays as it is.
QString parseXml(pugi::xml_document &document, const QByteArray &bytes);
// The document as the bytes of a part.
QByteArray xmlBytes(const pugi::xml_document &document);
// Empties the document and gives it a declaration (version 1.0, UTF-8,
// standalone) and a root element of that name, which it returns.
pugi::xml_node newXmlDocument(pugi::xml_document &document, const char *rootName);
// Makes sure the prefix is bound to the namespace on the element; false when
// the prefix is already bound to another namespace there.
bool bindPrefix(pugi::xml_node element, const char *prefix, const char *ns);
// The text without the characters that XML 1.0 cannot carry.
QString xmlSafe(const QString &text);
