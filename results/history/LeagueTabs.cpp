#include "LeagueTabs.h"

#include "Elide.h"
#include "FinishGrid.h"
#include "HistoryChart.h"
#include "HistoryText.h"
#include "Ratings.h"
#include "Seasons.h"
#include "StatsConnection.h"
#include "WaitCursor.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

QTableWidget *makeTable(QWidget *parent, const char *name, const QStringList &titles) {
    auto *table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setColumnCount(static_cast<int>(titles.size()));
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    fitRowsToFont(table);
    showCutTextsInTooltips(table);
    return table;
}

void fillRow(QTableWidget *table, int row, const QStringList &cells) {
    for (int column = 0; column < cells.size(); ++column) {
        setItem(table, row, column, cells[column]);
    }
}

QString rating(double value) {
    return russianNumber(value, 1);
}

} // namespace

LeagueTab::LeagueTab(QWidget *page, ConnectionSource connection)
    : HistoryTab(page, std::move(connection)), m_layout(new QVBoxLayout(page)) {
    auto *note = new QLabel(
        QStringLiteral("Считается по истории турниров; турниры, записанные прежней версией программы, в неё не вошли."),
        page);
    note->setWordWrap(true);
    m_layout->addWidget(note);
}

Status LeagueTab::read() {
    const Result<LeagueBook> book = readLeagueBook(*connection());
    if (!book.ok()) {
        return book.status();
    }
    show(book.value());
    return {};
}

// ---- Рейтинг ----------------------------------------------------------------

RatingTab::RatingTab(QWidget *page, ConnectionSource connection)
    : LeagueTab(page, std::move(connection)),
      m_table(makeTable(page, "RatingTable",
                        {QStringLiteral("Игрок"), QStringLiteral("Рейтинг"), QStringLiteral("Лучший"),
                         QStringLiteral("Когда"), QStringLiteral("За последний турнир"), QStringLiteral("Турниров")})) {
    layout()->addWidget(m_table, 1);
}

void RatingTab::show(const LeagueBook &book) {
    const Ratings ratings = rateBook(book);
    m_table->setRowCount(static_cast<int>(ratings.players.size()));
    int row = 0;
    for (const PlayerRating &player : ratings.players) {
        fillRow(m_table, row++,
                {player.player, rating(player.rating), rating(player.peak), leagueDate(player.peakWritten),
                 signedNumber(player.lastChange, 1), QString::number(player.tournaments)});
    }
    fitColumnsToContents(m_table);
    if (m_chart == nullptr) {
        m_chart = makePointsChart(page());
        m_chart->setMinimumHeight(220);
        layout()->addWidget(m_chart, 2);
    }
    PointsProgress lines;
    lines.tournaments = static_cast<int>(book.size());
    for (const PlayerRating &player : ratings.players) {
        PointsCurve curve{player.player, {}};
        curve.points.reserve(player.history.size());
        for (const auto &[tournament, after] : player.history) {
            curve.points.emplace_back(static_cast<int>(tournament) + 1, static_cast<int>(std::lround(after)));
        }
        lines.curves.push_back(std::move(curve));
    }
    sortCurvesByName(lines.curves, connection() != nullptr ? connection()->russianCollator() : nullptr);
    showRatingProgress(m_chart, lines);
}

// ---- Сезоны -----------------------------------------------------------------

