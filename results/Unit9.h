#pragma once

#include "Result.h"
#include "Standings.h"
#include "Tournament.h"
#include "TournamentBook.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class StatTable;
class StatsConnection;

namespace Ui {
class TForm9;
}

// The result window: the twelve scores in a cross table, the
// standings computed from them, and the statistics table "stat" in a grid.
// Created hidden the first time it is wanted and kept for the rest of the run;
// closing it only hides it.
class TForm9 : public QWidget {
    Q_OBJECT

public:
    // Opens and checks the statistics database at start-up. When that fails,
    // recover (when given) may put a sound file in place: it answers whether to
    // open again, and may add a line to the message. When it still fails, says
    // why, ends the program and gives nothing.
    using Recovery = std::function<bool(QString &hint)>;
    static std::unique_ptr<StatsConnection> openDatabase(std::chrono::milliseconds lockWait,
                                                         const Recovery &recover = {});

    // The window over the connection that openDatabase() gave (none leaves the grid
    // empty and the write undone), headed by the date of the start. Its creation
    // reads the grid.
    TForm9(std::unique_ptr<StatsConnection> connection, const QDate &startDate, QWidget *parent = nullptr);
    ~TForm9() override;

    // The figure labels of one row, in the order of the write: wins, draws, losses,
    // scored, conceded, difference, points, then the player and the place.
    std::array<QLabel *, 9> rowLabels(int row) const;

public slots:
    // "Статистика..." of the main window: the player names of rows 1, 2 and 3;
    // everything else stays as it is.
    void openForStatistics(const QStringList &players);
    // "Полная таблица и печать": the teams head the rows and the columns in the same
    // order, the players stand beside their teams, and the computation is enabled.
    void openAfterFinalTable(const Tournament &tournament);
    // Reads the grid again: another window changed "stat".
    void rereadStatistics();

public:
    // The database file is about to be replaced: the grid empties and the
    // connection closes.
    void releaseConnection();
    // The connection to the file that replaced it (none leaves the grid empty);
    // the grid reads it with the column widths it had.
    void takeConnection(std::unique_ptr<StatsConnection> connection);

signals:
    // "Записать в базу" wrote a tournament.
    void tournamentWritten();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const QDate &startDate);
    // A grid model on the connection, read once under the wait cursor.
    Status showStatTable();
    void Button1Click();
    void BitBtn1Click();
    void Button2Click();
    void DBGrid1TitleClick(int column);
    void DBGrid1ConfirmedDelete();
    // The texts of the score boxes Edit1 to Edit12.
    ScoreTexts scoreTexts() const;
    // Fails when the figures on show are not what the score boxes give now (a box
    // was edited after the computation).
    Status checkFiguresFollowScores(const Matches &matches) const;
    // The rows of the table on show, as the write takes them.
    PerPlayer<PlayerFigures> rowsOnShow() const;
    // The book's entry for the rows: their figures checked, the scores parsed
    // once and the table on show checked against them, and the teams of the
    // final table where their players still stand in the rows.
    Result<TournamentEntry> checkedEntry(const PerPlayer<PlayerFigures> &rows) const;
    // A score box changed: the figures shown no longer follow from the boxes.
    void scoreEdited();
    // Runs a read of the table (a reload or a new order), keeping the widths the
    // user gave the columns.
    Status rereadTable(const std::function<Status()> &read);

    std::unique_ptr<Ui::TForm9> ui;
    // The model goes before the connection that it uses.
    std::unique_ptr<StatsConnection> m_connection;
    std::unique_ptr<StatTable> m_table;
    // The tournament whose teams head the rows: set once "Полная таблица и
    // печать" opened the window; until then the titles are the form's
    // placeholders, which the book must not record as teams. Cleared once that
    // tournament is written; a team counts only for the player the final table
    // put beside it.
    std::optional<Tournament> m_tournament;
    // The grid's column widths while no connection is there.
    std::vector<int> m_columnWidths;
};
