#include "XmlPart.h"

#include <string>
#include <string_view>

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;

} // namespace

QString parseXml(pugi::xml_document &document, const QByteArray &bytes) {
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kParseOptions, pugi::encoding_utf8);
    if (!result) {
        return QStringLiteral("%1, offset %2").arg(QString::fromUtf8(result.description())).arg(result.offset);
    }
    if (!document.document_element()) {
        return QStringLiteral("no root element");
    }
    return {};
}

QByteArray xmlBytes(const pugi::xml_document &document) {
    struct Writer final : pugi::xml_writer {
        QByteArray bytes;
        void write(const void *data, size_t size) override {
            bytes.append(static_cast<const char *>(data), static_cast<qsizetype>(size));
        }
    } writer;
    document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.bytes;
}

pugi::xml_node newXmlDocument(pugi::xml_document &document, const char *rootName) {
    document.reset();
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
    return document.append_child(rootName);
}

bool bindPrefix(pugi::xml_node element, const char *prefix, const char *ns) {
    const std::string name = std::string("xmlns:") + prefix;
    pugi::xml_attribute attribute = element.attribute(name.c_str());
    if (!attribute) {
        element.append_attribute(name.c_str()) = ns;
        return true;
    }
    return std::string_view(attribute.value()) == ns;
}

QString xmlSafe(const QString &text) {
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF) {
            continue;
        }
        safe.append(c);
    }
    return safe;
}
