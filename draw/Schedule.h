#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QByteArray>
#include <QString>
#include <array>

class Random;

// The first round of a tournament of three teams T1, T2, T3 (player order):
// three matches in which every team meets every other team once.
struct Fixtures {
    // Line by line, the first-named and the second-named team:
    // X against Y, Z against X, Y against Z.
    FirstRoundTeams matches;
    int attempts = 0; // how many draws it took
};

// Draws the order X, Y, Z, every order of the three teams equally likely.
// A team field that is empty (or holds only blanks) and teams that are equal as
// texts cannot form a round: that is a failure, with a message that names them,
// and no draw is made.
Result<Fixtures> drawFirstRound(const PerPlayer<QString> &teams, Random &random);

// The teams as a data file stores them, one line each in Windows-1251. A team
// that cannot stand on one such line (a character that the code page lacks, or
// a line break pasted with the name) is a failure naming the team, its player
// and the file.
Result<PerPlayer<QByteArray>> teamsForFile(const PerPlayer<QString> &teams, const QString &fileName);

inline const QString kLogCreatedMessage = QStringLiteral("file not found, new");

// Appends the three teams to the used-teams log in player order, one line each.
// A log that does not exist is created with them; the window tells the user with
// kLogCreatedMessage beforehand. A last line without a line end gets one first,
// so that no team is glued onto it. The three lines go in whole or not at all: a
// failed append leaves the log as it was.
Status appendToUsedTeamsLog(const PerPlayer<QByteArray> &teams);
