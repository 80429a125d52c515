#include "Unit51.h"

#include "DataFiles.h"
#include "GiftCatalogue.h"
#include "Seams.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit51.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>

TForm5::TForm5(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TForm5>()) {
    ui->setupUi(this);
    setWindowFlags(fixedWindowFlags());
    closeOnEscape(this);
    setFixedSize(size());
}

TForm5::~TForm5() = default;

QLabel *TForm5::imageCell(int number) const {
    return findChild<QLabel *>(QStringLiteral("Image%1").arg(number));
}

void TForm5::showCatalogue() {
    showCatalogueFrom(giftPictureFolder());
}

bool TForm5::showCatalogueFrom(const QString &pictureFolder) {
    // Entries are filled in order; a picture that fails stops the filling, so
    // the earlier cells show the new pictures and the later ones keep theirs.
    for (std::size_t i = 0; i < kGiftCatalogue.size(); ++i) {
        const Gift &gift = kGiftCatalogue[i];
        const QString path = giftPicturePath(gift.pictureFile, pictureFolder);
        QImageReader reader(path);
        const QImage picture = reader.read();
        if (picture.isNull()) {
            messages().error(fileErrorText(path, reader.errorString()));
            return false;
        }
        // Drawn at its own size from the top-left corner; the cell cuts off
        // whatever lies outside it.
        QLabel *cell = imageCell(static_cast<int>(i) + 1);
        cell->setPixmap(QPixmap::fromImage(picture));
        cell->setToolTip(gift.hint.toString());
    }
    if (!isVisible()) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    bringToFront(this);
    return true;
}
