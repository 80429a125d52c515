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
#include <limits>

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

namespace {

const QString kEmptyBookTitle =
    QStringLiteral("В истории ещё нет ни одного турнира: линии появятся после первой записи.");

// One line per player, each of its own look; the axes are titled, and the
// lowest and highest value of the lines come back for the vertical range.
std::pair<int, int> fillLines(QChart *chart, const PointsProgress &progress, const QString &title,
                              const QString &valueTitle) {
    chart->removeAllSeries();
    QAbstractAxis *const x = chart->axes(Qt::Horizontal).value(0);
    QAbstractAxis *const y = chart->axes(Qt::Vertical).value(0);
    chart->setTitle(progress.tournaments == 0 ? kEmptyBookTitle : title);
    y->setTitleText(valueTitle);
    int lowest = std::numeric_limits<int>::max();
    int highest = std::numeric_limits<int>::min();
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
        for (const auto &[tournament, value] : curve.points) {
            points.append(QPointF(tournament, value));
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        }
        series->replace(points);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    setWholeNumberRange(x, progress.tournaments);
    return {lowest, highest};
}

} // namespace

extern "C" Q_DECL_EXPORT void korvana_show_points_progress(QWidget *widget, const PointsProgress *progress) {
    if (auto *view = qobject_cast<QChartView *>(widget)) {
        const auto [lowest, highest] = fillLines(view->chart(), *progress, kChartTitle, QStringLiteral("Очки"));
        setWholeNumberRange(view->chart()->axes(Qt::Vertical).value(0), std::max(highest, 0));
    }
}

// The ratings move around 1500: the vertical axis spans only what the lines
// reach, in steps of 50.
extern "C" Q_DECL_EXPORT void korvana_show_rating_progress(QWidget *widget, const PointsProgress *progress) {
    auto *view = qobject_cast<QChartView *>(widget);
    if (view == nullptr) {
        return;
    }
    auto [lowest, highest] =
        fillLines(view->chart(), *progress, QStringLiteral("Рейтинг после каждого турнира"), QStringLiteral("Рейтинг"));
    if (lowest > highest) {
        lowest = highest = 1500;
    }
    constexpr int kStep = 50;
    if (auto *y = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).value(0))) {
        const int bottom = (lowest / kStep) * kStep;
        const int top = std::max((highest + kStep - 1) / kStep * kStep, bottom + kStep);
        y->setTickType(QValueAxis::TicksDynamic);
        y->setTickAnchor(bottom);
        y->setTickInterval(kStep * std::max(1, (top - bottom) / kStep / 8 + 1));
        y->setRange(bottom, top);
    }
}
