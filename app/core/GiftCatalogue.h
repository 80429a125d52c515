#pragma once

#include <QString>
#include <QStringView>
#include <array>

// The gifts that a finished tournament can hand out. Each gift is a picture in
// the folder "images" beside the program and a hint that names it; other parts
// of the program name a gift by its picture's file name.
struct Gift {
    QStringView pictureFile;
    QStringView hint;
};

// The catalogue in its fixed order: entry N is shown by the catalogue window's
// ImageN.
inline constexpr std::array<Gift, 17> kGiftCatalogue = {{
    {u"ball.bmp", u"Оле-оле!"},
    {u"big_shok.bmp", u"Шоколад"},
    {u"big_tea.bmp", u"Чай"},
    {u"beer.bmp", u"Приятная посылка"},
    {u"money.bmp", u"Чемодан денег"},
    {u"mid_shok.bmp", u"Средний шоколад"},
    {u"mid_tea.bmp", u"Средний чай"},
    {u"new_shok.bmp", u"Шоколадки «Пралине»"},
    {u"new_tea.bmp", u"Чай в пирамидках"},
    {u"okay.bmp", u"Пустышка"},
    {u"sm_shok.bmp", u"Маленький шоколад"},
    {u"sm_tea.bmp", u"Маленький чай"},
    {u"russia.bmp", u"Большая страна"},
    {u"shamp.bmp", u"Шампанское"},
    {u"redcard.bmp", u"Не учитывать 1 красную карточку в следующем турнире"},
    {u"team.bmp", u"Возможность самому выбрать команду на следующий турнир"},
    {u"travma.bmp", u"Возможность не учитывать 1 травму в следующем турнире"},
}};

// The pictures that the gift award draws from, in the award's own order. The
// dud "okay.bmp" stands twice: once at the end of what second place can give
// (and the start of what third place can give), once among the scorer's prizes.
inline constexpr std::array<QStringView, 18> kGiftAwardCandidates = {
    u"ball.bmp",     u"beer.bmp",     u"money.bmp",   u"russia.bmp",   u"shamp.bmp",   u"okay.bmp",
    u"mid_tea.bmp",  u"new_shok.bmp", u"new_tea.bmp", u"mid_shok.bmp", u"sm_shok.bmp", u"sm_tea.bmp",
    u"big_shok.bmp", u"big_tea.bmp",  u"redcard.bmp", u"team.bmp",     u"travma.bmp",  u"okay.bmp",
};

// A run of consecutive entries of kGiftAwardCandidates (0-based first entry).
struct GiftRange {
    int first;
    int count;
};
inline constexpr GiftRange kSecondPlaceGifts = {0, 6}; // what second place gives the winner
inline constexpr GiftRange kThirdPlaceGifts = {5, 9};  // what third place gives the winner
inline constexpr GiftRange kScorerPrizes = {14, 4};    // the best goal scorer's prize

// The picture of the free choice of team for the next tournament.
inline constexpr QStringView kTeamChoicePicture = u"team.bmp";

// The folder of the gift pictures: "images" in the directory of the running
// program, with a final separator. The pictures are found there whatever the
// working directory is.
QString giftPictureFolder();

// The full path of a gift picture: the folder followed by the file name. This is
// the path that "gift.txt" records, so every part of the program that names a
// gift picture builds it here.
QString giftPicturePath(QStringView pictureFile, const QString &folder = giftPictureFolder());
