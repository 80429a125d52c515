#include "GiftCatalogue.h"

#include "DataFiles.h"

QString giftPictureFolder() {
    return programDirectory() + QStringLiteral("images/");
}

QString giftPicturePath(QStringView pictureFile, const QString &folder) {
    return folder + pictureFile.toString();
}
