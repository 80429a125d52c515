-- The statistics database "base.mdb": one row per player, the totals of
-- every tournament entered. The build makes the empty database from this file;
-- the program never creates it. "base.mdb" is an SQLite file: any SQLite tool
-- (sqlite3, DB Browser for SQLite) opens it.
CREATE TABLE stat (
    id INTEGER PRIMARY KEY,
    "Игрок" TEXT,
    "Побед" INTEGER NOT NULL DEFAULT 0,
    "Ничьих" INTEGER NOT NULL DEFAULT 0,
    "Поражений" INTEGER NOT NULL DEFAULT 0,
    "Забито" INTEGER NOT NULL DEFAULT 0,
    "Пропущено" INTEGER NOT NULL DEFAULT 0,
    "Разница" INTEGER NOT NULL DEFAULT 0,
    "Очки" INTEGER NOT NULL DEFAULT 0,
    "Первый" INTEGER NOT NULL DEFAULT 0,
    "Второй" INTEGER NOT NULL DEFAULT 0,
    "Третий" INTEGER NOT NULL DEFAULT 0
);

-- The order of the grid until a column title is clicked, and the lookup by name.
CREATE INDEX "user" ON stat ("Игрок");

-- The tournament book: every tournament written, beside the running totals of
-- "stat". Each "Записать в базу" adds one tournament, its three rows and its six
-- matches in the same transaction as the three rows of "stat". A file made
-- before the book (user_version 0, no such tables) gets them at its first write.
CREATE TABLE tournament (
    id INTEGER PRIMARY KEY,
    -- When it was written: local time, "YYYY-MM-DD HH:MM:SS".
    written TEXT NOT NULL
);

-- The three rows of the result window as they were written.
CREATE TABLE tournament_player (
    tournament INTEGER NOT NULL REFERENCES tournament (id) ON DELETE CASCADE,
    -- The row of the result window, 1 to 3; row i and column i are the same participant.
    row INTEGER NOT NULL CHECK (row BETWEEN 1 AND 3),
    player TEXT NOT NULL,
    -- The row's title; NULL when the window's titles were never set.
    team TEXT,
    wins INTEGER NOT NULL,
    draws INTEGER NOT NULL,
    losses INTEGER NOT NULL,
    scored INTEGER NOT NULL,
    conceded INTEGER NOT NULL,
    difference INTEGER NOT NULL,
    points INTEGER NOT NULL,
    place INTEGER NOT NULL CHECK (place BETWEEN 1 AND 3),
    -- The row of "stat" these figures were added to, and whether this write
    -- inserted it; NULL when the write left "stat" alone for this player.
    stat_id INTEGER,
    stat_created INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (tournament, row)
) WITHOUT ROWID;
CREATE INDEX tournament_player_player ON tournament_player (player);

-- The six matches: the row participant's goals against the column participant's.
CREATE TABLE tournament_match (
    tournament INTEGER NOT NULL REFERENCES tournament (id) ON DELETE CASCADE,
    home_row INTEGER NOT NULL CHECK (home_row BETWEEN 1 AND 3),
    away_row INTEGER NOT NULL CHECK (away_row BETWEEN 1 AND 3 AND away_row <> home_row),
    home_goals INTEGER NOT NULL,
    away_goals INTEGER NOT NULL,
    PRIMARY KEY (tournament, home_row, away_row)
) WITHOUT ROWID;

-- The corrections of past tournaments, kept until they are taken back: the
-- tournament, the newest tournament of the book when it was corrected (one
-- written later is a newer change), when, and what the correction replaced (the
-- three rows' figures and place, then the six scores, as numbers in text).
CREATE TABLE tournament_correction (
    id INTEGER PRIMARY KEY,
    tournament INTEGER NOT NULL REFERENCES tournament (id) ON DELETE CASCADE,
    newest INTEGER NOT NULL,
    made TEXT NOT NULL,
    previous TEXT NOT NULL
);

-- The changes taken back by "Отменить последнее изменение...", newest last, so
-- that the newest can be brought back by "Вернуть отменённое...". Any new write
-- or correction forgets them. For a write: the tournament's id and time here,
-- its rows and matches as they were in undone_player and undone_match. For a
-- correction: its row of tournament_correction (id, newest, made, previous) and
-- what it made of the tournament ("corrected", as "previous" is written).
CREATE TABLE tournament_undone (
    id INTEGER PRIMARY KEY,
    kind TEXT NOT NULL CHECK (kind IN ('write', 'correction')),
    tournament INTEGER NOT NULL,
    written TEXT NOT NULL,
    correction INTEGER,
    newest INTEGER,
    made TEXT,
    previous TEXT,
    corrected TEXT
);
CREATE TABLE undone_player (
    undone INTEGER NOT NULL REFERENCES tournament_undone (id) ON DELETE CASCADE,
    row INTEGER NOT NULL,
    player TEXT NOT NULL,
    team TEXT,
    wins INTEGER NOT NULL,
    draws INTEGER NOT NULL,
    losses INTEGER NOT NULL,
    scored INTEGER NOT NULL,
    conceded INTEGER NOT NULL,
    difference INTEGER NOT NULL,
    points INTEGER NOT NULL,
    place INTEGER NOT NULL,
    stat_id INTEGER,
    stat_created INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (undone, row)
) WITHOUT ROWID;
CREATE TABLE undone_match (
    undone INTEGER NOT NULL REFERENCES tournament_undone (id) ON DELETE CASCADE,
    home_row INTEGER NOT NULL,
    away_row INTEGER NOT NULL,
    home_goals INTEGER NOT NULL,
    away_goals INTEGER NOT NULL,
    PRIMARY KEY (undone, home_row, away_row)
) WITHOUT ROWID;

PRAGMA user_version = 2;
