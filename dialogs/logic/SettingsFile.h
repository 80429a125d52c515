#pragma once

#include "DataFiles.h"
#include "Result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <array>

// What the settings window reads from and writes to "settings.ini". No widgets:
// the window copies these values to and from its controls.

// The words of the kind line, in the order of the window's kind buttons
// ("Клубы", "Сборные", "Случайно").
inline constexpr std::array<QByteArrayView, 3> kKindWords = {"clubs", "natteams", "random"};
inline constexpr int kNoKind = -1;

// The kind button that a kind line selects: the line must equal one of the
// words exactly, letter case included; kNoKind for any other line.
int kindButton(QByteArrayView line);

// What the window shows of the file each time it becomes active.
struct SettingsShown {
    bool askAtStart = true;  // line 1 is exactly "1"
    int kind = kNoKind;      // the button that line 2 selects; kNoKind keeps the selection as it is
    bool randomGifts = true; // the line after "[gift]" is anything but "0"; also when the marker is missing
};

SettingsShown settingsShown(const Lines &settings);
Result<SettingsShown> readSettingsShown(const QString &fileName);

// What the window writes when its choices are confirmed.
struct SettingsChosen {
    bool askAtStart = true;
    int kind = kNoKind; // kNoKind: the file gets no kind line
    std::array<QString, 3> players;
    bool randomGifts = true;
    bool logAllTeams = true;
};

// The lines of the whole file. Fails, naming the player and the character, when
// a name holds a character that Windows-1251 cannot represent or a line break;
// fails, naming the player, when a name is one of the file's section markers
// ("[players]", "[gift]", "[log all teams]").
Result<Lines> settingsFileLines(const SettingsChosen &chosen);
// Replaces the file as a whole; on any failure the file stays as it was.
Status saveSettings(const QString &fileName, const SettingsChosen &chosen);
