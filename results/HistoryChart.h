#pragma once

class QWidget;
struct PointsProgress;

// The chart of the history window: each player's points added up over the
// tournaments of the book, one line per player, with a legend by name. Made
// only when its tab is first shown: it loads the module korvana_history_chart
// from beside the executable, which brings Qt Charts. Without the module it is
// a text that says so.
QWidget *makePointsChart(QWidget *parent);
// Replaces what the chart shows; each line is filled in one go.
void showPointsProgress(QWidget *chart, const PointsProgress &progress);
// The same chart for the players' ratings after each tournament (rounded to
// whole numbers), its vertical axis spanning only what they reach.
void showRatingProgress(QWidget *chart, const PointsProgress &ratings);
