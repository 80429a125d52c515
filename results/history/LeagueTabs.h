#pragma once

#include "HistoryTab.h"
#include "LeagueBook.h"
#include "Records.h"

class QComboBox;
class QLabel;
class QTableView;
class QTableWidget;
class QVBoxLayout;
class FinishGridModel;

// The league's tabs of the history window. Each makes its controls on its page
// and, when shown, reads the book in one pass and computes its figures; nothing
// of the league is stored. A line under the controls says what the figures
// leave out (tournaments written before the book).
class LeagueTab : public HistoryTab {
public:
    LeagueTab(QWidget *page, ConnectionSource connection);

protected:
    Status read() override;
    // Fills the tab from the book, oldest tournament first.
    virtual void show(const LeagueBook &book) = 0;

    QVBoxLayout *layout() const { return m_layout; }

private:
    QVBoxLayout *m_layout;
};

// "Рейтинг": each player's current rating, his peak and its date, his change
// in his last tournament and his tournaments; under it a chart of the ratings
// after each tournament.
class RatingTab : public LeagueTab {
public:
    RatingTab(QWidget *page, ConnectionSource connection);

protected:
    void show(const LeagueBook &book) override;

private:
    QTableWidget *m_table;
    QWidget *m_chart = nullptr;
};

// "Сезоны": the table of the chosen season (or of all time), and every
// season's champion.
class SeasonsTab : public LeagueTab {
public:
    SeasonsTab(QWidget *page, ConnectionSource connection);

protected:
    void show(const LeagueBook &book) override;

private:
    void showSeason();

    QComboBox *m_season;
    QTableWidget *m_table;
    QTableWidget *m_champions;
    LeagueBook m_book;
};

// "Рекорды": every record with its holder, and the chosen record's history.
class RecordsTab : public LeagueTab {
public:
    RecordsTab(QWidget *page, ConnectionSource connection);

protected:
    void show(const LeagueBook &book) override;

private:
    void showHistory();

    QTableWidget *m_records;
    QLabel *m_historyTitle;
    QTableWidget *m_history;
    std::vector<LeagueRecord> m_shown;
};

// "Места": each player's place in each tournament, coloured by place, scrolled
// to the newest.
class FinishGridTab : public LeagueTab {
public:
    FinishGridTab(QWidget *page, ConnectionSource connection);
    ~FinishGridTab() override;

protected:
    void show(const LeagueBook &book) override;

private:
    QTableView *m_view;
    FinishGridModel *m_model;
};
