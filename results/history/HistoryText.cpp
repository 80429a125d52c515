#include "HistoryText.h"

#include "ElidedText.h"
#include "TournamentBook.h"

#include <QDateTime>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLocale>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

// How many rows, from the top, fitColumnsToContents measures: enough for the
// rows on show, and bounded for a book of thousands of tournaments.
constexpr int kMeasuredRows = 100;

// The whole text of a cell that its column shows cut, as a tooltip.
class CutTextTooltips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString cutText(const QAbstractItemView *view, const QModelIndex &index) const {
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.font = view->font();
        const QRect shown = view->visualRect(index);
        const QString text = index.data(Qt::DisplayRole).toString();
        return !text.isEmpty() && sizeHint(option, index).width() > shown.width() ? text : QString();
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override {
        if (event->type() != QEvent::ToolTip || index.data(Qt::ToolTipRole).isValid()) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        const QString whole = cutText(view, index);
        if (whole.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(event->globalPos(), whole, view, view->visualRect(index));
        }
        return true;
    }
};

} // namespace

QString shownTime(const QString &written) {
    const QDateTime time = QDateTime::fromString(written, Book::WrittenFormat);
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : written;
}

QString russianNumber(double value, int decimals) {
    return QLocale(QLocale::Russian).toString(value, 'f', decimals);
}

QString signedNumber(double value, int decimals) {
    const QString shown = russianNumber(std::abs(value), decimals);
    if (shown == russianNumber(0, decimals)) {
        return shown;
    }
    return (value > 0 ? QStringLiteral("+") : QStringLiteral("−")) + shown;
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

void fitColumnsToContents(QTableView *table, int widest) {
    QHeaderView *header = table->horizontalHeader();
    header->setResizeContentsPrecision(kMeasuredRows);
    for (int column = 0; column < header->count(); ++column) {
        table->resizeColumnToContents(column);
        header->resizeSection(column, std::min(header->sectionSize(column), widest));
    }
}

void showCutTextsInTooltips(QAbstractItemView *view) {
    view->setItemDelegate(new CutTextTooltips(view));
}

QString tooltipOf(const QAbstractItemView *view, const QModelIndex &index) {
    if (const QVariant own = index.data(Qt::ToolTipRole); own.isValid()) {
        return own.toString();
    }
    const auto *delegate = dynamic_cast<const CutTextTooltips *>(view->itemDelegate());
    return delegate != nullptr ? delegate->cutText(view, index) : QString();
}
