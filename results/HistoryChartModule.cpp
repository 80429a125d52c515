// The chart of the history window, built as a module of its own that the
// program loads only when the chart's tab is first shown: Qt Charts and the
// OpenGL libraries under it would otherwise be loaded at every start.
#include "BookReader.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <array>

namespace {

const QString kChartTitle = QStringLiteral("Очки нарастающим итогом");

// Colours far enough apart to tell the lines by, on the chart's white ground.
constexpr std::array<QRgb, 10> kLineColours = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd,
                                               0x8c564b, 0xe377c2, 0x17becf, 0x7f7f7f, 0xbcbd22};
// Beyond the colours, the line's dashes tell the players apart.
constexpr std::array<Qt::PenStyle, 5> kLineStyles = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                     Qt::DashDotDotLine};
// A line of no more points than this shows each of them as a dot; a single
// tournament is a dot and nothing else.
constexpr std::size_t kMostMarkedPoints = 30;

// The pen of the n-th player's line: a colour of his own for the first ten,
// then the colours again with dashes, and so on for fifty players.
QPen linePen(std::size_t n) {
    QPen pen(QColor(kLineColours[n % kLineColours.size()]));
    pen.setWidthF(2);
    pen.setStyle(kLineStyles[(n / kLineColours.size()) % kLineStyles.size()]);
    return pen;
}

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
    chart->setTitle(kChartTitle);
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
    chart->setTitle(progress.tournaments == 0
                        ? QStringLiteral("В истории ещё нет ни одного турнира: линии появятся после первой записи.")
                        : kChartTitle);
    int highest = 0;
    std::size_t n = 0;
    for (const PointsCurve &curve : progress.curves) {
        auto *series = new QLineSeries;
        // The legend draws its labels as rich text: a name is escaped to be
        // shown as it stands.
        series->setName(curve.player.toHtmlEscaped());
        series->setPen(linePen(n++));
        series->setPointsVisible(curve.points.size() <= kMostMarkedPoints);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(curve.points.size()));
        // A line starts at the player's first tournament: one who joined later
        // is not drawn as having played, with nothing, the ones before.
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