SeasonsTab::SeasonsTab(QWidget *page, ConnectionSource connection)
    : LeagueTab(page, std::move(connection)), m_season(new QComboBox(page)),
      m_table(
          makeTable(page, "SeasonTable",
                    {QStringLiteral("Игрок"), QStringLiteral("Турниров"), QStringLiteral("Титулов"),
                     QStringLiteral("Вторых"), QStringLiteral("Третьих"), QStringLiteral("Очки"),
                     QStringLiteral("Разница"), QStringLiteral("Среднее место"), QStringLiteral("Рейтинг в конце")})),
      m_champions(makeTable(page, "ChampionTable",
                            {QStringLiteral("Сезон"), QStringLiteral("Турниров"), QStringLiteral("Чемпион")})) {
    m_season->setObjectName(QStringLiteral("SeasonChoice"));
    auto *choice = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("&Сезон:"), page);
    label->setBuddy(m_season);
    choice->addWidget(label);
    choice->addWidget(m_season);
    choice->addStretch();
    layout()->addLayout(choice);
    layout()->addWidget(m_table, 2);
    layout()->addWidget(
        new QLabel(QStringLiteral("Чемпионы сезонов (больше титулов, затем очков, затем разница):"), page));
    layout()->addWidget(m_champions, 1);
    connect(m_season, &QComboBox::currentIndexChanged, this, &SeasonsTab::showSeason);
}

void SeasonsTab::show(const LeagueBook &book) {
    m_book = book;
    const QVariant chosen = m_season->currentData();
    {
        const QSignalBlocker quiet(m_season);
        m_season->clear();
        m_season->addItem(QStringLiteral("За всё время"), QVariant());
        for (const int year : seasonYears(m_book)) {
            m_season->addItem(QString::number(year), year);
        }
        const int again = chosen.isValid() ? m_season->findData(chosen) : 0;
        m_season->setCurrentIndex(again >= 0 ? again : 0);
    }
    const Ratings ratings = rateBook(m_book);
    const std::vector<SeasonChampion> champions = seasonChampions(m_book, ratings);
    m_champions->setRowCount(static_cast<int>(champions.size()));
    int row = 0;
    for (const SeasonChampion &season : champions) {
        QStringList names;
        for (const QString &name : season.champions) {
            names.append(elided(name));
        }
        fillRow(m_champions, row++,
                {QString::number(season.year), QString::number(season.tournaments),
                 names.join(QStringLiteral(", ")) + (names.size() > 1 ? QStringLiteral(" (поровну)") : QString())});
    }
    fitColumnsToContents(m_champions);
    showSeason();
}

void SeasonsTab::showSeason() {
    const QVariant year = m_season->currentData();
    const Ratings ratings = rateBook(m_book);
    const std::vector<SeasonRow> table =
        seasonTable(m_book, ratings, year.isValid() ? std::optional<int>(year.toInt()) : std::nullopt);
    m_table->setRowCount(static_cast<int>(table.size()));
    int row = 0;
    for (const SeasonRow &season : table) {
        fillRow(m_table, row++,
                {season.player, QString::number(season.tournaments), QString::number(season.titles),
                 QString::number(season.seconds), QString::number(season.thirds), QString::number(season.points),
                 signedNumber(static_cast<double>(season.goalDifference), 0), russianNumber(season.averagePlace, 2),
                 rating(season.ratingAtEnd)});
    }
    fitColumnsToContents(m_table);
}

// ---- Рекорды ----------------------------------------------------------------

RecordsTab::RecordsTab(QWidget *page, ConnectionSource connection)
    : LeagueTab(page, std::move(connection)),
      m_records(makeTable(page, "RecordTable",
                          {QStringLiteral("Рекорд"), QStringLiteral("Чей"), QStringLiteral("Значение"),
                           QStringLiteral("Когда"), QStringLiteral("Как")})),
      m_historyTitle(new QLabel(page)), m_history(makeTable(page, "RecordHistory",
                                                            {QStringLiteral("Чей"), QStringLiteral("Значение"),
                                                             QStringLiteral("Когда"), QStringLiteral("Как")})) {
    m_records->setSelectionMode(QAbstractItemView::SingleSelection);
    m_historyTitle->setObjectName(QStringLiteral("RecordHistoryTitle"));
    layout()->addWidget(m_records, 1);
    layout()->addWidget(m_historyTitle);
    layout()->addWidget(m_history, 1);
    connect(m_records, &QTableWidget::currentCellChanged, this, &RecordsTab::showHistory);
}

