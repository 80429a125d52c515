#pragma once

#include "HistoryTab.h"

#include <map>
#include <tuple>

class QComboBox;
class QLabel;
class QTableWidget;

// The tab "Личные встречи": two players chosen from the book's players, and
// every match between them, newest first, with each one's rating before it, and
// a line that sums them up.
class HeadToHeadTab : public HistoryTab {
public:
    HeadToHeadTab(QWidget *page, QComboBox *first, QComboBox *second, QLabel *summary, QTableWidget *matches,
                  ConnectionSource connection);

protected:
    // The players of the two lists; the two choices are kept when the players
    // are still there.
    Status read() override;

private:
    void setUpTable();
    void showHeadToHead();

    QComboBox *m_first;
    QComboBox *m_second;
    QLabel *m_summary;
    QTableWidget *m_matches;
    // The ratings of both sides before each match of the book, by (tournament,
    // home row, away row), taken at the tab's reading.
    std::map<std::tuple<qint64, int, int>, std::pair<double, double>> m_ratingsBefore;
};
