#include "TeamsTab.h"

#include "Elide.h"
#include "HistoryText.h"
#include "RussianCollator.h"
#include "StatsConnection.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

namespace {

constexpr int kColumns = static_cast<int>(TeamColumn::Players) + 1;

QString playersText(const TeamRecord &team, bool shown) {
    QStringList who;
    for (const auto &[player, times] : team.players) {
        who.append(QStringLiteral("%1 (%2)").arg(shown ? elided(player) : player).arg(times));
    }
    return who.join(QStringLiteral(", "));
}

qint64 figure(const TeamRecord &team, TeamColumn column) {
    switch (column) {
    case TeamColumn::Tournaments:
        return team.tournaments;
    case TeamColumn::Wins:
        return team.wins;
    case TeamColumn::Draws:
        return team.draws;
    case TeamColumn::Losses:
        return team.losses;
    case TeamColumn::Scored:
        return team.goalsFor;
    case TeamColumn::Conceded:
        return team.goalsAgainst;
    case TeamColumn::Team:
    case TeamColumn::Players:
        break;
    }
    return 0;
}

} // namespace

void orderTeamRecords(std::vector<TeamRecord> &records, TeamColumn column, const RussianCollator *collator) {
    if (column == TeamColumn::Team || column == TeamColumn::Players) {
        const auto name = [column](const TeamRecord &team) {
            return (column == TeamColumn::Team ? team.team : playersText(team, false)).toUtf8();
        };
        std::stable_sort(records.begin(), records.end(), [&](const TeamRecord &a, const TeamRecord &b) {
            const QByteArray first = name(a);
            const QByteArray second = name(b);
            return collator != nullptr ? collator->compare(first.toStdString(), second.toStdString()) < 0
                                       : first < second;
        });
        return;
    }
    std::stable_sort(records.begin(), records.end(), [column](const TeamRecord &a, const TeamRecord &b) {
        return figure(a, column) > figure(b, column);
    });
}

TeamsTab::TeamsTab(QWidget *page, QTableWidget *table, ConnectionSource connection)
    : HistoryTab(page, std::move(connection)), m_table(table) {
    m_table->setColumnCount(kColumns);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Команда"), QStringLiteral("Турниров"), QStringLiteral("Побед"),
                                        QStringLiteral("Ничьих"), QStringLiteral("Поражений"), QStringLiteral("Забито"),
                                        QStringLiteral("Пропущено"), QStringLiteral("Кто играл")});
    QHeaderView *header = m_table->horizontalHeader();
    header->setStretchLastSection(true);
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, &TeamsTab::orderBy);
    m_table->verticalHeader()->setVisible(false);
    fitRowsToFont(m_table);
    showCutTextsInTooltips(m_table);
}

Status TeamsTab::read() {
    Result<std::vector<TeamRecord>> teams = readTeamRecords(*connection());
    if (!teams.ok()) {
        return teams.status();
    }
    m_records = std::move(teams).value();
    if (m_order) {
        orderTeamRecords(m_records, *m_order, connection()->russianCollator());
    }
    fill();
    return {};
}

void TeamsTab::orderBy(int column) {
    if (column < 0 || column >= kColumns) {
        return;
    }
    m_order = static_cast<TeamColumn>(column);
    const bool byName = *m_order == TeamColumn::Team || *m_order == TeamColumn::Players;
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    m_table->horizontalHeader()->setSortIndicator(column, byName ? Qt::AscendingOrder : Qt::DescendingOrder);
    const StatsConnection *const source = connection();
    orderTeamRecords(m_records, *m_order, source != nullptr ? source->russianCollator() : nullptr);
    fill();
}

void TeamsTab::fill() {
    m_table->setRowCount(static_cast<int>(m_records.size()));
    int row = 0;
    for (const TeamRecord &team : m_records) {
        const QString cells[] = {team.team,
                                 QString::number(team.tournaments),
                                 QString::number(team.wins),
                                 QString::number(team.draws),
                                 QString::number(team.losses),
                                 QString::number(team.goalsFor),
                                 QString::number(team.goalsAgainst),
                                 playersText(team, true)};
        for (int column = 0; column < kColumns; ++column) {
            setItem(m_table, row, column, cells[column]);
        }
        ++row;
    }
    fitColumnsToContents(m_table);
}
