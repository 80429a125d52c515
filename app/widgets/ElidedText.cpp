#include "ElidedText.h"

#include "Elide.h"

#include <QLabel>
#include <QTableWidgetItem>
#include <QVariant>

namespace {

const char kFullText[] = "korvanaFullText";

} // namespace

void setElidedText(QLabel *label, const QString &text) {
    const QString shown = elided(text);
    label->setText(shown);
    label->setToolTip(shown.size() == text.size() ? QString() : text);
    label->setProperty(kFullText, text);
}

QString fullText(const QLabel *label) {
    const QVariant whole = label->property(kFullText);
    // A text set otherwise since (setText directly) is the label's own.
    if (whole.isValid() && elided(whole.toString()) == label->text()) {
        return whole.toString();
    }
    return label->text();
}

QTableWidgetItem *elidedItem(const QString &text) {
    auto *item = new QTableWidgetItem(elided(text));
    item->setFlags(Qt::ItemIsEnabled);
    item->setData(Qt::UserRole, text);
    if (item->text().size() != text.size()) {
        item->setToolTip(text);
    }
    return item;
}
