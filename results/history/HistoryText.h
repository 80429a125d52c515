#pragma once

#include <QString>
#include <QtGlobal>

class QTableView;
class QTableWidget;

// How the tabs of the history window show the book's dates, scores and cells.

// "2026-01-10 20:00:00" as the user reads a date and time; a text that is no
// such time is shown as it stands.
QString shownTime(const QString &written);

// Goals scored and conceded, "5:3".
QString goals(qint64 scored, qint64 conceded);

// A read-only cell; a name in it is cut for showing, whole in its tooltip.
void setItem(QTableWidget *table, int row, int column, const QString &text);

// Rows one line of the table's font high, with a little room.
void fitRowsToFont(QTableView *table);
