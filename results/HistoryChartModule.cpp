// The chart of the history window, built as a module of its own that the
// program loads only when the chart's tab is first shown: Qt Charts and the
// OpenGL libraries under it would otherwise be loaded at every start.
#include "BookReader.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

extern "C" Q_DECL_EXPORT QWidget *korvana_make_points_chart(QWidget *parent) {
    auto *chart = new QChart;
    chart->setTitle(QStringLiteral("Очки нарастающим итогом"));
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto *x = new QValueAxis;
    x->setTitleText(QStringLiteral("Турнир по порядку"));
    x->setLabelFormat(QStringLiteral("%d"));
    auto *y = new QValueAxis;
    y->setTitleText(QStringLiteral("Очки"));
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    auto *view = new QChartView(chart, parent);
    view->setObjectName(QStringLiteral("PointsChart"));
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

extern "C" Q_DECL_EXPORT void korvana_show_points_progress(QWidget *widget, const PointsProgress *shown) {
    const PointsProgress &progress = *shown;
    auto *view = qobject_cast<QChartView *>(widget);
    if (view == nullptr) {
        return;
    }
    QChart *const chart = view->chart();
    chart->removeAllSeries();
    QAbstractAxis *const x = chart->axes(Qt::Horizontal).value(0);
    QAbstractAxis *const y = chart->axes(Qt::Vertical).value(0);
    int highest = 0;
    for (const PointsCurve &curve : progress.curves) {
        auto *series = new QLineSeries;
        // The legend draws its labels as rich text: a name is escaped to be
        // shown as it stands.
        series->setName(curve.player.toHtmlEscaped());
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(curve.points.size()) + 1);
        // Every line starts from nothing before the first tournament.
        points.append(QPointF(0, 0));
        for (const auto &[tournament, total] : curve.points) {
            points.append(QPointF(tournament, total));
            highest = std::max(highest, total);
        }
        series->replace(points);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    x->setRange(0, std::max(progress.tournaments, 1));
    y->setRange(0, std::max(highest, 1));
    if (auto *axis = qobject_cast<QValueAxis *>(x)) {
        axis->applyNiceNumbers();
    }
    if (auto *axis = qobject_cast<QValueAxis *>(y)) {
        axis->applyNiceNumbers();
    }
}
