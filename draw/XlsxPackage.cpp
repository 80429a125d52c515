#include "XlsxPackage.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

std::optional<XlsxPackage> XlsxPackage::fromZip(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdUnzip)) {
        return std::nullopt;
    }
    XlsxPackage package;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        QByteArray content = file.readAll();
        file.close(); // checks the CRC
        if (file.getZipError() != UNZ_OK) {
            return std::nullopt;
        }
        package.m_parts.push_back({zip.getCurrentFileName(), std::move(content)});
    }
    if (zip.getZipError() != UNZ_OK) {
        return std::nullopt;
    }
    return package;
}

std::optional<QByteArray> XlsxPackage::toZip(Compression compression) const {
    QByteArray data;
    QBuffer buffer(&data);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate)) {
        return std::nullopt;
    }
    const int method = compression == Compression::Store ? 0 : Z_DEFLATED;
    for (const XlsxPart &part : m_parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.name), nullptr, 0, method)) {
            return std::nullopt;
        }
        const bool written = file.write(part.bytes) == part.bytes.size();
        file.close();
        if (!written || file.getZipError() != ZIP_OK) {
            return std::nullopt;
        }
    }
    zip.close();
    if (zip.getZipError() != ZIP_OK) {
        return std::nullopt;
    }
    return data;
}

const QByteArray *XlsxPackage::find(const QString &name) const {
    for (const XlsxPart &part : m_parts) {
        if (part.name == name) {
            return &part.bytes;
        }
    }
    return nullptr;
}

void XlsxPackage::put(const QString &name, QByteArray bytes) {
    for (XlsxPart &part : m_parts) {
        if (part.name == name) {
            part.bytes = std::move(bytes);
            return;
        }
    }
    m_parts.push_back({name, std::move(bytes)});
}

QString XlsxPackage::freeName(const QString &prefix, const QString &suffix) const {
    for (int n = 1;; ++n) {
        QString name = prefix + QString::number(n) + suffix;
        if (!find(name)) {
            return name;
        }
    }
}

// ---- relationships ------------------------------------------------------------

QString relationshipsPart(const QString &part) {
    const QFileInfo info(part);
    return info.path() + QStringLiteral("/_rels/") + info.fileName() + QStringLiteral(".rels");
}

QString resolveTarget(const QString &sourcePart, const QString &target) {
    if (target.startsWith(u'/')) {
        return QDir::cleanPath(target).mid(1);
    }
    return QDir::cleanPath(u'/' + QFileInfo(sourcePart).path() + u'/' + target).mid(1);
}

QString relativeTarget(const QString &sourcePart, const QString &part) {
    return QDir(u'/' + QFileInfo(sourcePart).path()).relativeFilePath(u'/' + part);
}

QString addRelationship(pugi::xml_node relationships, const char *type, const QString &target) {
    QString id;
    for (int n = 1; id.isEmpty(); ++n) {
        const QByteArray candidate = "rId" + QByteArray::number(n);
        if (!relationships.find_child_by_attribute("Relationship", "Id", candidate.constData())) {
            id = QString::fromLatin1(candidate);
        }
    }
    pugi::xml_node relationship = relationships.append_child("Relationship");
    relationship.append_attribute("Id") = id.toUtf8().constData();
    relationship.append_attribute("Type") = type;
    relationship.append_attribute("Target") = target.toUtf8().constData();
    return id;
}

// ---- content types --------------------------------------------------------------

void addDefaultContentType(pugi::xml_node types, const char *extension, const char *contentType) {
    pugi::xml_node lastDefault;
    for (pugi::xml_node entry : types.children("Default")) {
        if (QString::fromUtf8(entry.attribute("Extension").value())
                .compare(QLatin1String(extension), Qt::CaseInsensitive) == 0) {
            return;
        }
        lastDefault = entry;
    }
    pugi::xml_node entry =
        lastDefault ? types.insert_child_after("Default", lastDefault) : types.prepend_child("Default");
    entry.append_attribute("Extension") = extension;
    entry.append_attribute("ContentType") = contentType;
}

void addOverrideContentType(pugi::xml_node types, const QString &part, const char *contentType) {
    const QByteArray partName = (u'/' + part).toUtf8();
    if (types.find_child_by_attribute("Override", "PartName", partName.constData())) {
        return;
    }
    pugi::xml_node entry = types.append_child("Override");
    entry.append_attribute("PartName") = partName.constData();
    entry.append_attribute("ContentType") = contentType;
}
