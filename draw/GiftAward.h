#pragma once

#include "Result.h"

#include <QString>
#include <optional>

class Random;

// The gifts of a finished tournament: what third place gives the winner, what
// second place gives the winner, and the best goal scorer's prize, each the
// full path of its picture.
struct GiftDraw {
    QString thirdPlace;
    QString secondPlace;
    QString scorerPrize;
};

// Draws the three gifts when the settings say that gifts are decided at random
// (Settings::randomGifts); otherwise there is no award (an empty optional). The draws are made in
// the order third place, second place, scorer, each uniform over its range.
Result<std::optional<GiftDraw>> drawGifts(Random &random);

// Records the scorer's prize in "gift.txt", one line, replacing what was there.
Status recordPrize(const QString &picturePath);

inline const QString kGiftsDrawnMessage = QStringLiteral("Подарки рассчитаны ;)");
