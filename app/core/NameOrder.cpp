#include "NameOrder.h"

#include <QLocale>

QCollator russianCollator() {
    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}