void RecordsTab::show(const LeagueBook &book) {
    m_shown = findRecords(book, rateBook(book));
    const int chosen = std::max(m_records->currentRow(), 0);
    {
        const QSignalBlocker quiet(m_records);
        m_records->setRowCount(static_cast<int>(m_shown.size()));
        int row = 0;
        for (const LeagueRecord &record : m_shown) {
            if (record.history.empty()) {
                fillRow(m_records, row++, {record.title, QStringLiteral("ещё никто")});
                continue;
            }
            const RecordHolding &now = record.history.front();
            fillRow(m_records, row++, {record.title, now.holder, now.value, leagueDate(now.written), now.detail});
        }
        m_records->setCurrentCell(std::min(chosen, m_records->rowCount() - 1), 0);
    }
    fitColumnsToContents(m_records);
    showHistory();
}

void RecordsTab::showHistory() {
    const int row = m_records->currentRow();
    if (row < 0 || row >= static_cast<int>(m_shown.size())) {
        m_historyTitle->clear();
        m_history->setRowCount(0);
        return;
    }
    const LeagueRecord &record = m_shown[static_cast<std::size_t>(row)];
    m_historyTitle->setText(QStringLiteral("«%1»: кто держал рекорд, начиная с нынешнего").arg(record.title));
    m_history->setRowCount(static_cast<int>(record.history.size()));
    int at = 0;
    for (const RecordHolding &holding : record.history) {
        fillRow(m_history, at++, {holding.holder, holding.value, leagueDate(holding.written), holding.detail});
    }
    fitColumnsToContents(m_history);
}

// ---- Места ------------------------------------------------------------------

// The finish grid as a model: a row per player, a column per tournament, made
// on demand, so that ten thousand tournaments cost no item each.
class FinishGridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setGrid(FinishGrid grid) {
        beginResetModel();
        m_grid = std::move(grid);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_grid.players.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_grid.written.size());
    }

    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid()) {
            return {};
        }
        const int place =
            m_grid.places[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
        if (place == 0) {
            return {};
        }
        switch (role) {
        case Qt::DisplayRole:
            return place;
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::BackgroundRole: {
            // Gold, silver and bronze.
            static const QBrush medals[] = {QColor(0xf5d76e), QColor(0xd5d8dc), QColor(0xe0a87a)};
            return place >= 1 && place <= 3 ? QVariant(medals[place - 1]) : QVariant();
        }
        case Qt::ToolTipRole:
            return QStringLiteral("%1, %2: %3 место")
                .arg(m_grid.players[static_cast<std::size_t>(index.row())],
                     leagueDate(m_grid.written[static_cast<std::size_t>(index.column())]))
                .arg(place);
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        if (orientation == Qt::Vertical) {
            return elided(m_grid.players[static_cast<std::size_t>(section)]);
        }
        return leagueDate(m_grid.written[static_cast<std::size_t>(section)]);
    }

private:
    FinishGrid m_grid;
};

FinishGridTab::FinishGridTab(QWidget *page, ConnectionSource connection)
    : LeagueTab(page, std::move(connection)), m_view(new QTableView(page)), m_model(new FinishGridModel(this)) {
    m_view->setObjectName(QStringLiteral("FinishGrid"));
    m_view->setModel(m_model);
    m_view->setTabKeyNavigation(false);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->horizontalHeader()->setDefaultSectionSize(m_view->fontMetrics().horizontalAdvance(u'0') * 11);
    fitRowsToFont(m_view);
    layout()->addWidget(m_view, 1);
}

// The view lets go of the model before the model goes with this tab.
FinishGridTab::~FinishGridTab() {
    m_view->setModel(nullptr);
}

void FinishGridTab::show(const LeagueBook &book) {
    m_model->setGrid(finishGrid(book));
    if (m_model->columnCount() > 0) {
        m_view->scrollTo(m_model->index(0, m_model->columnCount() - 1), QAbstractItemView::PositionAtCenter);
    }
}
