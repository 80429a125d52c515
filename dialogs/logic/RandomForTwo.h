#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <utility>

class Random;

// Two different teams for two players, from one list: for clubs one of the three
// club lists chosen at random, for national teams "natteams.txt". Nothing is read
// but the list, and nothing is written.
enum class TwoPlayerKind { Clubs, NationalTeams };

struct TwoTeams {
    QString list; // the list they came from
    QByteArray first;
    QByteArray second;
};

// The first team is any line of the list; the second any line whose text differs
// from the first, each such line equally likely. A list without two different
// lines cannot serve: that is a failure naming the list.
Result<TwoTeams> drawTwoTeams(TwoPlayerKind kind, Random &random);
