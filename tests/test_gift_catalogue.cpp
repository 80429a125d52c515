#include "Cp1251.h"
#include "GiftCatalogue.h"
#include "ProgramTest.h"
#include "Startup.h"
#include "Unit51.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>

class GiftCatalogue : public ProgramTest {
protected:
    TForm5 &catalogue() const { return program->form5(); }
    QLabel *cell(int number) const {
        return findIn<QLabel>(&program->form5(), QStringLiteral("Image%1").arg(number).toLatin1().constData());
    }
    // The cell whose top-left corner lies at the given place.
    QLabel *cellAt(int x, int y) const {
        for (int n = 1; n <= 17; ++n) {
            if (cell(n)->pos() == QPoint(x, y)) {
                return cell(n);
            }
        }
        return nullptr;
    }
    // A folder with copies of the shipped pictures.
    QString copyOfPictures(QTemporaryDir &folder, int count = 17) const {
        for (int i = 0; i < count; ++i) {
            const QString name = kGiftCatalogue[i].pictureFile.toString();
            EXPECT_TRUE(QFile::copy(giftPicturePath(kGiftCatalogue[i].pictureFile), folder.filePath(name)));
        }
        return folder.path() + QLatin1Char('/');
    }
};

TEST_F(GiftCatalogue, PicturesAreFoundBesideTheProgramFromAnyWorkingDirectory) {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/images/");
    EXPECT_EQ(giftPictureFolder(), folder);
    EXPECT_NE(QDir::currentPath() + QLatin1Char('/'), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    EXPECT_EQ(giftPicturePath(u"okay.bmp"), folder + QStringLiteral("okay.bmp"));
    // The start-up's prize test compares "gift.txt" with the same path.
    EXPECT_EQ(teamChoicePrizePath(), toCp1251(folder + QStringLiteral("team.bmp")).value());
    for (QStringView file : kGiftAwardCandidates) {
        EXPECT_TRUE(std::any_of(kGiftCatalogue.begin(), kGiftCatalogue.end(), [file](const Gift &gift) {
            return gift.pictureFile == file;
        })) << file.toString().toStdString();
    }
}

TEST_F(GiftCatalogue, ShowsEveryGiftInItsCellWithItsHint) {
    writeStandardFiles();
    start();
    TForm5 &form = catalogue();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Подарки"));
    EXPECT_EQ(form.size(), QSize(512, 252));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    for (int n = 1; n <= 17; ++n) {
        EXPECT_TRUE(cell(n)->pixmap().isNull()) << "empty until the first opening";
        EXPECT_TRUE(cell(n)->toolTip().isEmpty());
    }

    form.showCatalogue();
    ASSERT_TRUE(boxes.shown.empty()) << boxes.texts().join('\n').toStdString();
    EXPECT_TRUE(form.isVisible());
    for (int n = 1; n <= 17; ++n) {
        const Gift &gift = kGiftCatalogue[n - 1];
        EXPECT_EQ(cell(n)->pixmap().size(), QSize(64, 64)) << n;
        EXPECT_FALSE(cell(n)->hasScaledContents());
        EXPECT_EQ(cell(n)->toolTip(), gift.hint.toString()) << n;
        // The picture is the file itself, as drawn.
        EXPECT_EQ(cell(n)->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                  QImage(giftPicturePath(gift.pictureFile)).convertToFormat(QImage::Format_RGB32))
            << n;
    }
    // The grid: rows of seven at a pitch of 72, the bottom row holding three.
    EXPECT_EQ(cellAt(440, 8), cell(3));
    EXPECT_EQ(cellAt(224, 80), cell(10));
    ASSERT_NE(cellAt(296, 152), nullptr);
    EXPECT_EQ(cellAt(296, 152)->toolTip(), QStringLiteral("Не учитывать 1 красную карточку в следующем турнире"));
    EXPECT_EQ(cell(8)->toolTip(), QStringLiteral("Шоколадки «Пралине»"));
    EXPECT_EQ(findIn<QLabel>(&form, "StaticText1")->text(),
              QStringLiteral("Наведите курсор на подарок для получения подсказки..."));
    form.hide();
}

TEST_F(GiftCatalogue, ReadsThePicturesAfreshAtEveryOpeningAndStaysWhereItIs) {
    writeStandardFiles();
    start();
    QTemporaryDir folder;
    const QString pictures = copyOfPictures(folder);
    TForm5 &form = catalogue();
    ASSERT_TRUE(form.showCatalogueFrom(pictures));
    form.move(30, 40);
    const QPoint place = form.pos();

    QImage red(80, 80, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(QFile::remove(folder.filePath("ball.bmp")));
    ASSERT_TRUE(red.save(folder.filePath("ball.bmp"), "BMP"));
    ASSERT_TRUE(form.showCatalogueFrom(pictures));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), place);
    // A larger picture is not scaled: the cell shows its top-left part.
    EXPECT_EQ(cell(1)->pixmap().size(), QSize(80, 80));
    EXPECT_EQ(cell(1)->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(cell(1)->size(), QSize(64, 64));
    form.hide();
}

TEST_F(GiftCatalogue, APictureThatCannotBeLoadedStopsTheFillingAndShowsNoWindow) {
    writeStandardFiles();
    start();
    TForm5 &form = catalogue();
    QTemporaryDir empty;
    EXPECT_FALSE(form.showCatalogueFrom(empty.path() + QLatin1Char('/')));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, ScriptedMessages::Kind::Error);
    EXPECT_TRUE(boxes.shown[0].text.contains(QDir::toNativeSeparators(empty.filePath("ball.bmp"))))
        << boxes.shown[0].text.toStdString();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(cell(1)->pixmap().isNull());

    // The first four load, the fifth is no picture: the later cells stay as they were.
    QTemporaryDir partial;
    const QString pictures = copyOfPictures(partial, 4);
    QFile broken(partial.filePath(kGiftCatalogue[4].pictureFile.toString()));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM not a bitmap");
    broken.close();
    EXPECT_FALSE(form.showCatalogueFrom(pictures));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("money.bmp"))) << boxes.shown[1].text.toStdString();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(cell(4)->pixmap().isNull());
    EXPECT_EQ(cell(4)->toolTip(), QStringLiteral("Приятная посылка"));
    EXPECT_TRUE(cell(5)->pixmap().isNull());
    EXPECT_TRUE(cell(5)->toolTip().isEmpty());
}
