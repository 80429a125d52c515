#pragma once

#include <QString>
#include <QtGlobal>

class QAbstractItemView;
class QModelIndex;
class QTableView;
class QTableWidget;

// How the tabs of the history window show the book's dates, scores and cells.

// "2026-01-10 20:00:00" as the user reads a date and time; a text that is no
// such time is shown as it stands.
QString shownTime(const QString &written);

// A figure as a Russian reader writes it: a decimal comma, the thousands set
// apart ("1 551,7").
QString russianNumber(double value, int decimals);
// A change with its sign: "+37,2", "−10,5", "0,0".
QString signedNumber(double value, int decimals);

// Goals scored and conceded, "5:3".
QString goals(qint64 scored, qint64 conceded);

// A read-only cell; a name in it is cut for showing, whole in its tooltip.
void setItem(QTableWidget *table, int row, int column, const QString &text);

// Rows one line of the table's font high, with a little room.
void fitRowsToFont(QTableView *table);

// The widest a column of the history grows to fit its texts: a long name is cut
// there rather than pushing the other columns out of sight.
inline constexpr int kWidestColumn = 360;

// Sizes every column to its title and its texts (those of the first rows, which
// are the newest and the ones on show), none wider than widest; the last column
// still takes up the room that is left.
void fitColumnsToContents(QTableView *table, int widest = kWidestColumn);

// Where a cell shows its text cut (its column too narrow for it), its tooltip
// shows the whole text. A tooltip that the model gives is kept.
void showCutTextsInTooltips(QAbstractItemView *view);
// The tooltip a cell of such a view shows: the model's own, or the whole text
// when the cell cuts it; empty when there is none.
QString tooltipOf(const QAbstractItemView *view, const QModelIndex &index);
