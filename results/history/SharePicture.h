#pragma once

#include "LeagueBook.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

// A picture of one tournament's result to send to the friends' group chat: the
// date, the players with their teams, the six scores, the table and each
// player's rating change, on a white ground 1080 pixels wide, no text under 28
// pixels high.
inline constexpr int kSharePictureWidth = 1080;
inline constexpr int kSmallestShareText = 28;

struct SharePicture {
    QImage image;
    // Every text drawn and where, for a reader that checks the picture.
    std::vector<std::pair<QString, QRect>> texts;
};

// ratingChanges and ratingsAfter are the rows' changes over the tournament and
// their ratings after it.
SharePicture drawSharePicture(const LeagueTournament &tournament, const PerPlayer<double> &ratingChanges,
                              const PerPlayer<double> &ratingsAfter);

// The picture as PNG.
QByteArray sharePictureBytes(const QImage &image);
