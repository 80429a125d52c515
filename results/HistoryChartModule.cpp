// The chart of the history window, built as a module of its own that the
// program loads only when the chart's tab is first shown: Qt Charts and the
// OpenGL libraries under it would otherwise be loaded at every start.
#include "BookReader.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

// An axis of whole numbers from 0 to at least top: ticks at a round step (1, 2,
// 5, 10, 20, ...) with no more than eight of them, so that every label is a
// distinct whole number even when the book holds one or two tournaments.
void setWholeNumberRange(QAbstractAxis *abstractAxis, int top) {
    auto *axis = qobject_cast<QValueAxis *>(abstractAxis);
    if (axis == nullptr) {
        return;
    }
    top = std::max(top, 1);
    qint64 step = 1;
    for (qint64 scale = 1; top / step > 8; scale *= 10) {
        for (const qint64 factor : {1, 2, 5}) {
            step = factor * scale;
            if (top / step <= 8) {
                break;
            }
        }
    }
    const qint64 end = (top + step - 1) / step * step;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(static_cast<qreal>(step));
    axis->setRange(0, static_cast<qreal>(end));
}

} // namespace

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
    setWholeNumberRange(x, progress.tournaments);
    setWholeNumberRange(y, highest);
}
