#include "TournamentsTab.h"

#include "BookReader.h"
#include "Elide.h"
#include "ElidedText.h"
#include "HistoryText.h"
#include "WaitCursor.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <iterator>

namespace {

// A player with his team, as the list shows them.
QString playerWithTeam(const QString &player, const QString &team) {
    return team.isEmpty() ? player : QStringLiteral("%1 («%2»)").arg(player, team);
}

// The same, each name cut for showing.
QString shownPlayerWithTeam(const QString &player, const QString &team) {
    return playerWithTeam(elided(player), elided(team));
}

} // namespace

// The tournaments of the book, newest first: the date, then the three places,
// each "player («team») — points, goals".
class TournamentListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTournaments(std::vector<BookTournament> tournaments) {
        beginResetModel();
        m_tournaments = std::move(tournaments);
        endResetModel();
    }
    const BookTournament *tournament(int row) const {
        return row >= 0 && row < rowCount() ? &m_tournaments[static_cast<std::size_t>(row)] : nullptr;
    }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_tournaments.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex &index, int role) const override {
        const BookTournament *const shown = tournament(index.row());
        if (shown == nullptr || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
            return {};
        }
        if (index.column() == 0) {
            return role == Qt::DisplayRole ? QVariant(shownTime(shown->written)) : QVariant();
        }
        // Every row that took this place: players level on points and goal
        // difference share it.
        // The cell shows each name cut; its tooltip, only when one was, the whole names.
        const bool tip = role == Qt::ToolTipRole;
        QStringList holders;
        bool cut = false;
        for (const BookRow &row : shown->rows) {
            if (row.place == index.column()) {
                const QString shownHolder = shownPlayerWithTeam(row.player, row.team);
                const QString whole = playerWithTeam(row.player, row.team);
                cut = cut || shownHolder.size() != whole.size();
                // One pass of arg(): a name holding "%2" stays as it is.
                holders.append(
                    QStringLiteral("%1 — %2 очк., %3")
                        .arg(tip ? whole : shownHolder, QString::number(row.points), goals(row.scored, row.conceded)));
            }
        }
        if (holders.isEmpty() || (tip && !cut)) {
            return {};
        }
        return holders.join(QStringLiteral("; "));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        if (orientation == Qt::Vertical) {
            return section + 1;
        }
        static const QStringList titles{QStringLiteral("Дата"), QStringLiteral("Первое место"),
                                        QStringLiteral("Второе место"), QStringLiteral("Третье место")};
        return titles.value(section);
    }

private:
    std::vector<BookTournament> m_tournaments;
};

TournamentsTab::TournamentsTab(QWidget *page, QTableView *list, QLabel *crossTitle, QTableWidget *crossTable,
                               ConnectionSource connection)
    : HistoryTab(page, std::move(connection)), m_list(list), m_crossTitle(crossTitle), m_crossTable(crossTable),
      m_tournaments(new TournamentListModel(this)) {
    setUpTables();
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TournamentsTab::showTournament);
}

// The list lets go of the model before the model goes with this tab.
TournamentsTab::~TournamentsTab() {
    m_list->setModel(nullptr);
}

void TournamentsTab::setUpTables() {
    m_list->setModel(m_tournaments);
    // The arrows move within the list; Tab goes on to the next control, as it
    // does everywhere else, instead of walking the list cell by cell.
    m_list->setTabKeyNavigation(false);
    fitRowsToFont(m_list);
    showCutTextsInTooltips(m_list);
    m_list->horizontalHeader()->setStretchLastSection(true);

    // A column for each player's goals, then the figures of the row.
    QStringList headings(kPlayers);
    headings << QStringLiteral("Побед") << QStringLiteral("Ничьих") << QStringLiteral("Поражений")
             << QStringLiteral("Забито") << QStringLiteral("Пропущено") << QStringLiteral("Разница")
             << QStringLiteral("Очки") << QStringLiteral("Игрок") << QStringLiteral("Место");
    m_crossTable->setRowCount(kPlayers);
    m_crossTable->setColumnCount(static_cast<int>(headings.size()));
    m_crossTable->setHorizontalHeaderLabels(headings);
    fitRowsToFont(m_crossTable);
    showCutTextsInTooltips(m_crossTable);
    fitColumnsToContents(m_crossTable);
}

