#pragma once

#include "Result.h"
#include "Settings.h"
#include "Tournament.h"

#include <QByteArrayView>
#include <QString>
#include <array>

// What the settings window shows of "settings.ini" and what it writes there. No
// widgets: the window copies these values to and from its controls; the file is
// read and written by the program's one settings reader and writer.

// The words of the kind line, in the order of the window's kind buttons
// ("Клубы", "Сборные", "Случайно").
inline constexpr std::array<QByteArrayView, 3> kKindWords = {"clubs", "natteams", "random"};
inline constexpr int kNoKind = -1;

// The kind button that a kind line selects: the line must equal one of the
// words exactly, letter case included; kNoKind for any other line.
int kindButton(QByteArrayView line);

// What the window shows of the file each time it becomes active.
struct SettingsShown {
    bool askAtStart = true;
    int kind = kNoKind; // the button that the kind line selects; kNoKind keeps the selection as it is
    bool randomGifts = true;
};

SettingsShown settingsShown(const Settings &settings);
Result<SettingsShown> readSettingsShown(const QString &fileName);

// What the window writes when its choices are confirmed.
struct SettingsChosen {
    bool askAtStart = true;
    int kind = kNoKind; // kNoKind: the file gets no kind line
    PerPlayer<QString> players;
    bool randomGifts = true;
    bool logAllTeams = true;
};

// The settings as the window's choices make them. Fails, naming the player and
// the character, when a name holds a character that Windows-1251 cannot represent
// or a line break, and when the file could not give a name back (checkSettings).
Result<Settings> chosenSettings(const SettingsChosen &chosen);
// Replaces the file as a whole; on any failure the file stays as it was.
Status saveSettings(const QString &fileName, const SettingsChosen &chosen);
