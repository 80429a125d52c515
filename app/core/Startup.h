#pragma once

#include "DataFiles.h"
#include "Settings.h"

#include <QString>
#include <array>
#include <optional>

// The values that start-up decides and the main window keeps for the whole run.
struct StartupState {
    QString CurrentPoolFile; // the list of the run; empty when no list can serve
    int TeamKind = 0;        // 0 clubs, 1 national teams
    QByteArray AskAtStart;
    QByteArray DefaultKind;
    qsizetype TotalListLines = 0;
    qsizetype UsedTeamsCount = 0;
    std::array<QByteArray, 4> LastTournament;
};

// What start-up found for the main window. A step that failed leaves its value
// and those of all later steps unset: the window opens as far as it was set up.
struct StartupOutcome {
    StartupState state;
    std::optional<Lines> poolItems;  // the unused teams of the list of the run
    bool teamChoicePrize = false;    // the recorded prize is the free choice of team
    bool lastTournamentRead = false; // state.LastTournament holds "last.txt"
    std::optional<PlayerNames> players;
    bool logAllTeams = false;
    bool completed = false; // every step ran
};

inline const QString kAllLastClearedMessage = QStringLiteral("All last teams cleared!");
inline const QString kSettingsCreatedMessage =
    QStringLiteral("Файл настроек не найден. Создан файл настроек по умолчанию.");
inline const QString kKindQuestion = QStringLiteral("Клубы - Yes, Сборные - No, Случайно - Cancel");
inline const QString kNoListMessage =
    QStringLiteral("Ни в одном списке команд не осталось трёх неиспользованных команд, поэтому команды "
                   "на этот турнир выбрать не из чего. Добавьте команды в списки (Меню → Команды...) "
                   "и перезапустите программу.");

// The picture path in "gift.txt" that stands for the prize of a free choice of
// team, as bytes of the data files (the program's directory followed by
// "images/team.bmp"); empty when the path cannot be written in Windows-1251.
QByteArray teamChoicePrizePath();

// Runs the start-up sequence in the current working directory: counts the lists,
// keeps the used-teams log from outgrowing them, reads or creates the settings,
// decides the kind of teams and the list of the run, writes "temp" and reads the
// prize, the last tournament and the player names. Messages and questions go
// through messages(), random choices through randomGenerator().
StartupOutcome runStartupSequence(const QByteArray &prizePath);
