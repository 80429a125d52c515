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
