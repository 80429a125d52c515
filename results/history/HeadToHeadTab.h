#pragma once

#include "HistoryTab.h"

class QComboBox;
class QLabel;
class QTableWidget;

// The tab "Личные встречи": two players chosen from the book's players, and
// every match between them, newest first, with a line that sums them up.
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
};
