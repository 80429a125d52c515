#pragma once

#include "Result.h"
#include "Tournament.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

class Random;

// The team draw of the fill button: every player whose team field is empty gets
// a team drawn at random from the list of the run.
//
// Texts are compared as the bytes that stand in the data files. A text of a
// control that Windows-1251 cannot hold has no such bytes (an empty optional):
// it equals no line of any list.
using TeamText = std::optional<QByteArray>;

struct FillRequest {
    QString poolFile;            // the list of the run
    PerPlayer<TeamText> teams;   // the team fields before the fill
    PerPlayer<TeamText> exclude; // the "Кроме:" teams; empty when none is chosen
    PerPlayer<TeamText> previous;
    bool skipPrevious = true;   // "Не использовать ТРИ последние"
    bool skipAllUsed = false;   // "Не использовать ВСЕ последние"
    PerPlayer<QString> players; // the names, for the messages
};

struct FillOutcome {
    enum class End {
        Filled,      // every field holds a team
        Exhausted,   // the list has run dry: the program shows the list's message and ends
        NoCandidate, // no line of the list can go to this player at all: nothing is
                     // drawn, the fields stay as they were, and the program goes on
    };
    End end = End::Filled;
    PerPlayer<TeamText> teams; // the team fields after the fill
    int player = 0;            // 0-based; the player whose draw stopped
    QString message;           // what to show for Exhausted and NoCandidate
};

// Draws a team for every empty field, player 1 first. A line of the list cannot
// go to a player when another player holds it, when the player excluded it, when
// it was the player's own team last time (skipPrevious) or when it stands in the
// used-teams log (skipAllUsed); each line that can is equally likely. When no
// line can, the fill ends as Exhausted if some line is kept out by the log alone,
// and as NoCandidate, with every field as it was before, otherwise. The list and
// the log are each read once. File errors are failures; nothing is drawn then.
Result<FillOutcome> fillTeams(const FillRequest &request, Random &random);

// The team whose draw brings up the congratulation.
inline const QString kCongratulatedTeam = QStringLiteral("Барселона");
