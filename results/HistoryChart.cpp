#include "HistoryChart.h"

#include "BookReader.h"
#include "Elide.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLibrary>

namespace {

using MakeChart = QWidget *(*)(QWidget *);
using ShowProgress = void (*)(QWidget *, const PointsProgress *);

// The chart module beside the executable, loaded once, on first use, and kept
// for the rest of the run.
struct ChartModule {
    MakeChart make = nullptr;
    ShowProgress show = nullptr;
    ShowProgress showRatings = nullptr;
    QString error;
};

const ChartModule &chartModule() {
    static const ChartModule module = [] {
        ChartModule loaded;
        QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/korvana_history_chart"));
        if (!library.load()) {
            loaded.error = library.errorString();
            return loaded;
        }
        loaded.make = reinterpret_cast<MakeChart>(library.resolve("korvana_make_points_chart"));
        loaded.show = reinterpret_cast<ShowProgress>(library.resolve("korvana_show_points_progress"));
        loaded.showRatings = reinterpret_cast<ShowProgress>(library.resolve("korvana_show_rating_progress"));
        if (loaded.make == nullptr || loaded.show == nullptr || loaded.showRatings == nullptr) {
            loaded.error = library.errorString();
            loaded = ChartModule{nullptr, nullptr, nullptr, loaded.error};
        }
        return loaded;
    }();
    return module;
}

} // namespace

QWidget *makePointsChart(QWidget *parent) {
    const ChartModule &module = chartModule();
    if (module.make != nullptr) {
        return module.make(parent);
    }
    auto *missing = new QLabel(parent);
    missing->setObjectName(QStringLiteral("PointsChartMissing"));
    missing->setTextFormat(Qt::PlainText);
    missing->setWordWrap(true);
    missing->setAlignment(Qt::AlignCenter);
    missing->setText(QStringLiteral("График не показать: не загружается его модуль korvana_history_chart рядом с "
                                    "программой.\n%1")
                         .arg(module.error));
    return missing;
}

namespace {

void showLines(QWidget *chart, const PointsProgress &progress, ShowProgress show) {
    if (show != nullptr && chart->objectName() == QStringLiteral("PointsChart")) {
        // The legend lays out every name: each is cut for showing first.
        PointsProgress shown = progress;
        for (PointsCurve &curve : shown.curves) {
            curve.player = elided(curve.player);
        }
        show(chart, &shown);
    }
}

} // namespace

void showPointsProgress(QWidget *chart, const PointsProgress &progress) {
    showLines(chart, progress, chartModule().show);
}

void showRatingProgress(QWidget *chart, const PointsProgress &ratings) {
    showLines(chart, ratings, chartModule().showRatings);
}
