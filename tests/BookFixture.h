#pragma once

#include "ProgramTest.h"

#include <QString>
#include <QStringList>

// Three tournaments written into the book with plain SQL, their figures worked
// out by hand from the six matches of each:
//   1 (2026-01-10): Аня "Милан" 2nd 5 pts, Боря "Рома" 1st 7 pts, Вова "Ювентус" 3rd 4 pts
//   2 (2026-01-17): Вова "Милан" 1st 8 pts, Аня "Челси" 2nd 5 pts, Гена "Рома" 3rd 2 pts
//   3 (2026-01-24): Аня, Боря, Вова without titles (the window opened from
//      "Статистика..."), 5 pts each
inline QStringList threeTournamentsSql() {
    return {
        QStringLiteral("INSERT INTO tournament (id, written) VALUES (1, '2026-01-10 20:00:00'), "
                       "(2, '2026-01-17 20:00:00'), (3, '2026-01-24 20:00:00')"),
        // tournament, row, player, team, wins, draws, losses, scored, conceded, difference, points, place
        QStringLiteral("INSERT INTO tournament_player (tournament, row, player, team, wins, draws, losses, scored, "
                       "conceded, difference, points, place) VALUES "
                       "(1, 1, 'Аня', 'Милан', 1, 2, 1, 5, 6, -1, 5, 2), "
                       "(1, 2, 'Боря', 'Рома', 2, 1, 1, 6, 3, 3, 7, 1), "
                       "(1, 3, 'Вова', 'Ювентус', 1, 1, 2, 6, 8, -2, 4, 3), "
                       "(2, 1, 'Вова', 'Милан', 2, 2, 0, 5, 3, 2, 8, 1), "
                       "(2, 2, 'Аня', 'Челси', 1, 2, 1, 6, 4, 2, 5, 2), "
                       "(2, 3, 'Гена', 'Рома', 0, 2, 2, 2, 6, -4, 2, 3), "
                       "(3, 1, 'Аня', NULL, 1, 2, 1, 5, 5, 0, 5, 2), "
                       "(3, 2, 'Боря', NULL, 1, 2, 1, 8, 7, 1, 5, 1), "
                       "(3, 3, 'Вова', NULL, 1, 2, 1, 3, 4, -1, 5, 3)"),
        // tournament, home_row, away_row, home_goals, away_goals
        QStringLiteral("INSERT INTO tournament_match VALUES "
                       "(1, 1, 2, 2, 1), (1, 2, 1, 0, 0), (1, 1, 3, 1, 3), (1, 3, 1, 2, 2), (1, 2, 3, 4, 1), "
                       "(1, 3, 2, 0, 1), "
                       "(2, 1, 2, 1, 0), (2, 2, 1, 2, 2), (2, 1, 3, 0, 0), (2, 3, 1, 1, 2), (2, 2, 3, 3, 0), "
                       "(2, 3, 2, 1, 1), "
                       "(3, 1, 2, 3, 3), (3, 2, 1, 1, 2), (3, 1, 3, 0, 1), (3, 3, 1, 0, 0), (3, 2, 3, 2, 0), "
                       "(3, 3, 2, 2, 2)"),
        // "stat" holds the sums of the three tournaments.
        QStringLiteral("INSERT INTO stat (\"Игрок\", \"Побед\", \"Ничьих\", \"Поражений\", \"Забито\", "
                       "\"Пропущено\", \"Разница\", \"Очки\", \"Первый\", \"Второй\", \"Третий\") VALUES "
                       "('Аня', 3, 6, 3, 16, 15, 1, 15, 0, 3, 0), "
                       "('Боря', 3, 3, 2, 14, 10, 4, 12, 2, 0, 0), "
                       "('Вова', 4, 5, 3, 14, 15, -1, 17, 1, 0, 2), "
                       "('Гена', 0, 2, 2, 2, 6, -4, 2, 0, 0, 1)"),
    };
}
