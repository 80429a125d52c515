#pragma once

#include "HistoryTab.h"

class QLayout;

// The tab "Очки по турнирам": each player's points added up over the book. The
// chart is made when the tab is first read, so that its module is loaded only
// for a user who looks at it (see HistoryChart.h).
class ChartTab : public HistoryTab {
public:
    ChartTab(QWidget *page, QLayout *layout, ConnectionSource connection);

    // A reading that fails is told in a box of the chart's own; the window has
    // nothing to add, and the tab stays stale.
    Status readIfStale() override;

protected:
    Status read() override;

private:
    QLayout *m_layout;
    QWidget *m_chart = nullptr;
};
