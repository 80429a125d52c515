#include "NameOrder.h"

#include <QLocale>
#include <algorithm>
#include <utility>
#include <vector>

QCollator russianCollator() {
    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QStringList sortedByName(const QStringList &names) {
    // Each name's key is made once: comparing keys is much quicker than
    // comparing the names through the collator.
    const QCollator collator = russianCollator();
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        keys.emplace_back(collator.sortKey(names[i]), i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto &key : keys) {
        sorted.append(names[key.second]);
    }
    return sorted;
}
