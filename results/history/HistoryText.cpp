#include "HistoryText.h"

#include "ElidedText.h"
#include "TournamentBook.h"

#include <QDateTime>
#include <QHeaderView>
#include <QTableWidget>

QString shownTime(const QString &written) {
    const QDateTime time = QDateTime::fromString(written, Book::WrittenFormat);
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : written;
}

QString goals(qint64 scored, qint64 conceded) {
    return QStringLiteral("%1:%2").arg(scored).arg(conceded);
}

void setItem(QTableWidget *table, int row, int column, const QString &text) {
    table->setItem(row, column, elidedItem(text));
}

void fitRowsToFont(QTableView *table) {
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
}
