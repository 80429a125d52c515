#include "HeadToHeadTab.h"

#include "BookReader.h"
#include "Elide.h"
#include "HistoryText.h"
#include "LeagueBook.h"
#include "Ratings.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <algorithm>

HeadToHeadTab::HeadToHeadTab(QWidget *page, QComboBox *first, QComboBox *second, QLabel *summary, QTableWidget *matches,
                             ConnectionSource connection)
    : HistoryTab(page, std::move(connection)), m_first(first), m_second(second), m_summary(summary),
      m_matches(matches) {
    setUpTable();
    connect(m_first, &QComboBox::currentIndexChanged, this, &HeadToHeadTab::showHeadToHead);
    connect(m_second, &QComboBox::currentIndexChanged, this, &HeadToHeadTab::showHeadToHead);
}

void HeadToHeadTab::setUpTable() {
    m_matches->setColumnCount(6);
    m_matches->setHorizontalHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Команда"), QStringLiteral("Счёт"),
                                          QStringLiteral("Команда соперника"), QStringLiteral("Рейтинг до"),
                                          QStringLiteral("Рейтинг соперника до")});
    m_matches->horizontalHeader()->setStretchLastSection(true);
    m_matches->verticalHeader()->setVisible(false);
    fitRowsToFont(m_matches);
    showCutTextsInTooltips(m_matches);
    fitColumnsToContents(m_matches);
}

Status HeadToHeadTab::read() {
    const Result<QStringList> players = readBookPlayers(*connection());
    if (!players.ok()) {
        return players.status();
    }
    const Result<LeagueBook> book = readLeagueBook(*connection());
    if (!book.ok()) {
        return book.status();
    }
    m_ratingsBefore.clear();
    for (const RatedMatch &rated : rateBook(book.value()).matches) {
        m_ratingsBefore[{book.value()[rated.tournament].id, rated.match.homeRow, rated.match.awayRow}] = {
            rated.homeBefore, rated.awayBefore};
    }
    {
        const QString first = m_first->currentData().toString();
        const QString second = m_second->currentData().toString();
        const QSignalBlocker blockFirst(m_first);
        const QSignalBlocker blockSecond(m_second);
        m_first->clear();
        m_second->clear();
        // Each item shows the name cut, and holds it whole.
        for (const QString &player : players.value()) {
            m_first->addItem(elided(player), player);
            m_second->addItem(elided(player), player);
        }
        const int firstAt = players.value().indexOf(first);
        const int secondAt = players.value().indexOf(second);
        m_first->setCurrentIndex(firstAt >= 0 ? firstAt : 0);
        m_second->setCurrentIndex(secondAt >= 0 ? secondAt : std::min<int>(1, players.value().size() - 1));
    }
    showHeadToHead();
    return {};
}

void HeadToHeadTab::showHeadToHead() {
    m_matches->setRowCount(0);
    const QString first = m_first->currentData().toString();
    const QString second = m_second->currentData().toString();
    if (connection() == nullptr || m_first->currentIndex() < 0 || m_second->currentIndex() < 0) {
        m_summary->setText(QString());
        return;
    }
    if (first == second) {
        m_summary->setText(QStringLiteral("Выберите двух разных игроков."));
        return;
    }
    const Result<HeadToHead> read = [&] {
        const WaitCursor busy;
        return readHeadToHead(*connection(), first, second);
    }();
    if (!read.ok()) {
        m_summary->setText(read.error());
        return;
    }
    const HeadToHead &h = read.value();
    m_summary->setText(h.played == 0
                           ? QStringLiteral("%1 и %2 ещё не встречались.").arg(elided(first), elided(second))
                           : QStringLiteral("%1 против %2: матчей %3, побед %4, ничьих %5, поражений %6, мячи %7")
                                 .arg(elided(first), elided(second), QString::number(h.played), QString::number(h.wins),
                                      QString::number(h.draws), QString::number(h.losses),
                                      goals(h.goalsFor, h.goalsAgainst)));
    m_matches->setRowCount(static_cast<int>(h.matches.size()));
    // Newest first, as the tournaments are listed.
    int row = 0;
    for (auto match = h.matches.rbegin(); match != h.matches.rend(); ++match, ++row) {
        setItem(m_matches, row, 0, shownTime(match->written));
        setItem(m_matches, row, 1, match->team);
        setItem(m_matches, row, 2, QStringLiteral("%1 : %2").arg(match->goalsFor).arg(match->goalsAgainst));
        setItem(m_matches, row, 3, match->otherTeam);
        const auto rated = m_ratingsBefore.find({match->tournament, match->homeRow, match->awayRow});
        if (rated != m_ratingsBefore.end()) {
            const auto [home, away] = rated->second;
            setItem(m_matches, row, 4, russianNumber(match->firstAtHome ? home : away, 1));
            setItem(m_matches, row, 5, russianNumber(match->firstAtHome ? away : home, 1));
        }
    }
    fitColumnsToContents(m_matches);
}
