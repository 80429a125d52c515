#pragma once

#include "DataFiles.h"
#include "Result.h"
#include "Tournament.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <array>

// "settings.ini", read and written here for start-up, the gift award and the
// settings window alike. The file: the ask line, the kind line (left out when no
// kind is set), "[players]" and the three names, "[gift]" and its value, "[log all
// teams]" and its value. A value is found on the line after the first line that
// equals its marker; a file without the marker gives the default value, and a
// value line that the file lacks is empty.

namespace SettingsMarker {
inline constexpr QByteArrayView Players = "[players]";
inline constexpr QByteArrayView Gift = "[gift]";
inline constexpr QByteArrayView LogAllTeams = "[log all teams]";
} // namespace SettingsMarker

using PlayerNames = PerPlayer<QByteArray>;
// The names as the windows show them.
QStringList playerNamesOf(const PlayerNames &players);

// Every value as the line that stands in the file.
struct Settings {
    QByteArray askAtStart = "1"; // line 1
    QByteArray kind;             // line 2: "clubs", "natteams" or "random" as the program writes it
    PlayerNames players = {"Player 1", "Player 2", "Player 3"};
    QByteArray gift = "1";
    QByteArray logAllTeams = "1";

    // The kind is asked at start-up when line 1 is exactly "1".
    bool asksAtStart() const { return askAtStart == "1"; }
    // Gifts are worked out at random when the value is exactly "1".
    bool randomGifts() const { return gift == "1"; }
    // The whole number under "[log all teams]"; 1 checks "Не использовать ВСЕ
    // последние". Any other text is the conversion error.
    Result<int> logAllTeamsNumber() const;
};

Settings parseSettings(const Lines &lines);
Result<Settings> readSettings(const QString &fileName);

// The file as the program writes it.
Lines settingsLines(const Settings &settings);
// What start-up writes when the file is missing: ask at start, clubs, the default
// names, random gifts, every used team left out.
Settings defaultSettings();
Lines defaultSettingsLines();
// A player name that the file could not give back: one spelled as a marker would
// be taken for it, a line break would shift every later line. The failure names
// the player.
Status checkSettings(const Settings &settings);
// Replaces the file as a whole after checkSettings; on any failure it stays as it was.
Status writeSettings(const QString &fileName, const Settings &settings);

// Index of the first line equal to the marker, searching from the top; -1 when
// the file has no such line.
qsizetype findMarker(const Lines &lines, QByteArrayView marker);
