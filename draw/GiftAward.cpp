#include "GiftAward.h"

#include "Cp1251.h"
#include "DataFiles.h"
#include "GiftCatalogue.h"
#include "Seams.h"
#include "Settings.h"

namespace {

QString drawFrom(GiftRange range, Random &random) {
    const int entry = range.first + random.below(range.count);
    return giftPicturePath(kGiftAwardCandidates[static_cast<std::size_t>(entry)]);
}

} // namespace

Result<std::optional<GiftDraw>> drawGifts(Random &random) {
    const Result<Settings> settings = readSettings(DataFile::Settings);
    if (!settings.ok()) {
        return settings.status();
    }
    if (!settings.value().randomGifts()) {
        return std::optional<GiftDraw>();
    }
    random.seedFromClock();
    GiftDraw gifts;
    gifts.thirdPlace = drawFrom(kThirdPlaceGifts, random);
    gifts.secondPlace = drawFrom(kSecondPlaceGifts, random);
    gifts.scorerPrize = drawFrom(kScorerPrizes, random);
    return std::optional<GiftDraw>(gifts);
}

Status recordPrize(const QString &picturePath) {
    const std::optional<QByteArray> path = toCp1251(picturePath);
    if (!path) {
        return Failure{fileErrorText(
            DataFile::Gift,
            QStringLiteral("Путь к картинке приза «%1» нельзя записать в кодировке Windows-1251").arg(picturePath))};
    }
    return writeLines(DataFile::Gift, {*path});
}
