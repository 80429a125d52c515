#include "TeamsTab.h"

#include "BookReader.h"
#include "Elide.h"
#include "HistoryText.h"

#include <QHeaderView>
#include <QTableWidget>

TeamsTab::TeamsTab(QWidget *page, QTableWidget *table, ConnectionSource connection)
    : HistoryTab(page, std::move(connection)), m_table(table) {
    m_table->setColumnCount(8);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Команда"), QStringLiteral("Турниров"), QStringLiteral("Побед"),
                                        QStringLiteral("Ничьих"), QStringLiteral("Поражений"), QStringLiteral("Забито"),
                                        QStringLiteral("Пропущено"), QStringLiteral("Кто играл")});
    m_table->setColumnWidth(0, 140);
    for (int column = 1; column < 7; ++column) {
        m_table->setColumnWidth(column, 72);
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setVisible(false);
    fitRowsToFont(m_table);
}

Status TeamsTab::read() {
    const Result<std::vector<TeamRecord>> teams = readTeamRecords(*connection());
    if (!teams.ok()) {
        return teams.status();
    }
    m_table->setRowCount(static_cast<int>(teams.value().size()));
    int row = 0;
    for (const TeamRecord &team : teams.value()) {
        QStringList who;
        for (const auto &[player, times] : team.players) {
            who.append(QStringLiteral("%1 (%2)").arg(elided(player)).arg(times));
        }
        const QString cells[] = {team.team,
                                 QString::number(team.tournaments),
                                 QString::number(team.wins),
                                 QString::number(team.draws),
                                 QString::number(team.losses),
                                 QString::number(team.goalsFor),
                                 QString::number(team.goalsAgainst),
                                 who.join(QStringLiteral(", "))};
        for (int column = 0; column < 8; ++column) {
            setItem(m_table, row, column, cells[column]);
        }
        ++row;
    }
    return {};
}