qint64 TournamentsTab::selectedTournament() const {
    const BookTournament *const selected = m_tournaments->tournament(m_list->currentIndex().row());
    return selected != nullptr ? selected->id : 0;
}

int TournamentsTab::tournamentCount() const {
    return m_tournaments->rowCount();
}

void TournamentsTab::selectTournament(qint64 id) {
    for (int row = 0; row < m_tournaments->rowCount(); ++row) {
        if (m_tournaments->tournament(row)->id == id) {
            m_list->setCurrentIndex(m_tournaments->index(row, 0));
            m_list->scrollTo(m_list->currentIndex());
            return;
        }
    }
}

void TournamentsTab::showUnread(const QString &reason) {
    m_tournaments->setTournaments({});
    showTournament({});
    m_crossTitle->setText(QStringLiteral("История турниров не прочитана. %1").arg(reason));
}

Status TournamentsTab::read() {
    Result<std::vector<BookTournament>> tournaments = readTournaments(*connection());
    if (!tournaments.ok()) {
        showUnread(tournaments.error());
        return tournaments.status();
    }
    m_tournaments->setTournaments(std::move(tournaments).value());
    fitColumnsToContents(m_list);
    if (m_tournaments->rowCount() > 0) {
        m_list->setCurrentIndex(m_tournaments->index(0, 0));
    } else {
        showTournament({});
    }
    return {};
}

void TournamentsTab::showTournament(const QModelIndex &current) {
    const BookTournament *const shown = m_tournaments->tournament(current.row());
    QTableWidget *const table = m_crossTable;
    table->clearContents();
    if (shown == nullptr) {
        m_crossTitle->setText(QStringLiteral("В истории нет ни одного турнира."));
        for (int k = 0; k < kPlayers; ++k) {
            table->setHorizontalHeaderItem(k, new QTableWidgetItem(QString()));
            table->setVerticalHeaderItem(k, new QTableWidgetItem(QString()));
        }
        return;
    }
    Result<BookCrossTable> cross = [this, shown] {
        const WaitCursor busy;
        return readCrossTable(*connection(), shown->id);
    }();
    if (!cross.ok()) {
        m_crossTitle->setText(cross.error());
        return;
    }
    m_crossTitle->setText(QStringLiteral("Турнир %1").arg(shownTime(shown->written)));
    const BookCrossTable &t = cross.value();
    for (int r = 0; r < kPlayers; ++r) {
        const BookRow &row = t.tournament.rows[static_cast<std::size_t>(r)];
        // A tournament written without the teams is headed by its players.
        const QString title = row.team.isEmpty() ? row.player : row.team;
        table->setHorizontalHeaderItem(r, elidedItem(title));
        table->setVerticalHeaderItem(r, elidedItem(title));
        for (int c = 0; c < kPlayers; ++c) {
            const auto &cell = t.cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            setItem(table, r, c, cell ? QStringLiteral("%1 : %2").arg(cell->first).arg(cell->second) : QString());
            if (r == c) {
                table->item(r, c)->setBackground(page()->palette().mid());
            }
        }
        const QString figures[] = {QString::number(row.wins),     QString::number(row.draws),
                                   QString::number(row.losses),   QString::number(row.scored),
                                   QString::number(row.conceded), QString::number(row.difference),
                                   QString::number(row.points),   row.player,
                                   QString::number(row.place)};
        for (int k = 0; k < static_cast<int>(std::size(figures)); ++k) {
            setItem(table, r, kPlayers + k, figures[k]);
        }
    }
    fitColumnsToContents(table);
}
