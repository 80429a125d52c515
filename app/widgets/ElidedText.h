#pragma once

#include <QString>

class QLabel;
class QTableWidgetItem;

// Names and teams on labels and in table cells, cut for showing (see Elide.h).
// A label that shows a record of the program (the player names, the teams of a
// round) keeps the whole text, which fullText() gives back; a text that was cut
// is offered whole as the tooltip.

void setElidedText(QLabel *label, const QString &text);
// The whole text that setElidedText() put on the label, or its shown text.
QString fullText(const QLabel *label);

// A read-only table cell that shows the text cut, with the whole text as its
// tooltip and under Qt::UserRole.
QTableWidgetItem *elidedItem(const QString &text);
