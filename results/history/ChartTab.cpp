#include "ChartTab.h"

#include "BookReader.h"
#include "HistoryChart.h"
#include "Seams.h"

#include <QLayout>
#include <QWidget>

ChartTab::ChartTab(QWidget *page, QLayout *layout, ConnectionSource connection)
    : HistoryTab(page, std::move(connection)), m_layout(layout) {}

Status ChartTab::readIfStale() {
    [[maybe_unused]] const Status told = HistoryTab::readIfStale();
    return {};
}

Status ChartTab::read() {
    const Result<PointsProgress> progress = readPointsProgress(*connection());
    if (!progress.ok()) {
        messages().error(QStringLiteral("Очки по турнирам не прочитаны.\n%1").arg(progress.error()));
        return progress.status();
    }
    if (m_chart == nullptr) {
        m_chart = makePointsChart(page());
        m_layout->addWidget(m_chart);
    }
    showPointsProgress(m_chart, progress.value());
    return {};
}
