#pragma once

#include <QCollator>
#include <QStringList>

// The order in which a Russian reader expects names: alphabetical for the Russian
// locale, ignoring letter case (Ё beside Е, "арсенал" beside "Ак Барс").
QCollator russianCollator();

// The names in that order; names that compare equal keep their order.
QStringList sortedByName(const QStringList &names);
