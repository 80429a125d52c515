#pragma once

#include "HistoryTab.h"

class QTableWidget;

// The tab "Команды": what each team did over the book, and who played it.
class TeamsTab : public HistoryTab {
public:
    TeamsTab(QWidget *page, QTableWidget *table, ConnectionSource connection);

protected:
    Status read() override;

private:
    QTableWidget *m_table;
};
